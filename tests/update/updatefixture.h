#pragma once

#include "catalogue/assetinformation.h"
#include "cardlayout.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

// Images and catalogue records for the update tests.

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

// An attached camera one version behind the catalogue.
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

inline QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}
