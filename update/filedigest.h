#pragma once

#include "update/chunkedread.h"

#include <QByteArray>
#include <QString>

class QFile;

struct FileDigest
{
    bool readable = false;
    qint64 size = 0;
    QByteArray digest; // SHA-256 of the whole file, when readable
    QString error;
};

// Hashes a file in chunks, so that memory stays flat whatever its size.
FileDigest digestOfFile(const QString &path, const StopFlag &stop = {}, const ByteProgress &progress = {});
// The same for a file already open for reading, from its current position.
FileDigest digestOfOpenFile(QFile &file, const StopFlag &stop, const ByteProgress &progress = {});
