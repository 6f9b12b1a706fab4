#include "update/chunkedread.h"

#include <QByteArray>

ChunkedRead readInChunks(const ChunkReader &read, const ChunkTaker &take, const StopFlag &stop,
                         const ByteProgress &progress, char *buffer)
{
    QByteArray ownBuffer;
    if (!buffer) {
        ownBuffer.resize(int(chunkBytes));
        buffer = ownBuffer.data();
    }
    ChunkedRead result;
    for (;;) {
        if (stop.isRaised()) {
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
