#include "app/mainwindow.h"

void MainWindow::updateDevice(ASSET_INFORMATION *)
{
}

void MainWindow::on_lw_DeviceView_doubleClicked(QModelIndex)
{
}

void MainWindow::on_pushButton_clicked()
{
}

ASSET_INFORMATION *MainWindow::deviceShownInRow(int) const
{
    return nullptr;
}
