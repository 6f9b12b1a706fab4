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
    QString reason; // what went wrong, in the few words of the window's row; empty for success
    QString signer; // who signed the catalogue the image came from

    // The fields in their order, as JSON keys and CSV columns. Fields added later go at
    // the end, so that the columns a reader expects stay where they were.
    static const QStringList fields;

    QJsonObject toJson() const;
    // nullopt for what is no record (a line torn by a crash, or another file's).
    static std::optional<HistoryRecord> fromJson(const QJsonObject &object);
    // The values in field order, for a table.
    QStringList values() const;
};

// The records as comma-separated values: a header row, then a row each, every row ending
// in CR LF. Text that a spreadsheet would take for a formula starts with an apostrophe:
// a camera's version file is outside input.
QByteArray historyCsv(const QVector<HistoryRecord> &records);
// The same a row at a time, for a history too long to hold.
QByteArray historyCsvHeader();
QByteArray historyCsvRow(const HistoryRecord &record);
