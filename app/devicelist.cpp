#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/devicerow.h"

#include <QIcon>
#include <QListWidgetItem>
#include <QMessageBox>
#include <QPixmap>

namespace {
// Drops at most one record per call, so that a detection result changes the list by
// one row at a time.
void dropFirstUnlistable(QVector<ASSET_INFORMATION *> &devices)
{
    const QVector<ASSET_INFORMATION *> snapshot = devices;
    for (ASSET_INFORMATION *device : snapshot) {
        if (!hasVersionAndDestination(*device)) {
            devices.removeOne(device);
            return;
        }
    }
}
}

void MainWindow::handleDetection(ASSET_INFORMATION *asset)
{
    if (!asset->Attached)
        asset->Error_Count = 0;
    const QVector<ASSET_INFORMATION *> previous = attachedDevices;

    if (!attachedDevices.contains(asset) && hasVersionAndDestination(*asset)) {
        attachedDevices.append(asset);
    } else {
        if (asset->Device_Version.isEmpty() && asset->Error_Count <= 0 && asset->Attached) {
            // Counted before the box opens: poll passes keep running inside its event
            // loop and must not open a second box for the same card.
            ++asset->Error_Count;
            QMessageBox::critical(this, asset->Model + " - Detection Error",
                                  "Unable to read version info.\nPlease ensure the SD card is plugged in and try again.",
                                  QMessageBox::Ok);
        }
        dropFirstUnlistable(attachedDevices);
    }
    refreshDeviceView(previous);
}

void MainWindow::refreshDeviceView(QVector<ASSET_INFORMATION *> previous)
{
    // Only a device coming or going redraws the list; a changed version alone does not.
    if (attachedDevices.size() == previous.size())
        return;
    ui->lw_DeviceView->clear();
    shownDevices.clear();
    const QVector<ASSET_INFORMATION *> devices = attachedDevices;
    for (ASSET_INFORMATION *device : devices) {
        if (!hasVersionAndDestination(*device))
            continue;
        // A brand without a picture in the bundle gives a null pixmap: a row without one.
        auto *row = new QListWidgetItem(QIcon(QPixmap(deviceImageName(*device))), deviceRowText(*device));
        ui->lw_DeviceView->insertItem(ui->lw_DeviceView->count(), row);
        shownDevices.append(device);
    }
}
