#include "app/devicerow.h"

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
