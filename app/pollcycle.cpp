#include "app/mainwindow.h"

#include "app/adbrouting.h"
#include "detection/adbscanner.h"

#include <QThread>
#include <QTimer>

namespace {
constexpr int pollIntervalMs = 1000;
}

void MainWindow::startPollCycle()
{
    scanner->moveToThread(workerThread);
    connect(workerThread, &QThread::finished, scanner, &QObject::deleteLater);
    connect(this, &MainWindow::getAdbDevice, scanner, &adbscanner::getAdbDevice);
    connect(scanner, &adbscanner::resultReady, this, &MainWindow::handleAdbResult);
    workerThread->start();

    pollTimer = new QTimer(this);
    pollTimer->setInterval(pollIntervalMs);
    // Queued, so that a pass runs from a posted event rather than inside the timer's own
    // activation: Qt never lets a timer fire again inside its own handler, so a pass that
    // opens a message box would otherwise stop all polling until the box is closed.
    connect(pollTimer, SIGNAL(timeout()), this, SLOT(getAttachedDeviceTZList()), Qt::QueuedConnection);
    pollTimer->start();
}

void MainWindow::stopPollCycle()
{
    const bool scannerHandedToWorker = workerThread->isRunning() || workerThread->isFinished();
    if (scannerHandedToWorker) {
        // Quitting lets the request being served run to its end; the thread's finished
        // signal then destroys the scanner in its own thread, which stops the adb server.
        workerThread->quit();
        workerThread->wait();
    } else {
        // init() never ran: the scanner still lives here and the thread never started.
        delete scanner;
    }
    scanner = nullptr;
    delete workerThread;
    workerThread = nullptr;

    delete pollTimer;
    pollTimer = nullptr;
}

void MainWindow::getAttachedDeviceTZList()
{
    // One enumeration of the volumes serves every storage scan of the pass. A pass
    // nested in this one (under a message box) enumerates afresh and resets it, so the
    // rest of this pass then enumerates per record and sees the volumes as they are now.
    passVolumes = volumeSource->mountedVolumes();
    adbRouting->beginPass();
    const QVector<ASSET_INFORMATION *> snapshot = assets;
    for (ASSET_INFORMATION *record : snapshot) {
        if (adbRouting->takeRequest(record))
            emit getAdbDevice(record, record->Model_Code);
        if (!record->ADB_Device)
            pollUsbDevices(record);
    }
    passVolumes.reset();
}

void MainWindow::handleAdbResult(ASSET_INFORMATION *result, const AdbReading &reading)
{
    const AdbRouting::AnswerUse use = adbRouting->takeAnswer(result, reading);
    if (use == AdbRouting::AnswerUse::Ignore)
        return;
    result->Attached = false;
    result->Update_Path = reading.updatePath;
    result->Device_Version = reading.version;
    result->Device_Brand = reading.brand;
    if (use == AdbRouting::AnswerUse::FallBack)
        return;
    result->Attached = true;
    handleDetection(result);
}

QVector<MountedVolume> MainWindow::volumesForScan() const
{
    return passVolumes ? *passVolumes : volumeSource->mountedVolumes();
}
