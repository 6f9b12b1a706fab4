#pragma once

#include "catalogue/assetinformation.h"
#include "cardlayout.h"
#include "mountsandbox.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

// Images, catalogue records and real tmpfs cards for the update tests.

inline QByteArray firmwareImage(int size, quint32 seed = 1)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    for (char &byte : bytes)
        byte = char(generator.generate());
    return bytes;
}

// Computed with Qt's own digest, independently of the code under test.
inline QString checksumOf(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toUpper());
}

inline ASSET_INFORMATION cameraRecord(const QString &model, const QString &code, const QString &link,
                                      const QString &checksum, const QString &updatePath)
{
    ASSET_INFORMATION asset;
    asset.Model = model;
    asset.Model_Code = code;
    asset.Version = "5.920";
    asset.Link = link;
    asset.Checksum = checksum;
    asset.Device_Version = "5.910";
    asset.Update_Path = updatePath;
    asset.Attached = true;
    return asset;
}

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

inline QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// A camera's card on its own tmpfs mount below parent, with the device folder and,
// when asked, the update folder. Returns where the image belongs, or an empty
// string (with why) when the card could not be made.
inline QString mountCard(MountSandbox &mounts, const QTemporaryDir &parent, const QString &name, const QString &code,
                         qint64 sizeBytes, bool withUpdateFolder, QString *why)
{
    const QString root = parent.filePath(name);
    if (!QDir().mkpath(root) || !mounts.mountTmpfs(root, sizeBytes, false, why))
        return QString();
    const QString imagePath = makeCard(root, code, "5.917\nORVA\n", withUpdateFolder);
    if (imagePath.isEmpty() && why)
        *why = "cannot lay out the card at " + root;
    return imagePath;
}
