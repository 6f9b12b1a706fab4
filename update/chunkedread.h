#pragma once

#include "outside/stopflag.h"

#include <QtGlobal>

#include <functional>

// The pieces in which images are read, hashed and written: large enough that the cost
// of each call vanishes, small enough that memory stays flat whatever the image's size
// and the number of cards (each card's writer holds two).
constexpr qint64 chunkBytes = 256 * 1024;

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
// Ends early on stop, so that nobody waits for the rest of a slow card. buffer, when
// given, must hold chunkBytes (for reads that need an aligned one).
ChunkedRead readInChunks(const ChunkReader &read, const ChunkTaker &take, const StopFlag &stop,
                         const ByteProgress &progress = {}, char *buffer = nullptr);
