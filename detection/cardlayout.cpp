#include "detection/cardlayout.h"

namespace {
const QString dcim = QStringLiteral("DCIM/");
}

QString CardLayout::deviceFolderName(const QString &modelCode)
{
    return "100" + modelCode;
}

QString CardLayout::updateFolderName(const QString &modelCode)
{
    return modelCode + "LOAD";
}

QString CardLayout::updateImageName(const QString &modelCode)
{
    return modelCode + "UPDT.BIN";
}

QString CardLayout::deviceFolder(const QString &modelCode)
{
    return dcim + deviceFolderName(modelCode);
}

QString CardLayout::updateFolder(const QString &modelCode)
{
    return dcim + updateFolderName(modelCode);
}

QString CardLayout::versionFile(const QString &modelCode)
{
    return deviceFolder(modelCode) + "/.version";
}

QString CardLayout::updateImage(const QString &modelCode)
{
    return updateFolder(modelCode) + '/' + updateImageName(modelCode);
}

QString CardLayout::onVolume(const QString &volumeRoot, const QString &cardPath)
{
    if (volumeRoot.endsWith('/'))
        return volumeRoot + cardPath;
    return volumeRoot + '/' + cardPath;
}
