#include "update/imagefeed.h"

#include <QFile>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
// How often a wait looks at its stop.
constexpr std::chrono::milliseconds waitSlice(100);

struct Chunk
{
    qint64 offset;
    QByteArray bytes;
    qint64 end() const { return offset + bytes.size(); }
};
}

struct ImageFeed::Reader::Slot
{
    bool left = false;
    bool backingUnreadable = false; // this reader could not read what the backing file holds
    qint64 offset = 0;
    int generation = 0;
    std::unique_ptr<QFile> file; // the backing file, opened when first needed
};

struct ImageFeed::State
{

    std::mutex mutex;
    std::condition_variable changed;
    qint64 window = 0;
    std::deque<Chunk> chunks;
    qint64 head = 0;      // bytes appended
    qint64 fileBytes = 0; // the backing file holds bytes [0, fileBytes)
    qint64 total = -1;
    QString backingPath;
    bool backingGood = false; // what is appended still goes to the backing file
    int generation = 0;
    bool ended = false;
    FeedEnd end;
    std::vector<std::shared_ptr<Reader::Slot>> readers;
    Clock::time_point lastData = Clock::now();

    qint64 slowestReader() const
    {
        qint64 slowest = head;
        for (const auto &reader : readers)
            slowest = std::min(slowest, reader->offset);
        return slowest;
    }
    // Memory keeps what a reader still needs and the backing file lacks, and the last
    // window of bytes.
    void dropSpentChunks()
    {
        const qint64 slowest = slowestReader();
        while (!chunks.empty()) {
            const qint64 end = chunks.front().end();
            if (end > slowest && (end > fileBytes || end > head - window))
                break;
            chunks.pop_front();
        }
    }
    bool producerMustWait() const
    {
        return !readers.empty() && head - std::max(slowestReader(), fileBytes) >= window;
    }
    bool servableFromStart() const
    {
        return chunks.empty() ? fileBytes >= head : chunks.front().offset <= fileBytes;
    }
    const Chunk *chunkHolding(qint64 offset) const
    {
        const auto after = std::upper_bound(chunks.cbegin(), chunks.cend(), offset,
                                            [](qint64 wanted, const Chunk &chunk) { return wanted < chunk.offset; });
        if (after == chunks.cbegin())
            return nullptr;
        const Chunk &candidate = *(after - 1);
        return offset < candidate.end() ? &candidate : nullptr;
    }
};

ImageFeed::ImageFeed(qint64 memoryWindow) : state(std::make_shared<State>())
{
    state->window = memoryWindow;
}

ImageFeed::~ImageFeed() = default;

void ImageFeed::useBackingFile(const QString &path)
{
    const std::lock_guard<std::mutex> lock(state->mutex);
    state->backingPath = path;
    state->backingGood = !path.isEmpty();
    state->fileBytes = state->backingGood ? state->head : 0;
}

void ImageFeed::relocateBackingFile(const std::function<QString()> &move)
{
    const std::lock_guard<std::mutex> lock(state->mutex);
    const QString path = move();
    if (!path.isEmpty())
        state->backingPath = path;
}

void ImageFeed::setTotal(qint64 bytes)
{
    const std::lock_guard<std::mutex> lock(state->mutex);
    state->total = bytes;
}

bool ImageFeed::append(const QByteArray &piece, bool inBackingFile, const StopFlag &stop)
{
    std::unique_lock<std::mutex> lock(state->mutex);
    while (!stop.isRaised() && state->producerMustWait())
        state->changed.wait_for(lock, waitSlice);
    if (stop.isRaised() || state->readers.empty())
        return false;
    state->chunks.push_back({state->head, piece});
    state->head += piece.size();
    // The file holds a prefix: once a piece misses it, nothing after counts as kept there.
    state->backingGood = state->backingGood && inBackingFile;
    if (state->backingGood)
        state->fileBytes = state->head;
    state->lastData = Clock::now();
    state->dropSpentChunks();
    state->changed.notify_all();
    return true;
}

void ImageFeed::finish(const FeedEnd &end)
{
    const std::lock_guard<std::mutex> lock(state->mutex);
    state->ended = true;
    state->end = end;
    state->changed.notify_all();
}

void ImageFeed::restart()
{
    const std::lock_guard<std::mutex> lock(state->mutex);
    ++state->generation;
    state->chunks.clear();
    state->head = state->fileBytes = 0;
    state->backingGood = false;
    state->backingPath.clear();
    state->ended = false;
    state->end = FeedEnd();
    state->lastData = Clock::now();
    state->changed.notify_all();
}

std::unique_ptr<ImageFeed::Reader> ImageFeed::join()
{
    const std::lock_guard<std::mutex> lock(state->mutex);
    if (!state->servableFromStart())
        return nullptr;
    auto slot = std::make_shared<Reader::Slot>();
    slot->generation = state->generation;
    state->readers.push_back(slot);
    return std::unique_ptr<Reader>(new Reader(state, slot));
}

bool ImageFeed::hasReaders() const
{
    const std::lock_guard<std::mutex> lock(state->mutex);
    return !state->readers.empty();
}

ImageFeed::Reader::Reader(std::shared_ptr<State> state, std::shared_ptr<Slot> slot)
    : state(std::move(state)), slot(std::move(slot))
{
}

ImageFeed::Reader::~Reader()
{
    leave();
}

void ImageFeed::Reader::leave()
{
    const std::lock_guard<std::mutex> lock(state->mutex);
    slot->left = true;
    state->readers.erase(std::remove(state->readers.begin(), state->readers.end(), slot), state->readers.end());
    state->dropSpentChunks();
    state->changed.notify_all();
}

ImageFeed::Reader::Read ImageFeed::Reader::read(char *into, qint64 max, const StopFlag &stop, int waitMs)
{
    const Clock::time_point giveUp = Clock::now() + std::chrono::milliseconds(waitMs);
    std::unique_lock<std::mutex> lock(state->mutex);
    for (;;) {
        if (slot->generation != state->generation) {
            slot->generation = state->generation;
            slot->offset = 0;
            slot->file.reset();
            state->changed.notify_all();
            return {Status::Restart};
        }
        if (stop.isRaised() || slot->left)
            return {Status::Stopped};
        if (slot->offset < state->head) {
            if (const Chunk *chunk = state->chunkHolding(slot->offset)) {
                const qint64 from = slot->offset - chunk->offset;
                const qint64 count = std::min(max, qint64(chunk->bytes.size()) - from);
                std::copy_n(chunk->bytes.constData() + from, count, into);
                slot->offset += count;
                state->dropSpentChunks();
                state->changed.notify_all();
                return {Status::Data, count};
            }
            // Gone from memory, so the backing file holds it. Opened under the lock,
            // so that a move of the file cannot come in between.
            if (!slot->file) {
                slot->file = std::make_unique<QFile>(state->backingPath);
                if (!slot->file->open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
                    slot->backingUnreadable = true;
                    return {Status::Failed};
                }
            }
            const int generation = state->generation;
            const qint64 offset = slot->offset, count = std::min(max, state->fileBytes - offset);
            lock.unlock();
            const qint64 got = slot->file->seek(offset) ? slot->file->read(into, count) : -1;
            lock.lock();
            if (generation != state->generation)
                continue;
            if (got <= 0) {
                slot->backingUnreadable = true;
                return {Status::Failed};
            }
            slot->offset += got;
            state->dropSpentChunks();
            state->changed.notify_all();
            return {Status::Data, got};
        }
        if (state->ended)
            return {state->end.verified ? Status::End : Status::Failed};
        if (Clock::now() >= giveUp)
            return {Status::Waiting};
        state->changed.wait_for(lock, waitSlice);
    }
}

ImageFeed::Reader::Arrival ImageFeed::Reader::arrival() const
{
    const std::lock_guard<std::mutex> lock(state->mutex);
    const qint64 silentMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - state->lastData).count();
    return {state->head, state->total, silentMs, state->ended};
}

FeedEnd ImageFeed::Reader::end() const
{
    const std::lock_guard<std::mutex> lock(state->mutex);
    if (slot->backingUnreadable)
        return {false, UpdateEnd::WorkstationFull, QStringLiteral("cannot read the workstation's copy of the image"), {}};
    return state->end;
}

