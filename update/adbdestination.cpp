#include "update/adbdestination.h"

#include "detection/adbscanner.h"
#include "outside/exclusivelock.h"
#include "outside/processrunner.h"
#include "outside/textbeforenul.h"
#include "update/sha256.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <limits>

namespace {
constexpr qint64 mebibyte = 1024 * 1024;
// The end of a push's output says how it went; a progress line per percent stays far below.
constexpr qint64 pushOutputBytes = 64 * 1024;
}

int AdbPushTimeLimit::forImage(qint64 imageBytes) const
{
    const qint64 startedMiBs = (qMax<qint64>(imageBytes, 0) + mebibyte - 1) / mebibyte;
    return int(qMin<qint64>(baseMs + startedMiBs * perMiBMs, std::numeric_limits<int>::max()));
}

struct AdbDestination::Staging
{
    explicit Staging(const QString &stagingPath)
        : folder(stagingPath + QStringLiteral(".XXXXXX")), file(folder.filePath(QFileInfo(stagingPath).fileName()))
    {
        good = !stagingPath.isEmpty() && folder.isValid() && file.open(QIODevice::WriteOnly);
    }
    QTemporaryDir folder;
    QFile file;
    std::unique_ptr<Sha256> hash = std::make_unique<Sha256>();
    qint64 written = 0;
    bool good = false;
};

AdbDestination::AdbDestination(const QString &serial, const QString &stagingPath, const QString &deviceFolder,
                               AdbPushTimeLimit limit, const QString &lockFolder)
    : serial(serial), stagingPath(stagingPath), deviceFolder(deviceFolder), limit(limit), lockFolder(lockFolder)
{
}

AdbDestination::~AdbDestination() = default;

UpdateOutcome AdbDestination::open()
{
    if (!lockFolder.isEmpty()) {
        // A serial is the device's own text: its lock file is named by its digits in hex.
        ExclusiveLock::Attempt attempt;
        deviceLock = ExclusiveLock::ofFile(lockFolder + "/adb-" + QString::fromLatin1(serial.toUtf8().toHex()) + ".lock",
                                           &attempt);
        if (attempt == ExclusiveLock::Attempt::Held)
            return {UpdateEnd::Busy, QStringLiteral("another program is pushing to the device"), {}, 0, 0};
    }
    staging = std::make_unique<Staging>(stagingPath);
    return staging->good ? UpdateOutcome{UpdateEnd::Installed, {}, {}, 0, 0} : refusal();
}

bool AdbDestination::take(const char *data, qint64 size)
{
    staging->good = staging->good && staging->file.write(data, size) == size;
    staging->hash->addData(data, size);
    staging->written += size;
    return staging->good;
}

bool AdbDestination::restart()
{
    staging->hash = std::make_unique<Sha256>();
    staging->written = 0;
    staging->good = staging->good && staging->file.resize(0) && staging->file.seek(0);
    return staging->good;
}

UpdateOutcome AdbDestination::refusal() const
{
    return {UpdateEnd::WorkstationFull, "cannot stage the image in " + QFileInfo(stagingPath).path(), {}, 0, 0};
}

UpdateOutcome AdbDestination::place(const QByteArray &digest, const StopFlag &stop, const ProgressReport &report)
{
    // A full disk shows at the flush as often as at a write: the staged file must hold
    // every byte, and exactly the image, or a truncated image would be pushed.
    Staging &staged = *staging;
    if (!staged.good || !staged.file.flush() || staged.file.size() != staged.written || staged.hash->result() != digest)
        return {UpdateEnd::WorkstationFull, QStringLiteral("the staged image is not whole"), {}, 0, 0};
    staged.file.close();
    if (report)
        report({UpdatePhase::Pushing, 0, -1, 0});
    const ProcessOutcome push = runProgram(
        adbProgram, {QStringLiteral("-s"), serial, QStringLiteral("push"), staged.file.fileName(), deviceFolder},
        {limit.forImage(staged.written), pushOutputBytes, ProcessLimits::Overflow::KeepLast}, stop);
    if (stop.isRaised())
        return {UpdateEnd::Stopped, QStringLiteral("the push was cut"), {}, 0, 0};
    // Only a push that ended on its own counts; old adb releases said so with a "100%"
    // progress line rather than a trustworthy exit status.
    const bool endedNormally = push.started && push.finished && !push.crashed;
    if (endedNormally && (push.exitCode == 0 || textBeforeNul(push.standardOutput).contains(QLatin1String("100%"))))
        return {UpdateEnd::Installed, {}, {}, 0, 0};
    return {UpdateEnd::PushNotConfirmed, QStringLiteral("adb push did not confirm the image"), {}, 0, 0};
}
