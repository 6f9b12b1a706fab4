#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QFile;

// Bytes handled so far by a long file operation.
using ByteProgress = std::function<void(qint64 done)>;

struct FileDigest
{
    bool readable = false;
    qint64 size = 0;
    QByteArray digest; // SHA-256 of the whole file, when readable
    QString error;
};

// Hashes a file in chunks, so that memory stays flat whatever its size.
FileDigest digestOfFile(const QString &path, const ByteProgress &progress = {});
// The same for a file already open for reading, from its current position.
FileDigest digestOfOpenFile(QFile &file, const ByteProgress &progress = {});
