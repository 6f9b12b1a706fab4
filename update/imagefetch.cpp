#include "update/imagefetch.h"

#include "update/checksum.h"
#include "update/chunkedread.h"
#include "update/firmwarecache.h"
#include "update/pipedsink.h"
#include "update/sha256.h"

#include <QDebug>
#include <QFile>
#include <QLockFile>

namespace {
// Hashing and keeping run beside the receiving; this much may wait between them.
constexpr qint64 pipedBytes = 8 * 1024 * 1024;

using End = FetchResult::End;

FetchResult ended(End end, FailureCause cause = FailureCause::None, const QString &logLine = QString())
{
    FetchResult result;
    result.end = end;
    result.cause = cause;
    result.logLine = logLine;
    return result;
}

// A file's bytes into the feed, hashed as they pass; they are in the file already.
struct StreamedFile
{
    bool readable = false;
    bool stopped = false;
    QByteArray digest;
};

StreamedFile streamFile(const QString &path, ImageFeed &feed, const StopFlag &stop)
{
    StreamedFile streamed;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return streamed;
    feed.useBackingFile(path);
    feed.setTotal(file.size());
    Sha256 hash;
    const ChunkedRead read = readInChunks(
        [&file](char *into, qint64 max) { return file.read(into, max); },
        [&](const char *data, qint64 size) {
            hash.addData(data, size);
            return feed.append(QByteArray(data, int(size)), true, stop);
        },
        stop);
    streamed.stopped = read.end == ChunkedRead::End::Refused || read.end == ChunkedRead::End::Interrupted;
    streamed.readable = read.complete();
    if (streamed.readable)
        streamed.digest = hash.result();
    return streamed;
}

// One download into the feed and, when it can be kept, the partial file.
class Download
{
public:
    Download(const FetchOrder &order, ImageFeed &feed, const StopFlag &stop) : order(order), feed(feed), stop(stop) {}

    // resume: continue the partial file rather than start it anew.
    FetchResult run(bool resume)
    {
        hash = std::make_unique<Sha256>();
        partial.close();
        openPartial(resume);
        PipedSink piped([this](const QByteArray &piece) { return keep(piece); }, pipedBytes);
        DownloadHandlers handlers;
        handlers.begin = [this](qint64 startsAt) { return begin(startsAt); };
        handlers.take = [&piped](const char *data, qint64 size) { return piped.take(data, size); };
        handlers.progress = [this](qint64, qint64 total) { feed.setTotal(total); };
        const DownloadResult download = httpsGet({order.origin.url, resumeFrom, order.limits}, handlers, stop);
        const bool allKept = piped.finish();
        resumed = download.startsAt > 0;
        if (stop.isRaised() || (!allKept && !feed.hasReaders()))
            return ended(End::Stopped);
        if (!download.complete()) {
            if (download.rangeRefused)
                rangeRefused = true;
            return ended(End::Failed, FailureCause::Source, "Failure " + download.why);
        }
        FetchResult result = ended(End::Verified);
        result.digest = hash->result();
        if (!checksumMatches(result.digest, order.checksum)) {
            partial.remove();
            result.end = End::ChecksumMismatch;
            return result;
        }
        partial.close();
        if (partialGood && !order.keptPath.isEmpty() && feed.moveBackingFile(order.keptPath))
            result.keptImage = order.keptPath;
        else if (partial.exists())
            partial.remove();
        return result;
    }

    bool wasResumed() const { return resumed; }
    bool wasRangeRefused() const { return rangeRefused; }

private:
    void openPartial(bool resume)
    {
        resumeFrom = 0;
        partialGood = false;
        if (order.partialPath.isEmpty() || !(lock = lockDownloadFile(order.partialPath)))
            return;
        partial.setFileName(order.partialPath);
        partialGood = partial.open(QIODevice::ReadWrite | QIODevice::Unbuffered);
        if (partialGood && resume)
            resumeFrom = partial.size();
    }

    // The curl thread, before the first piece: a resumed body follows the bytes the
    // partial file holds, which go into the feed and the hash first.
    bool begin(qint64 startsAt)
    {
        feed.useBackingFile(partialGood ? order.partialPath : QString());
        if (startsAt == 0) {
            partialGood = partialGood && partial.resize(0);
            return true;
        }
        partial.seek(0);
        const ChunkedRead earlier = readInChunks(
            [this, startsAt](char *into, qint64 max) { return partial.read(into, qMin(max, startsAt - partial.pos())); },
            [this](const char *data, qint64 size) {
                hash->addData(data, size);
                return feed.append(QByteArray(data, int(size)), true, stop);
            },
            stop);
        return earlier.complete() && earlier.bytes == startsAt;
    }

    // The keeping thread: the cache's copy, the hash, the readers.
    bool keep(const QByteArray &piece)
    {
        if (partialGood && partial.write(piece) != piece.size()) {
            // The workstation is full: the cameras still get the image, from memory.
            qDebug() << "The workstation cannot keep a copy of the image:" << partial.errorString();
            partialGood = false;
        }
        hash->addData(piece.constData(), piece.size());
        return feed.append(piece, partialGood, stop);
    }

    const FetchOrder &order;
    ImageFeed &feed;
    const StopFlag &stop;
    std::unique_ptr<QLockFile> lock;
    QFile partial;
    bool partialGood = false;
    qint64 resumeFrom = 0;
    bool resumed = false;
    bool rangeRefused = false;
    std::unique_ptr<Sha256> hash;
};

FetchResult fromFile(const QString &path, ImageFeed &feed, const QString &checksum, const StopFlag &stop)
{
    const StreamedFile streamed = streamFile(path, feed, stop);
    if (streamed.stopped || stop.isRaised())
        return ended(End::Stopped);
    if (!streamed.readable)
        return ended(End::Failed, FailureCause::Source, "Failure - cannot read " + path);
    FetchResult result = ended(checksumMatches(streamed.digest, checksum) ? End::Verified : End::ChecksumMismatch);
    result.digest = streamed.digest;
    return result;
}
}

FetchResult fetchImage(const FetchOrder &order, ImageFeed &feed, const StopFlag &stop)
{
    bool rotten = false;
    if (!order.cachedImage.isEmpty()) {
        FetchResult cached = fromFile(order.cachedImage, feed, order.checksum, stop);
        if (cached.end == End::Verified || cached.end == End::Stopped) {
            cached.keptImage = order.cachedImage;
            feed.finish(cached.end == End::Verified);
            return cached;
        }
        // The kept copy has rotted on disk: the readers start over, from the origin.
        rotten = true;
        feed.restart();
    }
    FetchResult result;
    if (order.origin.isFile()) {
        result = fromFile(order.origin.filePath, feed, order.checksum, stop);
        if (result.end == End::ChecksumMismatch)
            result.cause = FailureCause::Source;
    } else {
        Download download(order, feed, stop);
        result = download.run(true);
        // What was kept of an earlier try may not belong to this image: once, whole.
        if ((result.end == End::ChecksumMismatch && download.wasResumed())
            || (result.end == End::Failed && download.wasRangeRefused())) {
            feed.restart();
            result = download.run(false);
        }
    }
    result.cachedImageRotten = rotten;
    feed.finish(result.end == End::Verified);
    return result;
}
