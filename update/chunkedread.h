#pragma once

#include <QtGlobal>

#include <functional>

class QIODevice;

// The pieces in which images are read, hashed and written: large enough that the cost
// of each call vanishes, small enough that memory stays flat whatever the image's size.
constexpr qint64 chunkBytes = 1024 * 1024;

// Bytes handled so far by a long file operation.
using ByteProgress = std::function<void(qint64 done)>;
// Reads at most `max` bytes into `into`: the count, 0 at the end, or -1 on failure.
using ChunkReader = std::function<qint64(char *into, qint64 max)>;
// Takes one chunk; false when it could not, which ends the read.
using ChunkTaker = std::function<bool(const char *data, qint64 size)>;

struct ChunkedRead
{
    enum class End { Complete, ReadFailed, Refused, Interrupted };
    End end = End::Complete;
    qint64 bytes = 0; // taken in whole

    bool complete() const { return end == End::Complete; }
};

// Reads to the end in chunks, handing each to take and the running total to progress.
// Meant for worker threads: it also ends when its thread is asked to stop, so that a
// closing window does not wait for a slow card. buffer, when given, must hold
// chunkBytes (for reads that need an aligned one).
ChunkedRead readInChunks(const ChunkReader &read, const ChunkTaker &take, const ByteProgress &progress = {},
                         char *buffer = nullptr);
// The same from a device's current position to its end; a network reply's end is the
// end of what has arrived so far.
ChunkedRead readInChunks(QIODevice &source, const ChunkTaker &take, const ByteProgress &progress = {});
