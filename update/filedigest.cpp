#include "update/filedigest.h"

#include "update/sha256.h"

#include <QFile>

namespace {
// The digest of whatever read yields; error names what was read when it fails.
FileDigest digestOfChunks(const ChunkReader &read, const QString &error, const StopFlag &stop,
                          const ByteProgress &progress)
{
    Sha256 hash;
    const ChunkedRead chunks = readInChunks(
        read,
        [&hash](const char *data, qint64 size) {
            hash.addData(data, size);
            return true;
        },
        stop, progress);
    FileDigest result;
    result.size = chunks.bytes;
    result.readable = chunks.complete();
    if (result.readable)
        result.digest = hash.result();
    else
        result.error = chunks.end == ChunkedRead::End::Interrupted ? QStringLiteral("stopped") : error;
    return result;
}
}

FileDigest digestOfOpenFile(QFile &file, const StopFlag &stop, const ByteProgress &progress)
{
    // The error is asked for only once the read has failed.
    FileDigest result = digestOfChunks([&file](char *into, qint64 max) { return file.read(into, max); }, QString(),
                                       stop, progress);
    if (!result.readable && result.error.isEmpty())
        result.error = file.errorString();
    return result;
}

FileDigest digestOfFile(const QString &path, const StopFlag &stop, const ByteProgress &progress)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        FileDigest result;
        result.error = file.errorString();
        return result;
    }
    return digestOfOpenFile(file, stop, progress);
}
