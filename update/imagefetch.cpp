#include "update/imagefetch.h"

#include "outside/regularfile.h"
#include "update/checksum.h"
#include "update/chunkedread.h"
#include "update/firmwarecache.h"
#include "update/pipedsink.h"
#include "update/sha256.h"

#include <QFile>

namespace {
// Hashing and keeping run beside the receiving; this much may wait between them.
constexpr qint64 pipedBytes = 8 * 1024 * 1024;

FeedEnd failed(UpdateEnd failure, const QString &detail)
{
    return {false, failure, detail, {}};
}

// The verdict on bytes that all came: the catalogue's image, or not.
FeedEnd judged(const QByteArray &digest, const QString &checksum, const QString &from)
{
    if (checksumMatches(digest, checksum))
        return {true, UpdateEnd::Installed, {}, digest};
    return {false, UpdateEnd::ChecksumMismatch, from + " does not hash to the catalogue's checksum", digest};
}

// A file's bytes into the feed, hashed as they pass; they are in the file already.
FeedEnd fromFile(const QString &path, ImageFeed &feed, const QString &checksum, const StopFlag &stop)
{
    QFile file;
    QString why;
    if (!openRegularFile(file, path, &why))
        return failed(UpdateEnd::SourceFailed, "cannot read " + why);
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
    if (read.end == ChunkedRead::End::Refused || read.end == ChunkedRead::End::Interrupted || stop.isRaised())
        return failed(UpdateEnd::Stopped, QStringLiteral("stopped"));
    if (!read.complete())
        return failed(UpdateEnd::SourceFailed, "cannot read " + path + ": " + file.errorString());
    return judged(hash.result(), checksum, path);
}

// One download into the feed and, when the cache can keep it, its partial file.
class Download
{
public:
    Download(const FetchOrder &order, ImageFeed &feed, const StopFlag &stop) : order(order), feed(feed), stop(stop) {}

    // resume: continue what the partial file holds rather than start it anew.
    FetchEnd run(bool resume)
    {
        hash = std::make_unique<Sha256>();
        resumed = false;
        keeping = order.download && order.download->open();
        const qint64 resumeFrom = keeping && resume ? order.download->resumableBytes() : 0;
        PipedSink piped([this](const QByteArray &piece) { return keep(piece); }, pipedBytes);
        DownloadHandlers handlers;
        handlers.begin = [this](qint64 startsAt) { return begin(startsAt); };
        handlers.take = [&piped](const char *data, qint64 size) { return piped.take(data, size); };
        handlers.progress = [this](qint64, qint64 total) { feed.setTotal(total); };
        const DownloadResult download = httpsGet({order.origin.url, resumeFrom, order.limits}, handlers, stop);
        const bool allKept = piped.finish();
        if (stop.isRaised() || !allKept || download.end == DownloadResult::End::Refused)
            return {failed(UpdateEnd::Stopped, QStringLiteral("stopped")), {}, false};
        if (!download.complete()) {
            rangeRefused = download.rangeRefused;
            return {failed(UpdateEnd::SourceFailed, download.why), {}, false};
        }
        FetchEnd end{judged(hash->result(), order.checksum, order.origin.url.toString()), {}, false};
        if (!end.feed.verified) {
            if (keeping)
                order.download->discard();
            return end;
        }
        if (keeping)
            feed.relocateBackingFile([&] { return end.keptImage = order.download->commit(); });
        return end;
    }

    bool wasResumed() const { return resumed; }
    bool wasRangeRefused() const { return rangeRefused; }

private:
    // The receiving thread, before the first piece: a resumed body follows the bytes the
    // partial file holds, which go into the feed and the hash first.
    bool begin(qint64 startsAt)
    {
        feed.useBackingFile(keeping ? order.download->path() : QString());
        if (startsAt == 0) {
            keeping = keeping && order.download->startOver();
            return true;
        }
        resumed = true;
        QFile &partial = order.download->file();
        partial.seek(0);
        const ChunkedRead earlier = readInChunks(
            [&partial, startsAt](char *into, qint64 max) { return partial.read(into, qMin(max, startsAt - partial.pos())); },
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
        if (keeping && order.download->file().write(piece) != piece.size())
            keeping = false; // the workstation is full: the cameras still get the image, from memory
        hash->addData(piece.constData(), piece.size());
        return feed.append(piece, keeping, stop);
    }

    const FetchOrder &order;
    ImageFeed &feed;
    const StopFlag &stop;
    bool keeping = false;
    bool resumed = false;
    bool rangeRefused = false;
    std::unique_ptr<Sha256> hash;
};
}

FetchEnd fetchImage(const FetchOrder &order, ImageFeed &feed, const StopFlag &stop)
{
    FetchEnd end;
    if (!order.cachedImage.isEmpty()) {
        end.feed = fromFile(order.cachedImage, feed, order.checksum, stop);
        if (end.feed.verified || end.feed.failure == UpdateEnd::Stopped) {
            end.keptImage = order.cachedImage;
            feed.finish(end.feed);
            return end;
        }
        // The kept copy has rotted on disk: the readers start over, from the origin.
        end.cachedImageRotten = true;
        feed.restart();
    }
    const bool rotten = end.cachedImageRotten;
    if (order.origin.isFile()) {
        end.feed = fromFile(order.origin.filePath, feed, order.checksum, stop);
    } else {
        Download download(order, feed, stop);
        end = download.run(true);
        // What was kept of an earlier try may not belong to this image: once, whole.
        if ((end.feed.failure == UpdateEnd::ChecksumMismatch && download.wasResumed())
            || (end.feed.failure == UpdateEnd::SourceFailed && download.wasRangeRefused())) {
            feed.restart();
            end = download.run(false);
        }
    }
    end.cachedImageRotten = rotten;
    feed.finish(end.feed);
    return end;
}
