#include "detection/usbslot.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
// A USB device's name in sysfs is its port path, "BUS-PORT[.PORT...]"; its interfaces
// ("1-4.3:1.0") and the host controllers ("usb1") are named otherwise.
bool namesUsbPort(const QString &component)
{
    static const QRegularExpression port(QStringLiteral("^\\d{1,3}-\\d{1,3}(\\.\\d{1,3}){0,6}$"));
    return port.match(component).hasMatch();
}
}

QString usbPortPath(const QString &device, const QString &sysfsRoot)
{
    static const QRegularExpression deviceNumber(QStringLiteral("^\\d{1,10}:\\d{1,10}$"));
    if (!deviceNumber.match(device).hasMatch())
        return QString();
    const QString root = QFileInfo(sysfsRoot).canonicalFilePath();
    // Resolved by the kernel (realpath), which bounds the links it follows.
    const QString resolved = QFileInfo(sysfsRoot + "/dev/block/" + device).canonicalFilePath();
    if (root.isEmpty() || !resolved.startsWith(root + '/'))
        return QString();
    const QStringList components = resolved.mid(root.size() + 1).split('/', Qt::SkipEmptyParts);
    for (int i = components.size() - 1; i >= 0; --i) {
        if (namesUsbPort(components.at(i)))
            return components.at(i);
    }
    return QString();
}
