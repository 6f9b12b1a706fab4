#include "app/mainwindow.h"

#include "detection/adbscanner.h"

#include <QThread>

void MainWindow::startPollCycle()
{
}

void MainWindow::stopPollCycle()
{
    delete scanner;
    scanner = nullptr;
    delete workerThread;
    workerThread = nullptr;
}

void MainWindow::getAttachedDeviceTZList()
{
}

void MainWindow::handleAdbResult(ASSET_INFORMATION *, const AdbReading &)
{
}

QVector<MountedVolume> MainWindow::volumesForScan() const
{
    return passVolumes ? *passVolumes : volumeSource->mountedVolumes();
}
