#include "update/firmwarecache.h"

#include "outside/background.h"
#include "outside/privatefolder.h"
#include "update/checksum.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>
#include <QStandardPaths>

namespace {
constexpr qint64 partialKeptSecs = 30 * 24 * 3600;

QString runsFolder(const QString &root)
{
    return root + QStringLiteral("/runs");
}

QString partialFolder(const QString &root)
{
    return root + QStringLiteral("/partial");
}

// A lock goes stale only with its process: a long update is no sign of a dead run.
std::unique_ptr<QLockFile> lockFor(const QString &path)
{
    auto lock = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
    lock->setStaleLockTime(0);
    return lock;
}

}

std::unique_ptr<QLockFile> lockDownloadFile(const QString &path)
{
    std::unique_ptr<QLockFile> lock = lockFor(path);
    return lock->tryLock(0) ? std::move(lock) : nullptr;
}

namespace {
void removeLeftovers(const QString &root)
{
    const QString runs = runsFolder(root);
    const QStringList folders =
        QDir(runs).entryList({QStringLiteral("run-*")}, QDir::Dirs | QDir::Hidden | QDir::NoSymLinks);
    for (const QString &name : folders) {
        const QString run = runs + '/' + name;
        const std::unique_ptr<QLockFile> lock = lockFor(run);
        if (lock->tryLock(0)) {
            QDir(run).removeRecursively();
            lock->unlock();
        }
    }
    const QDateTime cutoff = QDateTime::currentDateTimeUtc().addSecs(-partialKeptSecs);
    const QFileInfoList partials = QDir(partialFolder(root)).entryInfoList({QStringLiteral("*.part")}, QDir::Files);
    for (const QFileInfo &partial : partials) {
        const std::unique_ptr<QLockFile> lock = lockFor(partial.absoluteFilePath());
        if (partial.lastModified().toUTC() < cutoff && lock->tryLock(0)) {
            QFile::remove(partial.absoluteFilePath());
            lock->unlock();
        }
    }
}
}

FirmwareCache::FirmwareCache(const QString &folder)
    : root(privateFolder(folder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::CacheLocation) : folder))
{
    if (root.isEmpty() || privateFolder(runsFolder(root)).isEmpty() || privateFolder(partialFolder(root)).isEmpty()) {
        root.clear();
        return;
    }
    runInBackground([root = root] { removeLeftovers(root); });
}

FirmwareCache::~FirmwareCache()
{
    if (runFolder.isEmpty())
        return;
    QDir(runFolder).removeRecursively();
    runLock.reset();
}

FirmwareCache::Key FirmwareCache::keyFor(const QString &link, const QString &checksum)
{
    return {link, normalisedChecksum(checksum)};
}

QString FirmwareCache::imageFor(const QString &link, const QString &checksum) const
{
    return images.value(keyFor(link, checksum));
}

QString FirmwareCache::partialPathFor(const QString &checksum) const
{
    const QString name = normalisedChecksum(checksum);
    if (root.isEmpty() || name.isEmpty())
        return QString();
    return partialFolder(root) + '/' + name + QStringLiteral(".part");
}

QString FirmwareCache::verifiedPathFor(const QString &checksum)
{
    const QString name = normalisedChecksum(checksum);
    if (root.isEmpty() || name.isEmpty())
        return QString();
    // Made on first use, so that a run that updates nothing leaves nothing behind. The
    // lock comes first: a folder without a held lock is another run's to remove.
    for (int attempt = 0; runFolder.isEmpty() && attempt < 8; ++attempt) {
        const QString run = runsFolder(root) + "/run-" + QString::number(QRandomGenerator::global()->generate64(), 36);
        std::unique_ptr<QLockFile> candidate = lockFor(run);
        if (!candidate->tryLock(0))
            continue;
        if (!QDir().mkdir(run))
            return QString();
        runFolder = run;
        runLock = std::move(candidate);
    }
    return runFolder.isEmpty() ? QString() : runFolder + '/' + name;
}

void FirmwareCache::keep(const QString &link, const QString &checksum, const QString &path)
{
    const Key key = keyFor(link, checksum);
    if (!key.second.isEmpty() && !path.isEmpty())
        images.insert(key, path);
}

void FirmwareCache::forget(const QString &link, const QString &checksum)
{
    const QString path = images.take(keyFor(link, checksum));
    if (!path.isEmpty())
        QFile::remove(path);
}
