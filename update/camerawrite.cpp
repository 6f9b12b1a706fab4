#include "update/camerawrite.h"

#include "detection/adbscanner.h"
#include "detection/cardlayout.h"
#include "detection/versionfile.h"
#include "update/cardwriter.h"
#include "update/chunkedread.h"

#include <QElapsedTimer>
#include <QThread>

namespace {
using End = CameraWriteResult::End;

// Reports the bytes taken as they go, a few times a second at most.
class ProgressThrottle
{
public:
    ProgressThrottle(const PhaseProgress &progress, ImageFeed::Reader &reader) : progress(progress), reader(reader) {}
    void operator()(qint64 done, bool force = false)
    {
        if (!progress || (!force && since.isValid() && !since.hasExpired(100)))
            return;
        since.start();
        const ImageFeed::Reader::Arrival arrival = reader.arrival();
        progress(arrival.ended ? UpdatePhase::Writing : UpdatePhase::Downloading, done, arrival.total);
    }

private:
    const PhaseProgress &progress;
    ImageFeed::Reader &reader;
    QElapsedTimer since;
};

// Hands every piece of the image to a sink, from the first byte to the verified end.
// The sink is made anew whenever the feed starts over.
template<typename Sink>
End pump(ImageFeed::Reader &reader, const StopFlag &stop, const PhaseProgress &progress, Sink &sink, qint64 *bytes)
{
    QByteArray buffer(int(chunkBytes), Qt::Uninitialized);
    ProgressThrottle report(progress, reader);
    for (;;) {
        const ImageFeed::Reader::Read read = reader.read(buffer.data(), buffer.size(), stop);
        switch (read.status) {
        case ImageFeed::Reader::Status::Data:
            if (!sink.take(buffer.constData(), read.bytes))
                return End::NotWritable;
            *bytes += read.bytes;
            report(*bytes);
            break;
        case ImageFeed::Reader::Status::Restart:
            *bytes = 0;
            if (!sink.restart())
                return End::NotWritable;
            break;
        case ImageFeed::Reader::Status::End:
            report(*bytes, true);
            return End::Placed;
        case ImageFeed::Reader::Status::Failed:
            return End::FeedFailed;
        case ImageFeed::Reader::Status::Stopped:
            return End::Stopped;
        case ImageFeed::Reader::Status::Waiting:
            // The image is slow to come: is the camera still there to take it?
            if (!sink.stillThere())
                return End::CameraGone;
            break;
        }
    }
}

// A card's temporary file, made anew on a restart.
class CardSink
{
public:
    explicit CardSink(const CardDestination &destination) : destination(destination) { restart(); }
    bool take(const char *data, qint64 size) { return writer->take(data, size); }
    bool stillThere() const { return isCardStillMounted(destination); }
    bool restart()
    {
        writer.reset(); // the old temporary file goes first
        writer = std::make_unique<CardImageWriter>(destination);
        return !writer->failed();
    }
    CardImageWriter &card() { return *writer; }

private:
    CardDestination destination;
    std::unique_ptr<CardImageWriter> writer;
};

CameraWriteResult writeToCard(const CameraWrite &write, ImageFeed::Reader &reader, const StopFlag &stop,
                              const PhaseProgress &progress)
{
    const AttachedCamera &camera = write.camera;
    CardSink sink({camera.imagePath, camera.location, camera.volumeIdentity});
    CameraWriteResult result;
    result.end = sink.card().failed() ? End::NotWritable : pump(reader, stop, progress, sink, &result.bytes);
    if (result.end == End::Placed) {
        const CardWriteResult placed = sink.card().finish(write.digest, stop, progress);
        result.end = placed.placed ? End::Placed : stop.isRaised() ? End::Stopped : End::NotWritable;
        result.why = placed.failure;
    }
    return result;
}

// A file for `adb push`, made anew on a restart.
class StagingSink
{
public:
    explicit StagingSink(const QString &stagingPath) : staging(stagingPath) {}
    bool take(const char *data, qint64 size) { return staging.take(data, size); }
    bool restart() { return staging.restart(); }
    // Whether the device is there shows when it is pushed to.
    bool stillThere() const { return true; }
    AdbStaging staging;
};

// Waits for the device's turn, or the stop.
std::unique_lock<std::mutex> deviceTurn(const CameraWrite &write, const StopFlag &stop)
{
    std::unique_lock<std::mutex> turn(*write.deviceTurn, std::defer_lock);
    while (!stop.isRaised() && !turn.try_lock())
        QThread::msleep(50);
    return turn;
}

CameraWriteResult pushToCamera(const CameraWrite &write, ImageFeed::Reader &reader, const StopFlag &stop,
                               const PhaseProgress &progress)
{
    const AttachedCamera &camera = write.camera;
    StagingSink sink(camera.imagePath);
    CameraWriteResult result;
    result.end = pump(reader, stop, progress, sink, &result.bytes);
    if (result.end == End::NotWritable)
        result.end = End::StagingFailed;
    if (result.end != End::Placed)
        return result;
    const QString staged = sink.staging.finish(write.digest);
    if (staged.isEmpty())
        return {End::StagingFailed, result.bytes, QStringLiteral("the staged image is not whole")};
    const std::unique_lock<std::mutex> turn = deviceTurn(write, stop);
    if (!turn.owns_lock())
        return {End::Stopped, result.bytes, QString()};
    if (progress)
        progress(UpdatePhase::Pushing, 0, -1);
    const QString deviceFolder = adbCardRoot + CardLayout::updateFolder(camera.entry.modelCode);
    if (pushStagedImage(camera.location, staged, deviceFolder, write.pushLimit.forImage(result.bytes), stop))
        return result;
    return {stop.isRaised() ? End::Stopped : End::PushNotConfirmed, result.bytes, QStringLiteral("adb push failed")};
}
}

CameraWriteResult writeToCamera(const CameraWrite &write, ImageFeed::Reader &reader, const StopFlag &stop,
                                const PhaseProgress &progress)
{
    return write.camera.route == CameraRoute::Card ? writeToCard(write, reader, stop, progress)
                                                   : pushToCamera(write, reader, stop, progress);
}
