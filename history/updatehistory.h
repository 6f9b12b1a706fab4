#pragma once

#include "history/historyrecord.h"

#include <QString>
#include <QVector>

// The record of every update made on this workstation, by the window and the command
// line alike: history.jsonl, one JSON object a line, in the user's data folder.
//
// Appending is durable and safe to share: each record is one whole line, on the medium
// before append() returns; a lock keeps two programs' lines apart; a line torn by a
// crash or a power cut is skipped when read, and the next record starts on a fresh
// line. Past a size the file is rotated, one older file kept (history.1.jsonl).
class UpdateHistory
{
public:
    static constexpr qint64 defaultRotateBytes = 10 * 1024 * 1024;

    // folder: where the file lives; empty for the user's data location.
    explicit UpdateHistory(const QString &folder = QString(), qint64 rotateBytes = defaultRotateBytes);

    // Blocks on the workstation's disk for the flush; meant for a background thread.
    // False, with why, when the record could not be kept.
    bool append(const HistoryRecord &record, QString *why) const;

    struct Read
    {
        QVector<HistoryRecord> records; // oldest first
        QString problem;                // why there are none, when the files cannot be read
    };
    Read read() const;

    QString path() const { return file; }

private:
    QString file;
    qint64 rotateBytes;
};
