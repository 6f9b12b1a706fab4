#include "update/firmwarecache.h"

#include "update/checksum.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>

FirmwareCache::FirmwareCache() = default;

FirmwareCache::~FirmwareCache() = default;

FirmwareCache::Key FirmwareCache::keyFor(const QString &link, const QString &checksum)
{
    return {link, normalisedChecksum(checksum)};
}

bool FirmwareCache::ensureFolder()
{
    // Made on first use, so that a run that updates nothing leaves nothing behind.
    if (!folder)
        folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/vek-updater-XXXXXX"));
    return folder->isValid();
}

std::unique_ptr<QTemporaryFile> FirmwareCache::newDownloadFile()
{
    if (!ensureFolder())
        return nullptr;
    auto file = std::make_unique<QTemporaryFile>(folder->filePath(QStringLiteral("image-XXXXXX")));
    if (!file->open())
        return nullptr;
    return file;
}

void FirmwareCache::keep(const QString &link, const QString &checksum, QTemporaryFile &verifiedDownload)
{
    const Key key = keyFor(link, checksum);
    if (key.second.isEmpty())
        return;
    drop(link, checksum);
    verifiedDownload.setAutoRemove(false);
    images.insert(key, verifiedDownload.fileName());
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
