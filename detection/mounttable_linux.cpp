#include "detection/mounttable.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <algorithm>

namespace {
// A mount table is a few kilobytes; this bounds a machine with thousands of mounts.
constexpr qint64 maxMountTableBytes = 4 * 1024 * 1024;

// Fields of /proc/self/mountinfo escape blanks and backslashes as octal: \040.
QByteArray unescaped(const QByteArray &field)
{
    QByteArray plain;
    for (int i = 0; i < field.size(); ++i) {
        if (field.at(i) == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                plain += char(code);
                i += 3;
                continue;
            }
        }
        plain += field.at(i);
    }
    return plain;
}

bool isParentOf(const QByteArray &parent, const QByteArray &path)
{
    return path == parent || path.startsWith(parent + '/');
}

// The volumes Qt's own list leaves out: kernel and run-time file systems, and those
// whose device is no device path, tmpfs apart.
bool isPseudoFileSystem(const QByteArray &root, const QByteArray &type, const QByteArray &device)
{
    for (const char *system : {"/dev", "/proc", "/sys", "/var/run", "/var/lock"}) {
        if (isParentOf(system, root))
            return true;
    }
    if (type == "tmpfs")
        return false;
    if (type == "rootfs" || type == "rpc_pipefs")
        return true;
    return !device.startsWith('/');
}

struct MountLine
{
    QByteArray id, deviceNumber, root, type, device;
};

// "36 35 98:0 /mnt1 /mnt/parent rw,noatime master:1 - ext3 /dev/root rw": the mount's
// id, its device number, its mount point (field 5) and, behind the " - ", its type and
// device.
bool parse(const QByteArray &line, MountLine *mount)
{
    const QList<QByteArray> fields = line.split(' ');
    const int separator = fields.indexOf("-");
    if (fields.size() < 5 || separator < 5 || fields.size() < separator + 3)
        return false;
    *mount = {fields.at(0), fields.at(2), unescaped(fields.at(4)), unescaped(fields.at(separator + 1)),
              unescaped(fields.at(separator + 2))};
    return true;
}

QList<QByteArray> mountLines()
{
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (!table.open(QIODevice::ReadOnly))
        return {};
    return table.read(maxMountTableBytes).split('\n');
}
}

QVector<MountPoint> listMountPoints()
{
    QVector<MountPoint> mounts;
    const QList<QByteArray> lines = mountLines();
    for (const QByteArray &line : lines) {
        MountLine mount;
        if (parse(line, &mount) && !isPseudoFileSystem(mount.root, mount.type, mount.device))
            mounts.append({QFile::decodeName(mount.root), QString::fromLatin1(mount.id),
                           QString::fromLatin1(mount.deviceNumber)});
    }
    // A later mount over the same place hides the earlier one.
    QVector<MountPoint> visible;
    for (int i = mounts.size() - 1; i >= 0; --i) {
        const bool hidden = std::any_of(visible.cbegin(), visible.cend(),
                                        [&](const MountPoint &later) { return later.rootPath == mounts.at(i).rootPath; });
        if (!hidden)
            visible.prepend(mounts.at(i));
    }
    return visible;
}

QString mountIdentityAt(const QString &rootPath)
{
    const QByteArray root = QFile::encodeName(rootPath);
    QString identity;
    const QList<QByteArray> lines = mountLines();
    for (const QByteArray &line : lines) {
        MountLine mount;
        if (parse(line, &mount) && mount.root == root)
            identity = QString::fromLatin1(mount.id);
    }
    return identity;
}
