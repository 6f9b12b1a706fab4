#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// One finished update, as the history keeps it: which camera, from which version to
// which, with which image, how it came out, and who ran it where.
struct HistoryRecord
{
    QDateTime time; // UTC
    QString camera;
    QString model;
    QString brand;
    QString location;
    QString from;
    QString to;
    QString sha256;
    QString outcome; // the outcome code in decimal, or "up-to-date"
    QString title;
    qint64 durationMs = 0;
    qint64 bytes = 0;
    QString program;
    QString workstation;
    QString user;

    // The fields in their order, as JSON keys and CSV columns.
    static const QStringList fields;

    QJsonObject toJson() const;
    // nullopt for what is no record (a line torn by a crash, or another file's).
    static std::optional<HistoryRecord> fromJson(const QJsonObject &object);
    // The values in field order, for a table.
    QStringList values() const;
};

// The records as comma-separated values: a header row, then a row each. Text that a
// spreadsheet would take for a formula starts with an apostrophe: a camera's version
// file is outside input.
QByteArray historyCsv(const QVector<HistoryRecord> &records);
