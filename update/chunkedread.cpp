#include "update/chunkedread.h"

#include <QByteArray>
#include <QIODevice>
#include <QThread>

ChunkedRead readInChunks(const ChunkReader &read, const ChunkTaker &take, const ByteProgress &progress, char *buffer)
{
    QByteArray ownBuffer;
    if (!buffer) {
        ownBuffer.resize(int(chunkBytes));
        buffer = ownBuffer.data();
    }
    ChunkedRead result;
    for (;;) {
        if (QThread::currentThread()->isInterruptionRequested()) {
            result.end = ChunkedRead::End::Interrupted;
            return result;
        }
        const qint64 got = read(buffer, chunkBytes);
        if (got == 0)
            return result;
        if (got < 0) {
            result.end = ChunkedRead::End::ReadFailed;
            return result;
        }
        if (!take(buffer, got)) {
            result.end = ChunkedRead::End::Refused;
            return result;
        }
        result.bytes += got;
        if (progress)
            progress(result.bytes);
    }
}

ChunkedRead readInChunks(QIODevice &source, const ChunkTaker &take, const ByteProgress &progress)
{
    return readInChunks([&source](char *into, qint64 max) { return source.read(into, max); }, take, progress);
}
