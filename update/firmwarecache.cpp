#include "update/firmwarecache.h"

#include "outside/background.h"
#include "outside/privatefolder.h"
#include "update/checksum.h"

#include <QDir>
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

void removeCacheLeftovers(const QString &cacheFolder, const QDateTime &partialCutoff)
{
    const QString runs = runsFolder(cacheFolder);
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
    const QFileInfoList partials =
        QDir(partialFolder(cacheFolder)).entryInfoList({QStringLiteral("*.part")}, QDir::Files);
    for (const QFileInfo &partial : partials) {
        const std::unique_ptr<QLockFile> lock = lockFor(partial.absoluteFilePath());
        if (partial.lastModified().toUTC() < partialCutoff && lock->tryLock(0)) {
            QFile::remove(partial.absoluteFilePath());
            lock->unlock();
        }
    }
}

CacheDownload::CacheDownload(QString partialPath, QString keptPath)
    : partialPath(std::move(partialPath)), keptPath(std::move(keptPath))
{
}

CacheDownload::~CacheDownload() = default;

bool CacheDownload::open()
{
    if (!lock) {
        lock = lockFor(partialPath);
        if (!lock->tryLock(0)) {
            lock.reset();
            return false;
        }
    }
    if (partial.isOpen())
        return true;
    partial.setFileName(partialPath);
    return partial.open(QIODevice::ReadWrite | QIODevice::Unbuffered);
}

qint64 CacheDownload::resumableBytes()
{
    return partial.isOpen() ? partial.size() : 0;
}

bool CacheDownload::startOver()
{
    return partial.isOpen() && partial.resize(0) && partial.seek(0);
}

void CacheDownload::discard()
{
    if (partial.isOpen())
        partial.remove();
}

QString CacheDownload::commit()
{
    partial.close();
    if (!keptPath.isEmpty()) {
        // An older file under the name goes first (a rotten copy the run forgot).
        QFile::remove(keptPath);
        if (QFile::rename(partialPath, keptPath))
            return keptPath;
    }
    QFile::remove(partialPath);
    return QString();
}

FirmwareCache::FirmwareCache(const QString &folder)
    : root(privateFolder(folder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::CacheLocation) : folder))
{
    if (root.isEmpty() || privateFolder(runsFolder(root)).isEmpty() || privateFolder(partialFolder(root)).isEmpty()) {
        root.clear();
        return;
    }
    locks = privateFolder(root + QStringLiteral("/locks"));
    runInBackground([root = root, cutoff = QDateTime::currentDateTimeUtc().addSecs(-partialKeptSecs)] {
        removeCacheLeftovers(root, cutoff);
    });
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

std::unique_ptr<CacheDownload> FirmwareCache::download(const QString &checksum)
{
    const QString name = normalisedChecksum(checksum);
    if (root.isEmpty() || name.isEmpty())
        return nullptr;
    const QString run = runFolderPath();
    return std::unique_ptr<CacheDownload>(
        new CacheDownload(partialFolder(root) + '/' + name + QStringLiteral(".part"), run.isEmpty() ? run : run + '/' + name));
}

QString FirmwareCache::runFolderPath()
{
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
    return runFolder;
}

void FirmwareCache::remember(const QString &link, const QString &checksum, const QString &path)
{
    const Key key = keyFor(link, checksum);
    if (key.second.isEmpty())
        return;
    if (!path.isEmpty()) {
        images.insert(key, path);
        return;
    }
    const QString rotten = images.take(key);
    if (!rotten.isEmpty())
        QFile::remove(rotten);
}
