#include "update/pipedsink.h"

#include <utility>

PipedSink::PipedSink(PieceTaker taker, qint64 maxQueuedBytes)
    : taker(std::move(taker)), maxQueuedBytes(maxQueuedBytes), worker(&PipedSink::run, this)
{
}

PipedSink::~PipedSink()
{
    finish();
}

bool PipedSink::take(const char *data, qint64 size)
{
    if (!sincePassed.isValid())
        sincePassed.start();
    if (gathered.isEmpty())
        gathered.reserve(gatherBytes + int(size));
    gathered.append(data, int(size));
    if (gathered.size() < gatherBytes && sincePassed.nsecsElapsed() < gatherNs)
        return true;
    sincePassed.restart();
    return pass(std::exchange(gathered, QByteArray()));
}

bool PipedSink::pass(QByteArray piece)
{
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return refused || queuedBytes < maxQueuedBytes; });
    if (refused)
        return false;
    queuedBytes += piece.size();
    queue.push_back(std::move(piece));
    changed.notify_all();
    return true;
}

bool PipedSink::finish()
{
    if (!gathered.isEmpty())
        pass(std::exchange(gathered, QByteArray()));
    {
        const std::lock_guard<std::mutex> lock(mutex);
        ended = true;
    }
    changed.notify_all();
    if (worker.joinable())
        worker.join();
    return !refused;
}

void PipedSink::run()
{
    for (;;) {
        QByteArray piece;
        {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [this] { return ended || !queue.empty(); });
            if (queue.empty())
                return;
            piece = std::move(queue.front());
            queue.pop_front();
        }
        const bool taken = taker(piece);
        const std::lock_guard<std::mutex> lock(mutex);
        queuedBytes -= piece.size();
        if (!taken) {
            refused = true;
            queue.clear();
        }
        changed.notify_all();
        if (refused)
            return;
    }
}
