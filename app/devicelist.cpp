#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/devicerow.h"

#include <QIcon>
#include <QListWidget>
#include <QListWidgetItem>
#include <QMessageBox>
#include <QPixmap>

#include <algorithm>

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
    refreshDeviceView();
}

void MainWindow::refreshDeviceView()
{
    // Rows are compared by what they show rather than counted: the card behind a
    // record can change while the number of cameras stays the same.
    QVector<ShownRow> rows;
    for (ASSET_INFORMATION *device : qAsConst(attachedDevices)) {
        if (hasVersionAndDestination(*device))
            rows.append(shownRow(device));
    }
    if (rows == shownDevices)
        return;
    QListWidget *view = ui->lw_DeviceView;
    ASSET_INFORMATION *selected = deviceShownInRow(view->currentRow());
    const auto sameCamera = [](const ShownRow &a, const ShownRow &b) { return a.device == b.device; };
    // The same cameras in the same order are redrawn in place, so that the selection
    // and the scroll position stay where the technician left them.
    const bool inPlace = std::equal(rows.begin(), rows.end(), shownDevices.begin(), shownDevices.end(), sameCamera);
    if (!inPlace)
        view->clear();
    for (int row = 0; row < rows.size(); ++row) {
        if (inPlace && rows.at(row) == shownDevices.at(row))
            continue;
        const ASSET_INFORMATION &device = *rows.at(row).device;
        QListWidgetItem *item = inPlace ? view->item(row) : new QListWidgetItem;
        // A brand without a picture in the bundle gives no icon: a row without one. An
        // icon made from the name, not from a pixmap, also takes the "@2x" file.
        const QString imageName = deviceImageName(device);
        item->setIcon(QPixmap(imageName).isNull() ? QIcon() : QIcon(imageName));
        item->setText(deviceRowText(device));
        item->setToolTip(deviceToolTip(device));
        if (!inPlace)
            view->insertItem(view->count(), item);
    }
    shownDevices = rows;
    if (!inPlace)
        selectDeviceRow(selected);
}

void MainWindow::selectDeviceRow(ASSET_INFORMATION *device)
{
    const auto shown = std::find_if(shownDevices.cbegin(), shownDevices.cend(),
                                    [device](const ShownRow &row) { return row.device == device; });
    if (device == nullptr || shown == shownDevices.cend())
        return;
    QListWidget *view = ui->lw_DeviceView;
    view->setCurrentRow(int(shown - shownDevices.cbegin()));
    view->scrollToItem(view->currentItem());
}

QRect MainWindow::deviceRowOnScreen(ASSET_INFORMATION *device) const
{
    for (int row = 0; row < shownDevices.size(); ++row) {
        if (shownDevices.at(row).device != device)
            continue;
        const QListWidget *view = ui->lw_DeviceView;
        const QRect rect = view->visualItemRect(view->item(row)) & view->viewport()->rect();
        return rect.isEmpty() ? QRect() : QRect(view->viewport()->mapToGlobal(rect.topLeft()), rect.size());
    }
    return QRect();
}
