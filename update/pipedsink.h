#pragma once

#include "update/chunkedread.h"

#include <QByteArray>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

// Hands pieces of a stream to a taker that runs in a thread of its own, so that
// receiving the next piece overlaps hashing and writing the last. At most
// maxQueuedBytes wait between the two; a full queue holds the giver back. The pieces
// are copied: the giver's buffer is free again as soon as take() returns.
//
// The taker's state belongs to the taker's thread until finish() returns.
class PipedSink
{
public:
    PipedSink(ChunkTaker taker, qint64 maxQueuedBytes);
    ~PipedSink();
    PipedSink(const PipedSink &) = delete;
    PipedSink &operator=(const PipedSink &) = delete;

    // Queues a copy of the piece; false once the taker has refused one.
    bool take(const char *data, qint64 size);

    // Waits until the taker has had every piece; false when it refused one.
    bool finish();

private:
    void run();

    ChunkTaker taker;
    const qint64 maxQueuedBytes;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<QByteArray> queue;
    qint64 queuedBytes = 0;
    bool ended = false, refused = false;
    std::thread worker;
};
