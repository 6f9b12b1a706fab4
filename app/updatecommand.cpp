#include "app/mainwindow.h"

#include "app/updatemessages.h"

#include <QMessageBox>
#include <QScopedValueRollback>

namespace {
void showUpdateMessage(QWidget *window, const UpdateMessage &message)
{
    if (message.icon == QMessageBox::Critical)
        QMessageBox::critical(window, message.title, message.text, QMessageBox::Ok, QMessageBox::NoButton);
    else
        QMessageBox::information(window, message.title, message.text, QMessageBox::Ok, QMessageBox::NoButton);
}
}

void MainWindow::updateDevice(ASSET_INFORMATION *asset)
{
    if (updateRunning)
        return;
    const QScopedValueRollback<bool> running(updateRunning, true);
    updateOneDevice(asset);
}

void MainWindow::updateOneDevice(ASSET_INFORMATION *asset)
{
    if (!isUpdateRequired(asset)) {
        showUpdateMessage(this, upToDateMessage(*asset));
        return;
    }
    selectDeviceRow(asset);
    setCursor(Qt::WaitCursor);
    const int outcome = installFirmware(asset);
    setCursor(Qt::ArrowCursor);
    if (!windowClosed)
        showUpdateMessage(this, installOutcomeMessage(*asset, outcome, baseUrl));
}

void MainWindow::on_lw_DeviceView_doubleClicked(QModelIndex index)
{
    if (ASSET_INFORMATION *device = deviceShownInRow(index.row()))
        updateDevice(device);
}

void MainWindow::on_pushButton_clicked()
{
    if (updateRunning)
        return;
    const QScopedValueRollback<bool> running(updateRunning, true);
    // The poll cycle may change the list while an update waits, so its size is read anew.
    for (int position = 0; position < attachedDevices.size() && !windowClosed; ++position) {
        runPlace = {position + 1, attachedDevices.size()};
        updateOneDevice(attachedDevices.at(position));
    }
    runPlace = {};
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    windowClosed = true;
    QMainWindow::closeEvent(event);
}

ASSET_INFORMATION *MainWindow::deviceShownInRow(int row) const
{
    // The list skips cameras it can say nothing about, so rows and positions in
    // attachedDevices part ways whenever such a camera is in the list. A row whose
    // camera has gone since the list was drawn designates nothing.
    if (row < 0 || row >= shownDevices.size())
        return nullptr;
    ASSET_INFORMATION *device = shownDevices.at(row).device;
    return attachedDevices.contains(device) ? device : nullptr;
}
