#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/boxqueue.h"
#include "app/camerarows.h"
#include "catalogue/versionnumber.h"
#include "detection/cameraregistry.h"

void MainWindow::handleDetection(const AttachedCamera &camera)
{
    // Once per attachment: the registry tells of it once until the card goes.
    boxes->show({true, camera.entry.model + " - Detection Error",
                  "Unable to read version info.\nPlease ensure the SD card is plugged in and try again.", {}});
}

void MainWindow::refreshDeviceView()
{
    const QVector<AttachedCamera> cameras = attachedDevices.cameras();
    QVector<bool> needsUpdate;
    for (const AttachedCamera &camera : cameras)
        needsUpdate << isUpdateRequired(camera);
    rows->show(cameras, needsUpdate);
}

bool MainWindow::isUpdateRequired(const AttachedCamera &camera) const
{
    return updateRequired(camera.entry.modelCode, camera.entry.version, camera.installedVersion);
}

QRect MainWindow::rowOnScreen(const QString &cameraKey) const
{
    const int row = rows->rowOf(cameraKey);
    const QListWidget *view = ui->lw_DeviceView;
    if (row < 0)
        return QRect();
    const QRect rect = view->visualItemRect(view->item(row)) & view->viewport()->rect();
    return rect.isEmpty() ? QRect() : QRect(view->viewport()->mapToGlobal(rect.topLeft()), rect.size());
}
