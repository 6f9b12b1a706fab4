#include "update/imagewrite.h"

#include "update/chunkedread.h"

#include <QElapsedTimer>

namespace {
// Reports the bytes taken as they go, a few times a second at most.
class ProgressThrottle
{
public:
    ProgressThrottle(const ProgressReport &report, ImageFeed::Reader &reader, UpdatePhase writing)
        : report(report), reader(reader), writing(writing)
    {
    }
    void operator()(qint64 done, bool now = false)
    {
        if (!report || (!now && since.isValid() && !since.hasExpired(100)))
            return;
        since.start();
        const ImageFeed::Reader::Arrival arrival = reader.arrival();
        report({arrival.ended ? writing : UpdatePhase::Downloading, done, arrival.total,
                done >= arrival.received && !arrival.ended ? arrival.silentMs : 0});
    }

private:
    const ProgressReport &report;
    ImageFeed::Reader &reader;
    const UpdatePhase writing;
    QElapsedTimer since;
};

UpdateOutcome ended(UpdateEnd end, const QString &detail, qint64 bytes)
{
    return {end, detail, {}, bytes, 0};
}
}

UpdateOutcome writeImage(ImageDestination &destination, ImageFeed::Reader &reader, const QByteArray &digest,
                         const StopFlag &stop, const ProgressReport &report)
{
    UpdateOutcome opened = destination.open();
    if (opened.end != UpdateEnd::Installed)
        return opened;
    QByteArray buffer(int(chunkBytes), Qt::Uninitialized);
    ProgressThrottle progress(report, reader, destination.writingPhase());
    qint64 bytes = 0;
    for (;;) {
        const ImageFeed::Reader::Read read = reader.read(buffer.data(), buffer.size(), stop);
        switch (read.status) {
        case ImageFeed::Reader::Status::Data:
            if (!destination.take(buffer.constData(), read.bytes)) {
                UpdateOutcome refused = destination.refusal();
                refused.bytes = bytes;
                return refused;
            }
            bytes += read.bytes;
            progress(bytes);
            break;
        case ImageFeed::Reader::Status::Restart:
            bytes = 0;
            if (!destination.restart())
                return destination.refusal();
            break;
        case ImageFeed::Reader::Status::Waiting:
            // The image is slow to come: is the camera still there to take it?
            if (!destination.stillThere())
                return ended(UpdateEnd::Unplugged, QStringLiteral("the camera went while its image came"), bytes);
            progress(bytes, true);
            break;
        case ImageFeed::Reader::Status::Stopped:
            return ended(UpdateEnd::Stopped, QStringLiteral("stopped"), bytes);
        case ImageFeed::Reader::Status::Failed: {
            const FeedEnd feed = reader.end();
            // A stopped feed stopped this update too.
            UpdateOutcome failed = ended(stop.isRaised() ? UpdateEnd::Stopped : feed.failure, feed.detail, bytes);
            failed.sha256 = feed.digest;
            return failed;
        }
        case ImageFeed::Reader::Status::End: {
            progress(bytes, true);
            UpdateOutcome placed = destination.place(digest, stop, report);
            placed.bytes = bytes;
            if (placed.end == UpdateEnd::Installed)
                placed.sha256 = digest;
            return placed;
        }
        }
    }
}
