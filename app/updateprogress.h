#pragma once

#include "update/progresstext.h"
#include "update/updatephase.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QRect>
#include <QTimer>

class QWidget;
struct ASSET_INFORMATION;

// Tells the user how far an update has come: a window-modal dialog naming the camera,
// with the step, the bytes, speed and time left, or how long a step without a known
// size has run, and a bar. It is there, and modal, from the moment the update starts,
// so that the window takes no second update meanwhile; it goes when this object goes,
// so it is closed before the outcome's message box opens.
//
// It also keeps an eye on the camera's record, which the poll cycle refreshes while
// the update runs: when the camera goes, it says so and emits cameraLost().
class UpdateProgress : public QObject
{
    Q_OBJECT
public:
    // keepClear: the camera's row on the screen, which the dialog stays off if it can.
    // giveUpMs: how long the download waits for data before it fails.
    UpdateProgress(QWidget *window, const ASSET_INFORMATION &camera, int giveUpMs, UpdateRunPlace place = {},
                   QRect keepClear = {});
    ~UpdateProgress() override;

    void report(UpdatePhase phase, qint64 done, qint64 total);

    // A reporter that worker threads may call: it posts the values to this object.
    PhaseProgress reporterForWorkers();

    bool cameraGone() const { return gone; }

signals:
    void cameraLost();

private:
    void showDialog();
    void refreshDialog();
    void placeDialog();

    QPointer<QWidget> window;
    const ASSET_INFORMATION &camera;
    const QString cameraText;
    const QRect keepClear;
    const int giveUpMs;
    QPointer<QProgressDialog> dialog;
    QTimer refreshTimer;
    QElapsedTimer clock;
    TransferRate rate;
    bool started = false;
    bool gone = false;
    UpdatePhase phase = UpdatePhase::Downloading;
    qint64 done = 0;
    qint64 total = -1;
    qint64 phaseStartMs = 0;
    qint64 lastDataMs = 0;
};
