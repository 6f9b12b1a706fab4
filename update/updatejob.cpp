#include "update/updatejob.h"

#include "update/imagewrite.h"

namespace {
// How often the job looks at its write, and how long a stopped write may take to end.
constexpr int watchEveryMs = 250;
constexpr int stopGraceMs = 2000;
// A download gives up on a silent server by itself, and says why; this is for an
// image that cannot even do that (a source folder on a volume that stopped answering).
constexpr int silentSourceGraceMs = 5000;
}

UpdateJob::UpdateJob(std::unique_ptr<ImageDestination> destination, std::unique_ptr<ImageFeed::Reader> reader,
                     QByteArray digest, int giveUpMs)
    : destination(std::move(destination)), reader(std::move(reader)), digest(std::move(digest)), giveUpMs(giveUpMs)
{
    watchTimer.setInterval(watchEveryMs);
    connect(&watchTimer, &QTimer::timeout, this, &UpdateJob::watch);
}

UpdateJob::~UpdateJob()
{
    stopFlag.raise();
    reader->leave();
}

void UpdateJob::start()
{
    sinceStarted.start();
    sinceReport.start();
    watchTimer.start();
    // `this` is only used in what is posted back, which runs while the job lives.
    runInBackground([destination = destination, reader = reader, digest = digest, stop = stopFlag,
                     reply = mailbox.address(), this] {
        const ProgressReport report = [reply, this](const UpdateProgress &progress) {
            reply.post([this, progress] { takeProgress(progress); });
        };
        const UpdateOutcome outcome = writeImage(*destination, *reader, digest, stop, report);
        reply.post([this, outcome] { finish(outcome); });
    });
}

void UpdateJob::stop(UpdateEnd why, const QString &detail)
{
    if (done || stopping)
        return;
    stopping = true;
    stoppedWith = {why, detail, {}, 0, 0};
    stopFlag.raise();
    // A write that hangs on a card does not see the stop; the job ends all the same.
    QTimer::singleShot(stopGraceMs, this, [this] { finish(stoppedWith); });
}

void UpdateJob::takeProgress(const UpdateProgress &progress)
{
    sinceReport.start();
    last = progress;
    if (!done)
        emit progressed(progress);
}

void UpdateJob::watch()
{
    if (done || stopping)
        return;
    if (last.phase == UpdatePhase::Downloading && last.silentMs >= giveUpMs + silentSourceGraceMs) {
        stop(UpdateEnd::SourceFailed, QStringLiteral("the image has not come in for %1 ms").arg(last.silentMs));
        return;
    }
    // A card that takes nothing sends no report at all; a push has a time limit of its own.
    if (last.phase != UpdatePhase::Pushing && sinceReport.hasExpired(giveUpMs))
        stop(UpdateEnd::NotWritable, QStringLiteral("the camera took nothing for %1 ms").arg(giveUpMs));
}

void UpdateJob::finish(UpdateOutcome outcome)
{
    if (done)
        return;
    done = true;
    watchTimer.stop();
    stopFlag.raise();
    reader->leave();
    // A stop ends as it was asked for, whatever the write made of it on its way out; an
    // image that went live before the stop was seen is the camera's all the same.
    if (stopping && outcome.end != UpdateEnd::Installed) {
        outcome.end = stoppedWith.end;
        outcome.detail = stoppedWith.detail;
    }
    if (outcome.bytes == 0)
        outcome.bytes = last.done;
    outcome.durationMs = sinceStarted.elapsed();
    emit finished(outcome);
}
