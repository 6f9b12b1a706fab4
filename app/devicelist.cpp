#include "app/mainwindow.h"

void MainWindow::handleDetection(ASSET_INFORMATION *)
{
}

void MainWindow::refreshDeviceView(QVector<ASSET_INFORMATION *>)
{
}
