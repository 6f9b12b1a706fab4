#include "app/updateprogress.h"

#include "catalogue/assetinformation.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QProgressDialog>
#include <QScreen>

namespace {
constexpr int refreshEveryMs = 250;
constexpr int barSteps = 1000;
constexpr int rowMargin = 8;

// Escape and the title bar's close button would hide the dialog for good while the
// update goes on, and hand the window back for a second update.
class UnclosableProgressDialog : public QProgressDialog
{
public:
    using QProgressDialog::QProgressDialog;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->matches(QKeySequence::Cancel))
            event->accept();
        else
            QProgressDialog::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent *event) override { event->ignore(); }
};
}

UpdateProgress::UpdateProgress(QWidget *window, const ASSET_INFORMATION &camera, int giveUpMs,
                               UpdateRunPlace place, QRect keepClear)
    : window(window),
      camera(camera),
      cameraText(progressCameraText(camera.Model, camera.Device_Version, camera.Device_Brand, place)),
      keepClear(keepClear),
      giveUpMs(giveUpMs)
{
    // It also watches for the camera going.
    refreshTimer.setInterval(refreshEveryMs);
    connect(&refreshTimer, &QTimer::timeout, this, &UpdateProgress::refreshDialog);
    refreshTimer.start();
    clock.start();
    showDialog();
}

UpdateProgress::~UpdateProgress()
{
    delete dialog;
}

void UpdateProgress::report(UpdatePhase newPhase, qint64 newDone, qint64 newTotal)
{
    const qint64 now = clock.elapsed();
    if (!started || newPhase != phase) {
        phaseStartMs = now;
        lastDataMs = now;
        rate.reset();
    }
    if (newDone != done)
        lastDataMs = now;
    started = true;
    phase = newPhase;
    done = newDone;
    total = newTotal;
}

PhaseProgress UpdateProgress::reporterForWorkers()
{
    UpdateProgress *receiver = this;
    return [receiver](UpdatePhase phase, qint64 done, qint64 total) {
        // Posting is safe from any thread, and Qt discards what is still queued for an
        // object when it goes, so the pointer is never followed after that.
        QMetaObject::invokeMethod(
            receiver, [receiver, phase, done, total] { receiver->report(phase, done, total); }, Qt::QueuedConnection);
    };
}

void UpdateProgress::showDialog()
{
    if (dialog || !window)
        return;
    dialog = new UnclosableProgressDialog(window);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setWindowTitle(tr("Updating camera firmware"));
    // An update cannot be stopped half way without leaving the camera worse off.
    dialog->setCancelButton(nullptr);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setMinimumDuration(0);
    dialog->setRange(0, barSteps);
    refreshDialog();
    dialog->show();
    placeDialog();
}

void UpdateProgress::refreshDialog()
{
    const qint64 now = clock.elapsed();
    if (started)
        rate.sample(now, done);
    // Detection empties the record's destination on the first pass that misses the
    // camera; waiting on for a download it can no longer receive helps no one.
    if (!gone && camera.Update_Path.isEmpty()) {
        gone = true;
        showDialog();
        emit cameraLost();
    }
    if (!dialog)
        return;
    TransferState state;
    state.phase = phase;
    state.done = done;
    state.total = total;
    state.bytesPerSecond = rate.bytesPerSecond();
    state.elapsedMs = now - phaseStartMs;
    state.silentMs = now - lastDataMs;
    state.giveUpMs = giveUpMs;
    state.cameraGone = gone;
    dialog->setLabelText(cameraText + QLatin1Char('\n') + progressStepText(state));
    if (total > 0) {
        dialog->setMaximum(barSteps);
        dialog->setValue(int(qBound(qint64(0), done * barSteps / total, qint64(barSteps))));
    } else {
        // A busy bar while the size is unknown, and through the adb push.
        dialog->setMaximum(0);
        dialog->setValue(0);
    }
}

void UpdateProgress::placeDialog()
{
    // Qt centres the dialog on the window, often right over the camera's row: move it
    // below the row, or above it when there is no room below.
    const QRect frame = dialog->frameGeometry();
    if (keepClear.isEmpty() || !frame.intersects(keepClear))
        return;
    const QScreen *screen = dialog->screen() ? dialog->screen() : QGuiApplication::primaryScreen();
    const QRect room = screen->availableGeometry();
    QPoint topLeft(frame.x(), keepClear.bottom() + rowMargin);
    if (topLeft.y() + frame.height() > room.bottom())
        topLeft.setY(keepClear.top() - rowMargin - frame.height());
    if (topLeft.y() < room.top())
        return;
    dialog->move(topLeft);
}
