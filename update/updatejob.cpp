#include "update/updatejob.h"

#include "update/chunkedread.h"

namespace {
// How often the job looks at its write, and how long a stopped write may take to end.
constexpr int watchEveryMs = 250;
constexpr int stopGraceMs = 2000;
}

UpdateJob::UpdateJob(const CameraWrite &write, std::unique_ptr<ImageFeed::Reader> reader, int giveUpMs)
    : write(write), reader(std::move(reader)), giveUpMs(giveUpMs)
{
    watch.setInterval(watchEveryMs);
    connect(&watch, &QTimer::timeout, this, &UpdateJob::checkStall);
}

UpdateJob::~UpdateJob()
{
    stopFlag.raise();
    reader->leave();
}

void UpdateJob::start()
{
    sinceStarted.start();
    sinceProgress.start();
    watch.start();
    const ReplyAddress reply = mailbox.address();
    // `this` is only used in what is posted back, which runs while the job lives.
    runInBackground([write = write, reader = reader, stop = stopFlag, reply, this] {
        const PhaseProgress progress = [reply, this](UpdatePhase phase, qint64 done, qint64 total) {
            reply.post([this, phase, done, total] { takeReport({phase, done, total}); });
        };
        const CameraWriteResult result = writeToCamera(write, *reader, stop, progress);
        reply.post([this, result] { takeWrite(result); });
    });
}

void UpdateJob::takeFetchEnd(const FetchResult &ended)
{
    fetch = ended;
    switch (ended.end) {
    case FetchResult::End::Verified:
        break;
    case FetchResult::End::Failed:
        finish(InstallOutcome::DownloadFailed, ended.cause);
        break;
    case FetchResult::End::ChecksumMismatch:
        finish(InstallOutcome::ChecksumMismatch, ended.cause);
        break;
    case FetchResult::End::Stopped:
        finish(InstallOutcome::NotWritable, stopCause == FailureCause::None ? FailureCause::Stopped : stopCause);
        break;
    }
}

void UpdateJob::stop(FailureCause cause)
{
    if (done || stopFlag.isRaised())
        return;
    stopCause = cause;
    stopFlag.raise();
    // A write that hangs on a card does not see the stop; the job ends all the same.
    QTimer::singleShot(stopGraceMs, this, [this] { finish(InstallOutcome::NotWritable, stopCause); });
}

void UpdateJob::takeReport(const Report &report)
{
    if (report.phase != last.phase || report.done != last.done)
        sinceProgress.start();
    last.phase = report.phase;
    last.done = report.done;
    last.total = report.total;
    last.silentMs = 0;
    if (!done)
        emit progressed(last);
}

void UpdateJob::takeWrite(const CameraWriteResult &result)
{
    written = result;
    switch (result.end) {
    case CameraWriteResult::End::Placed:
        finish(InstallOutcome::Installed, FailureCause::None);
        break;
    case CameraWriteResult::End::FeedFailed:
        // The fetch's own end says why; it comes on its own.
        if (fetch)
            takeFetchEnd(*fetch);
        break;
    case CameraWriteResult::End::NotWritable:
        finish(InstallOutcome::NotWritable, FailureCause::None);
        break;
    case CameraWriteResult::End::StagingFailed:
        finish(InstallOutcome::DownloadFailed, FailureCause::Workstation);
        break;
    case CameraWriteResult::End::PushNotConfirmed:
        finish(InstallOutcome::PushNotConfirmed, FailureCause::None);
        break;
    case CameraWriteResult::End::Stopped:
        finish(InstallOutcome::NotWritable, stopCause == FailureCause::None ? FailureCause::Stopped : stopCause);
        break;
    case CameraWriteResult::End::CameraGone:
        finish(InstallOutcome::NotWritable, FailureCause::CameraGone);
        break;
    }
}

void UpdateJob::checkStall()
{
    if (done)
        return;
    const ImageFeed::Reader::Arrival arrival = reader->arrival();
    const bool waitingForImage = !arrival.ended && arrival.received < last.done + chunkBytes;
    if (waitingForImage && last.phase == UpdatePhase::Downloading) {
        last.silentMs = sinceProgress.elapsed();
        emit progressed(last);
        return;
    }
    // A push has a time limit of its own.
    if (last.phase != UpdatePhase::Pushing && sinceProgress.hasExpired(giveUpMs))
        stop(FailureCause::None);
}

void UpdateJob::finish(int outcome, FailureCause cause)
{
    if (done)
        return;
    done = true;
    watch.stop();
    stopFlag.raise();
    reader->leave();
    UpdateResult result;
    result.outcome = outcome;
    result.cause = outcome == InstallOutcome::Installed ? FailureCause::None : cause;
    result.bytes = written ? written->bytes : last.done;
    // A placed image is the catalogue's; a wrong one is told by its own digest.
    result.sha256 = outcome == InstallOutcome::Installed ? write.digest : fetch ? fetch->digest : QByteArray();
    result.durationMs = sinceStarted.elapsed();
    emit finished(result);
}
