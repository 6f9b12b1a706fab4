#include "detection/mounttable.h"

#include <windows.h>

QVector<MountPoint> listMountPoints()
{
    // Drive letters only: GetLogicalDriveStrings reads no volume.
    wchar_t drives[4 * 26 + 1] = {};
    const DWORD length = GetLogicalDriveStringsW(DWORD(sizeof drives / sizeof *drives) - 1, drives);
    QVector<MountPoint> mounts;
    for (const wchar_t *drive = drives; length > 0 && *drive; drive += wcslen(drive) + 1) {
        const UINT type = GetDriveTypeW(drive);
        if (type == DRIVE_NO_ROOT_DIR || type == DRIVE_UNKNOWN)
            continue;
        const QString root = QString::fromWCharArray(drive).replace('\\', '/');
        mounts.append({root, QString(), root});
    }
    return mounts;
}

QString mountIdentityAt(const QString &rootPath)
{
    // The file system's serial number, new with every card formatted. A reader without
    // a card must not bring up the system's "insert a disk" box.
    DWORD previousMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    const QString native = QString(rootPath).replace('/', '\\');
    DWORD serial = 0;
    const BOOL known = GetVolumeInformationW(reinterpret_cast<const wchar_t *>(native.utf16()), nullptr, 0, &serial,
                                             nullptr, nullptr, nullptr, 0);
    SetThreadErrorMode(previousMode, nullptr);
    return known ? QString::number(serial, 16) : QString();
}
