#include "processmemory.h"

#include <QFile>

namespace {
qint64 statusKiB(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}
}

qint64 residentBytes()
{
    return statusKiB("VmRSS:") * 1024;
}

qint64 peakResidentBytes()
{
    return statusKiB("VmHWM:") * 1024;
}

bool resetPeakResident()
{
    // "5" resets VmHWM (Linux 4.0 and later).
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}
