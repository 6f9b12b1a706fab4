#include "detection/cameranames.h"

#include <QCoreApplication>

namespace {
// Serials run to 20 characters and more; a row has room for a dozen.
constexpr int shownSerialCharacters = 12;
}

QString cameraRowText(const AttachedCamera &camera)
{
    return " " + camera.entry.model + " - " + camera.installedVersion;
}

QString cameraTitle(const AttachedCamera &camera)
{
    QString title = camera.entry.model + " - " + camera.installedVersion;
    if (!camera.reportedBrand.isEmpty())
        title += " (" + camera.reportedBrand + ")";
    return title;
}

namespace {
QString placeOnWorkstation(const AttachedCamera &camera)
{
    if (camera.route == CameraRoute::Adb) {
        QString serial = camera.location;
        if (serial.size() > shownSerialCharacters)
            serial = serial.left(shownSerialCharacters / 2 - 1) + QChar(0x2026) + serial.right(shownSerialCharacters / 2);
        return QCoreApplication::translate("CameraNames", "USB debugging %1").arg(serial);
    }
    QString root = camera.location;
    if (root.endsWith('/') && !root.endsWith(":/") && root.size() > 1)
        root.chop(1);
    return root;
}
}

QString cameraPlace(const AttachedCamera &camera)
{
    const QString place = placeOnWorkstation(camera);
    return camera.slotName.isEmpty() ? place : camera.slotName + QString::fromUtf8(" \u00b7 ") + place;
}

QString cameraLocation(const AttachedCamera &camera)
{
    return camera.slotName.isEmpty() ? camera.location : camera.slotName;
}
