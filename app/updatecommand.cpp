#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/boxqueue.h"
#include "app/camerarows.h"
#include "app/progresswindow.h"
#include "station/updatestation.h"

#include <QCloseEvent>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace {
// How long a closing window waits for stopped updates to end (each keeping its card's
// old image) before the program ends regardless.
constexpr int closingWaitMs = 3000;
}

void MainWindow::updateDevice(const AttachedCamera &camera)
{
    installFirmware({camera});
}

void MainWindow::installFirmware(const QVector<AttachedCamera> &cameras)
{
    // One run at a time: the progress window is modal while it runs, and its boxes are
    // told before the next starts.
    if (windowClosed || !runToTell.isEmpty() || cameras.isEmpty())
        return;
    const QVector<int> indexes = station->updates().add(cameras);
    runCameras.clear();
    for (int i = 0; i < indexes.size(); ++i)
        runCameras.insert(indexes.at(i), cameras.at(i).key());
    runToTell = QSet<int>(indexes.cbegin(), indexes.cend());
}

void MainWindow::takeStarted(int index, const AttachedCamera &camera)
{
    if (!runToTell.contains(index))
        return;
    if (!progress) {
        setCursor(Qt::WaitCursor);
        progress = new ProgressWindow(this, station->limits().download.idleTimeoutMs);
        connect(progress, &ProgressWindow::stopRequested, &station->updates(), &UpdateQueue::stop);
        connect(&station->updates(), &UpdateQueue::progressed, progress, &ProgressWindow::takeProgress);
        progress->show();
    }
    progress->addCamera(index, camera);
    if (runToTell.size() == 1)
        progress->keepClearOf(rowOnScreen(camera.key()));
    runRunning.insert(index);
    rows->setState(camera.key(), tr("updating"));
}

void MainWindow::takeProgress(int index, const JobProgress &job)
{
    if (runRunning.contains(index) && job.total > 0)
        rows->setState(runCameras.value(index), tr("updating %1 %").arg(job.done * 100 / job.total));
}

void MainWindow::takeFinished(int index, const AttachedCamera &camera, const UpdateResult &result)
{
    if (!runToTell.contains(index))
        return;
    if (!result.skipped) {
        const UpdateMessage message = station->messageFor(camera, result);
        rows->setState(camera.key(), result.succeeded() ? message.brief : tr("failed: ") + message.brief,
                       !result.succeeded());
        if (progress)
            progress->takeResult(index, message, result.succeeded());
    }
    runRunning.remove(index);
    if (runRunning.isEmpty()) {
        // The window is the technician's again before the boxes that are left.
        setCursor(Qt::ArrowCursor);
        delete progress;
    }
}

void MainWindow::takeFinishedInOrder(int index, const AttachedCamera &camera, const UpdateResult &result)
{
    if (!runToTell.contains(index))
        return;
    if (result.skipped || windowClosed) {
        runToTell.remove(index);
        return;
    }
    boxes->show(station->messageFor(camera, result), [this, index] { runToTell.remove(index); });
}

void MainWindow::on_lw_DeviceView_doubleClicked(QModelIndex index)
{
    // A row whose camera has gone since the list was drawn designates nothing.
    const std::optional<AttachedCamera> shown = rows->cameraAt(index.row());
    if (!shown)
        return;
    if (const std::optional<AttachedCamera> camera = attachedDevices.find(shown->key()))
        updateDevice(*camera);
}

void MainWindow::on_pushButton_clicked()
{
    installFirmware(attachedDevices.cameras());
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // As Stop does: every update ends where that is safe, no box follows, and the
    // program waits a little for them so that no card is left half written.
    windowClosed = true;
    boxes->clear();
    UpdateQueue &updates = station->updates();
    updates.stop();
    if (updates.isBusy()) {
        QEventLoop wait;
        connect(station.get(), &UpdateStation::allTold, &wait, &QEventLoop::quit);
        QTimer::singleShot(closingWaitMs, &wait, &QEventLoop::quit);
        wait.exec();
    }
    QMainWindow::closeEvent(event);
}
