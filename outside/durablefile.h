#pragma once

#include <QString>
#include <QtGlobal>

class QFileDevice;

// What it takes, on each operating system, to know that a file is on the medium and
// not only in the operating system's memory. A card pulled right after these calls
// holds either the old file or the whole new one.

// Asks the operating system to start writing a stretch of the file that is already
// written to it, without waiting; where it cannot, the flush does all the work.
void startWritingToMedium(QFileDevice &file, qint64 offset, qint64 length);

// Waits until a stretch of the file that was started on its way is on the medium; false
// where the operating system cannot tell, or the medium failed, and only the flush can.
bool waitUntilOnMedium(QFileDevice &file, qint64 offset, qint64 length);

// Pushes the file's written data and size to the medium.
bool flushFileToMedium(QFileDevice &file);

// Puts `from` in the place of `to` in one step, replacing any file there.
bool replaceFileAtomically(const QString &from, const QString &to);

// Makes the folder's entries (a rename into it) durable. False when the medium failed
// to take them; a file system that cannot flush a folder at all (and keeps its entries
// by other means) is no failure.
bool flushFolderToMedium(const QString &folder);
