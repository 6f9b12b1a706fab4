#include "update/firmwarecache.h"

#include "update/checksum.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>
#include <QTemporaryFile>

namespace {
QString runsFolder()
{
    return QDir::tempPath() + QStringLiteral("/vek-updater");
}

// A lock goes stale only with its process: a long update is no sign of a dead run.
std::unique_ptr<QLockFile> runLock(const QString &runFolder)
{
    auto lock = std::make_unique<QLockFile>(runFolder + QStringLiteral(".lock"));
    lock->setStaleLockTime(0);
    return lock;
}

void removeAbandonedRuns(const QString &runs)
{
    const QStringList folders =
        QDir(runs).entryList({QStringLiteral("run-*")}, QDir::Dirs | QDir::Hidden | QDir::NoSymLinks);
    for (const QString &name : folders) {
        const QString run = runs + '/' + name;
        const std::unique_ptr<QLockFile> lock = runLock(run);
        if (lock->tryLock(0))
            QDir(run).removeRecursively();
    }
}
}

FirmwareCache::FirmwareCache() = default;

FirmwareCache::~FirmwareCache()
{
    if (folder.isEmpty())
        return;
    QDir(folder).removeRecursively();
    lock.reset();
    // Goes only when no other run is using it.
    QDir().rmdir(QFileInfo(folder).path());
}

FirmwareCache::Key FirmwareCache::keyFor(const QString &link, const QString &checksum)
{
    return {link, normalisedChecksum(checksum)};
}

bool FirmwareCache::ensureFolder()
{
    // Made on first use, so that a run that updates nothing leaves nothing behind.
    if (!folder.isEmpty())
        return true;
    const QString runs = runsFolder();
    // Shared by every user on some systems: a link there could lead the removal of
    // abandoned runs anywhere.
    if (QFileInfo(runs).isSymLink() || !QDir().mkpath(runs))
        return false;
    removeAbandonedRuns(runs);
    // The lock comes first: a folder without a held lock is another run's to remove.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QString run = runs + "/run-" + QString::number(QRandomGenerator::global()->generate64(), 36);
        std::unique_ptr<QLockFile> candidate = runLock(run);
        if (!candidate->tryLock(0))
            continue;
        if (!QDir().mkdir(run))
            return false;
        folder = run;
        lock = std::move(candidate);
        return true;
    }
    return false;
}

QString FirmwareCache::newDownloadFile()
{
    if (!ensureFolder())
        return QString();
    QTemporaryFile file(folder + QStringLiteral("/image-XXXXXX"));
    if (!file.open())
        return QString();
    file.setAutoRemove(false);
    return file.fileName();
}

void FirmwareCache::keep(const QString &link, const QString &checksum, const QString &verifiedDownload)
{
    const Key key = keyFor(link, checksum);
    if (key.second.isEmpty())
        return;
    drop(link, checksum);
    images.insert(key, verifiedDownload);
}

void FirmwareCache::discard(const QString &download)
{
    QFile::remove(download);
}

QString FirmwareCache::imageFor(const QString &link, const QString &checksum) const
{
    return images.value(keyFor(link, checksum));
}

void FirmwareCache::drop(const QString &link, const QString &checksum)
{
    const QString path = images.take(keyFor(link, checksum));
    if (!path.isEmpty())
        QFile::remove(path);
}
