#include "update/adbpush.h"

#include "outside/textbeforenul.h"
#include "outside/processrunner.h"

#include <QFile>

#include <atomic>

namespace {
std::atomic<int> pushTimeoutMs{processTimeoutMs};
constexpr qint64 chunkBytes = 1024 * 1024;

bool stageImage(const QString &imagePath, const QString &stagingPath, const PhaseProgress &progress)
{
    if (stagingPath.isEmpty())
        return false;
    QFile image(imagePath);
    QFile staging(stagingPath);
    if (!image.open(QIODevice::ReadOnly) || !staging.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const qint64 imageSize = image.size();
    QByteArray buffer(int(chunkBytes), Qt::Uninitialized);
    qint64 written = 0;
    for (;;) {
        const qint64 got = image.read(buffer.data(), chunkBytes);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        if (staging.write(buffer.constData(), got) != got)
            return false;
        written += got;
        if (progress)
            progress(UpdatePhase::Writing, written, imageSize);
    }
    return staging.flush() && written == imageSize;
}
}

AdbPushOutcome pushImageOverAdb(const AdbPushJob &job, const PhaseProgress &progress)
{
    if (!stageImage(job.imagePath, job.stagingPath, progress)) {
        if (!job.stagingPath.isEmpty())
            QFile::remove(job.stagingPath);
        return AdbPushOutcome::StagingNotWritable;
    }
    if (progress)
        progress(UpdatePhase::Pushing, 0, -1);
    const ProcessOutcome push = runProgram(QStringLiteral("adb"),
                                           {QStringLiteral("push"), job.stagingPath, job.deviceFolder}, adbPushTimeoutMs());
    QFile::remove(job.stagingPath);
    // Only a push that ended on its own counts; old adb releases said so with a "100%"
    // progress line rather than a trustworthy exit status.
    const bool endedNormally = push.started && push.finished && !push.crashed;
    const bool confirmed = endedNormally
                           && (push.exitCode == 0 || textBeforeNul(push.standardOutput).contains(QLatin1String("100%")));
    return confirmed ? AdbPushOutcome::Pushed : AdbPushOutcome::PushNotConfirmed;
}

int adbPushTimeoutMs()
{
    return pushTimeoutMs.load();
}

void setAdbPushTimeoutMs(int ms)
{
    pushTimeoutMs.store(ms);
}
