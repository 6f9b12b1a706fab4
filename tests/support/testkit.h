#pragma once

// What the tests share: cards, images, cameras and bounds.

#include "cardlayout.h"
#include "detection/mounttable.h"
#include "station/updatestation.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QtTest>

#include <sys/mount.h>

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

// A camera on the card at root as detection finds it, at version deviceVersion, of a
// catalogue entry offering 5.920.
inline AttachedCamera cardCamera(const QString &model, const QString &code, const QString &root,
                                 const QString &deviceVersion = "5.910")
{
    AttachedCamera camera;
    camera.entry.model = model;
    camera.entry.modelCode = code;
    camera.entry.version = "5.920";
    camera.location = root;
    camera.volumeIdentity = mountIdentityAt(root);
    camera.installedVersion = deviceVersion;
    camera.imagePath = root + "/DCIM/" + code + "LOAD/" + code + "UPDT.BIN";
    return camera;
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
// A folder made read-only where it is, as a card's write-protected folder is.
inline bool bindReadOnly(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
    return ::mount(path, path, nullptr, MS_BIND, nullptr) == 0
           && ::mount(nullptr, path, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}
inline bool pullCard(const QString &root) { return ::umount2(QFile::encodeName(root).constData(), MNT_DETACH) == 0; }

// A FUSE card mirroring backing at root (see fusecard/fusecard.cpp for the options),
// mounted once it answers; false where FUSE is not to be had.
inline bool mountFuseCard(QProcess &card, const QString &backing, const QString &root, const QStringList &options = {})
{
#ifdef VEK_FUSE_CARD
    QDir().mkpath(root);
    const QString identity = mountIdentityAt(root); // before the card can mount there
    card.start("nice", QStringList{"-n", "10", VEK_FUSE_CARD, backing, root} + options);
    return card.waitForStarted() && QTest::qWaitFor([&] { return mountIdentityAt(root) != identity; }, 5000);
#else
    Q_UNUSED(card) Q_UNUSED(backing) Q_UNUSED(root) Q_UNUSED(options)
    return false;
#endif
}
