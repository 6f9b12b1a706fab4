#include "update/adbpush.h"

#include "outside/textbeforenul.h"
#include "update/chunkedread.h"
#include "outside/processrunner.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <limits>

namespace {
constexpr qint64 mebibyte = 1024 * 1024;
// The end of a push's output says how it went; a progress line per percent stays far below.
constexpr qint64 pushOutputBytes = 64 * 1024;

bool stageImage(const QString &imagePath, const QString &stagingPath, const PhaseProgress &progress)
{
    QFile image(imagePath);
    QFile staging(stagingPath);
    if (!image.open(QIODevice::ReadOnly) || !staging.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const qint64 imageSize = image.size();
    const ChunkedRead copied = readInChunks(
        image, [&staging](const char *data, qint64 size) { return staging.write(data, size) == size; },
        [&](qint64 written) {
            if (progress)
                progress(UpdatePhase::Writing, written, imageSize);
        });
    return copied.complete() && staging.flush() && copied.bytes == imageSize;
}
}

int AdbPushTimeLimit::forImage(qint64 imageBytes) const
{
    const qint64 startedMiBs = (qMax<qint64>(imageBytes, 0) + mebibyte - 1) / mebibyte;
    return int(qMin<qint64>(baseMs + startedMiBs * perMiBMs, std::numeric_limits<int>::max()));
}

AdbPushOutcome pushImageOverAdb(const AdbPushJob &job, const PhaseProgress &progress)
{
    if (job.stagingPath.isEmpty())
        return AdbPushOutcome::StagingNotWritable;
    // adb names the file on the camera after the local one, so the folder is what
    // keeps the pushes of two updates apart; it goes with everything in it.
    QTemporaryDir folder(job.stagingPath + QStringLiteral(".XXXXXX"));
    const QString staged = folder.filePath(QFileInfo(job.stagingPath).fileName());
    if (!folder.isValid() || !stageImage(job.imagePath, staged, progress))
        return AdbPushOutcome::StagingNotWritable;
    if (progress)
        progress(UpdatePhase::Pushing, 0, -1);
    const ProcessOutcome push =
        runProgram(QStringLiteral("adb"), {QStringLiteral("push"), staged, job.deviceFolder},
                   {job.timeoutMs, pushOutputBytes, ProcessLimits::Overflow::KeepLast});
    // Only a push that ended on its own counts; old adb releases said so with a "100%"
    // progress line rather than a trustworthy exit status.
    const bool endedNormally = push.started && push.finished && !push.crashed;
    const bool confirmed = endedNormally
                           && (push.exitCode == 0 || textBeforeNul(push.standardOutput).contains(QLatin1String("100%")));
    return confirmed ? AdbPushOutcome::Pushed : AdbPushOutcome::PushNotConfirmed;
}
