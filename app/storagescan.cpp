#include "app/mainwindow.h"

#include "detection/versionfile.h"
#include "detection/volumescan.h"

QByteArray MainWindow::readVersionFile(const QString &rootPath, ASSET_INFORMATION *asset)
{
    return readCardVersionFile(rootPath, asset->Model_Code);
}

void MainWindow::pollUsbDevices(ASSET_INFORMATION *tzAsset)
{
    const VolumeScanResult found =
        scanVolumesForCamera(volumesForScan(), tzAsset->Model_Code, tzAsset->Brand,
                             [this, tzAsset](const QString &root) { return readVersionFile(root, tzAsset); });
    // Every field is overwritten, found or not: a card pulled since the last pass leaves
    // nothing behind.
    tzAsset->Attached = found.attached;
    tzAsset->Device_Version = found.version;
    tzAsset->Device_Brand = found.brand;
    tzAsset->Update_Path = found.updatePath;
    handleDetection(tzAsset);
}
