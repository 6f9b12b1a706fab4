#pragma once

#include <QString>
#include <QVector>

// The mounted volumes that may hold a camera's card, as the operating system lists
// them, without asking any volume anything: listing must not wait on a volume that
// stopped answering (a card whose reader hangs, a network drive gone away).
struct MountPoint
{
    QString rootPath;
    // Changes when another volume is mounted at the same place (Linux: the mount's id).
    QString identity;
    // The volume's device as usbPortPath takes it: on Linux the device number
    // "MAJ:MIN", on Windows the drive.
    QString device;
};

QVector<MountPoint> listMountPoints();

// The identity of whatever is mounted at rootPath now, or an empty string. Touches
// only the operating system's mount table on Linux; on Windows it asks the volume,
// so it is called only where waiting on the volume is already accepted.
QString mountIdentityAt(const QString &rootPath);
