#pragma once

// What the window tests share: the list as shown, cards, images and camera records.

#include "app/mainwindow.h"
#include "cardlayout.h"
#include "update/installlimits.h"

#include <QCryptographicHash>
#include <QListWidget>
#include <QRandomGenerator>

#include <sys/mount.h>

inline QListWidget *deviceView(const MainWindow &w) { return w.findChild<QListWidget *>("lw_DeviceView"); }

inline QStringList rows(const MainWindow &w)
{
    QStringList texts;
    for (int row = 0; row < deviceView(w)->count(); ++row)
        texts << deviceView(w)->item(row)->text();
    return texts;
}

// One poll pass now, as the window's timer runs it.
inline bool pollOnce(MainWindow &w)
{
    return QMetaObject::invokeMethod(&w, "getAttachedDeviceTZList", Qt::DirectConnection);
}

inline QByteArray firmwareImage(int size, quint32 seed = 1)
{
    QByteArray bytes((size + 3) / 4 * 4, Qt::Uninitialized);
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
    return bytes.left(size);
}

// Qt's own digest, independent of the code under test.
inline QString checksumOf(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toUpper();
}

inline QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// A record as detection leaves it: a camera of version deviceVersion attached, or
// nothing attached when that is null.
inline ASSET_INFORMATION camera(const QString &model, const QString &code, const QString &deviceVersion = "5.910",
                                const QString &updatePath = "/media/card/DCIM/LOAD/UPDT.BIN")
{
    ASSET_INFORMATION asset;
    asset.Model = model;
    asset.Model_Code = code;
    asset.Version = "5.920";
    asset.Device_Version = deviceVersion;
    asset.Attached = !deviceVersion.isNull();
    asset.Update_Path = asset.Attached ? updatePath : QString();
    return asset;
}

// Bounds short enough that a stalled server or adb holds a test up for a second or two.
inline InstallLimits quickLimits(int idleTimeoutMs = 1500, AdbPushTimeLimit push = {})
{
    InstallLimits limits;
    limits.download.idleTimeoutMs = idleTimeoutMs;
    limits.push = push;
    return limits;
}

// Cards in the private mount namespace of a test registered with MOUNTS. They come out
// lazily, as a card pulled from its reader goes: at once, whoever still holds a file.
inline bool mountCard(const QString &root, qint64 bytes = 16 << 20)
{
    return QDir().mkpath(root) && ::mount("vek-card", QFile::encodeName(root).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                                          ("size=" + QByteArray::number(bytes)).constData()) == 0;
}
inline bool remountCard(const QString &root, bool readOnly)
{
    return ::mount(nullptr, QFile::encodeName(root).constData(), nullptr,
                   MS_REMOUNT | MS_NOSUID | MS_NODEV | (readOnly ? MS_RDONLY : 0), nullptr) == 0;
}
inline bool pullCard(const QString &root) { return ::umount2(QFile::encodeName(root).constData(), MNT_DETACH) == 0; }
