#pragma once

#include "history/historyrecord.h"

#include <QString>
#include <QVector>

#include <functional>

// The record of every update made on this workstation, by the window and the command
// line alike: history.jsonl, one JSON object a line, in the user's data folder.
//
// Appending is durable and safe to share: each record is one whole line, on the medium
// before append() returns; a lock keeps two programs' lines apart; a line torn by a
// crash or a power cut is skipped when read, and the next record starts on a fresh
// line. Past a size the file is rotated, one older file kept (history.1.jsonl).
//
// The files, and the lock, must be this user's own plain files: one that is a link or
// another user's is neither written nor read (outside/ownfile.h).
//
// Reading holds a piece of a file and one line at a time, whatever the files' size: a
// history may have grown for years, or been rotated with a larger bound.
class UpdateHistory
{
public:
    static constexpr qint64 defaultRotateBytes = 10 * 1024 * 1024;
    static constexpr qint64 defaultPieceBytes = 1024 * 1024;

    // folder: where the file lives; empty for the user's data location.
    explicit UpdateHistory(const QString &folder = QString(), qint64 rotateBytes = defaultRotateBytes);

    // Blocks on the workstation's disk for the flush; meant for a background thread.
    // False, with why, when the record could not be kept.
    bool append(const HistoryRecord &record, QString *why) const;

    // Hands every record to take, oldest first, reading pieceBytes at a time. Returns
    // why the files cannot be read (none then), or an empty string.
    QString forEachRecord(const std::function<void(const HistoryRecord &)> &take,
                          qint64 pieceBytes = defaultPieceBytes) const;

    struct Read
    {
        QVector<HistoryRecord> records; // oldest first
        qint64 olderNotKept = 0;        // records older than these, left out
        QString problem;                // why there are none, when the files cannot be read
    };
    // The newest records, at most `count` of them.
    Read readNewest(int count) const;

    QString path() const { return file; }

private:
    QString file;
    qint64 rotateBytes;
};
