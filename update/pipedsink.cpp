#include "update/pipedsink.h"

#include <limits>
#include <utility>

PipedSink::PipedSink(PieceTaker taker, qint64 maxQueuedBytes) : maxQueuedBytes(maxQueuedBytes)
{
    runInBackground([queue = queue, taker = std::move(taker), taken = taken] {
        run(queue, taker);
        taken.fulfil(true);
    });
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
    std::unique_lock<std::mutex> lock(queue->mutex);
    queue->changed.wait(lock, [this] { return queue->refused || queue->bytes < maxQueuedBytes; });
    if (queue->refused)
        return false;
    queue->bytes += piece.size();
    queue->pieces.push_back(std::move(piece));
    queue->changed.notify_all();
    return true;
}

bool PipedSink::finish()
{
    if (!finished) {
        finished = true;
        if (!gathered.isEmpty())
            pass(std::exchange(gathered, QByteArray()));
        {
            const std::lock_guard<std::mutex> lock(queue->mutex);
            queue->ended = true;
        }
        queue->changed.notify_all();
        // The taker writes to the workstation's own disk, and always comes back.
        taken.waitFor(std::numeric_limits<int>::max());
    }
    const std::lock_guard<std::mutex> lock(queue->mutex);
    return !queue->refused;
}

void PipedSink::run(const std::shared_ptr<Queue> &queue, const PieceTaker &taker)
{
    for (;;) {
        QByteArray piece;
        {
            std::unique_lock<std::mutex> lock(queue->mutex);
            queue->changed.wait(lock, [&queue] { return queue->ended || !queue->pieces.empty(); });
            if (queue->pieces.empty())
                return;
            piece = std::move(queue->pieces.front());
            queue->pieces.pop_front();
        }
        const bool kept = taker(piece);
        const std::lock_guard<std::mutex> lock(queue->mutex);
        queue->bytes -= piece.size();
        if (!kept) {
            queue->refused = true;
            queue->pieces.clear();
        }
        queue->changed.notify_all();
        if (queue->refused)
            return;
    }
}
