#include "update/adbpush.h"

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

struct AdbStaging::Files
{
    explicit Files(const QString &stagingPath)
        : folder(stagingPath + QStringLiteral(".XXXXXX")), file(folder.filePath(QFileInfo(stagingPath).fileName()))
    {
    }
    QTemporaryDir folder;
    QFile file;
    std::unique_ptr<Sha256> hash = std::make_unique<Sha256>();
    qint64 written = 0;
    bool good = false;
};

AdbStaging::AdbStaging(const QString &stagingPath) : files(std::make_unique<Files>(stagingPath))
{
    files->good = !stagingPath.isEmpty() && files->folder.isValid() && files->file.open(QIODevice::WriteOnly);
}

AdbStaging::~AdbStaging() = default;

bool AdbStaging::take(const char *data, qint64 size)
{
    files->good = files->good && files->file.write(data, size) == size;
    files->hash->addData(data, size);
    files->written += size;
    return files->good;
}

bool AdbStaging::restart()
{
    files->hash = std::make_unique<Sha256>();
    files->written = 0;
    files->good = files->good && files->file.resize(0) && files->file.seek(0);
    return files->good;
}

QString AdbStaging::finish(const QByteArray &digest)
{
    // A full disk shows at the flush as often as at a write: the file must hold every
    // byte, or a truncated image would be pushed.
    if (!files->good || !files->file.flush() || files->file.size() != files->written || files->hash->result() != digest)
        return QString();
    files->file.close();
    return files->file.fileName();
}

bool pushStagedImage(const QString &serial, const QString &stagedImage, const QString &deviceFolder, int timeoutMs,
                     const StopFlag &stop)
{
    const ProcessOutcome push =
        runProgram(QStringLiteral("adb"), {QStringLiteral("-s"), serial, QStringLiteral("push"), stagedImage, deviceFolder},
                   {timeoutMs, pushOutputBytes, ProcessLimits::Overflow::KeepLast}, stop);
    // Only a push that ended on its own counts; old adb releases said so with a "100%"
    // progress line rather than a trustworthy exit status.
    const bool endedNormally = push.started && push.finished && !push.crashed;
    return endedNormally && (push.exitCode == 0 || textBeforeNul(push.standardOutput).contains(QLatin1String("100%")));
}
