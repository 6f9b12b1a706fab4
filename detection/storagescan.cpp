#include "app/mainwindow.h"

QByteArray MainWindow::readVersionFile(const QString &, ASSET_INFORMATION *)
{
    return QByteArray();
}

void MainWindow::pollUsbDevices(ASSET_INFORMATION *tzAsset)
{
    handleDetection(tzAsset);
}
