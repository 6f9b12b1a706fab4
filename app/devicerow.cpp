#include "app/devicerow.h"

#include "detection/versionfile.h"

bool hasVersionAndDestination(const ASSET_INFORMATION &device)
{
    return !device.Device_Version.isEmpty() && !device.Update_Path.isEmpty();
}

QString deviceImageName(const ASSET_INFORMATION &device)
{
    const QString brandSuffix = device.Device_Brand.isEmpty() ? QString() : "_" + device.Device_Brand;
    return ":/" + device.Model + brandSuffix + ".png";
}

QString deviceRowText(const ASSET_INFORMATION &device)
{
    return " " + device.Model + " - " + device.Device_Version;
}

QString deviceLocation(const ASSET_INFORMATION &device)
{
    if (device.ADB_Device)
        return QStringLiteral("USB debugging");
    QString root = device.Update_Path;
    root.chop(CardLayout::updateImage(device.Model_Code).size());
    // A mount point is named without its final "/", a drive root such as E:/ with it.
    if (root.endsWith('/') && !root.endsWith(":/") && root.size() > 1)
        root.chop(1);
    return root;
}

QString deviceToolTip(const ASSET_INFORMATION &device)
{
    const QString brand = device.Device_Brand.isEmpty() ? QStringLiteral("none") : device.Device_Brand;
    return QStringLiteral("Catalogue version: %1\nBrand reported: %2\nFound on: %3")
        .arg(device.Version, brand, deviceLocation(device));
}

ShownRow shownRow(ASSET_INFORMATION *device)
{
    return {device, device->Device_Version, device->Device_Brand, device->Update_Path};
}
