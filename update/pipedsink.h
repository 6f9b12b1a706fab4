#pragma once

#include "outside/background.h"

#include <QByteArray>
#include <QElapsedTimer>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

// Hands pieces of a stream to a taker that runs in a thread of its own, so that
// receiving the next piece overlaps hashing and writing the last. At most
// maxQueuedBytes wait between the two; a full queue holds the giver back. The pieces
// are copied once: the giver's buffer is free again as soon as take() returns, and the
// taker gets the copy itself, to keep without copying again.
//
// Small pieces that come quickly are gathered into larger ones first: a download hands
// over some 16 KiB at a time, and passing each on its own, with a wakeup of the taker
// and a write each, cost a 512 MiB image a sixth of its time. A piece never waits for
// company longer than a moment, so a slow download still moves at its own pace.
//
// The taker's state belongs to the taker's thread until finish() returns; the taker
// runs off this thread as all background work does (outside/background.h).
class PipedSink
{
public:
    using PieceTaker = std::function<bool(const QByteArray &piece)>;

    PipedSink(PieceTaker taker, qint64 maxQueuedBytes);
    ~PipedSink();
    PipedSink(const PipedSink &) = delete;
    PipedSink &operator=(const PipedSink &) = delete;

    // Queues a copy of the piece; false once the taker has refused one.
    bool take(const char *data, qint64 size);

    // Waits until the taker has had every piece; false when it refused one.
    bool finish();

private:
    // What the giver and the taker hand each other.
    struct Queue
    {
        std::mutex mutex;
        std::condition_variable changed;
        std::deque<QByteArray> pieces;
        qint64 bytes = 0;
        bool ended = false, refused = false;
    };
    static void run(const std::shared_ptr<Queue> &queue, const PieceTaker &taker);
    bool pass(QByteArray piece);

    static constexpr int gatherBytes = 256 * 1024;
    static constexpr qint64 gatherNs = 20 * 1000 * 1000;

    QByteArray gathered; // the giver's, not yet passed on
    QElapsedTimer sincePassed;
    const qint64 maxQueuedBytes;
    std::shared_ptr<Queue> queue = std::make_shared<Queue>();
    Pending<bool> taken; // every piece the taker had, or one it refused
    bool finished = false;
};
