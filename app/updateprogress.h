#pragma once

#include "update/updatephase.h"

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QTimer>

class QWidget;

// Tells the user how far an update has come: a window-modal dialog with the phase,
// the bytes and a bar. Short updates finish without it: the dialog appears only
// once a phase has lasted half a second, and it goes when this object goes, so it
// is closed before the outcome's message box opens.
class UpdateProgress : public QObject
{
    Q_OBJECT
public:
    explicit UpdateProgress(QWidget *window);
    ~UpdateProgress() override;

    void report(UpdatePhase phase, qint64 done, qint64 total);

    // A reporter that worker threads may call: it posts the values to this object.
    PhaseProgress reporterForWorkers();

private:
    void showDialog();
    void refreshDialog();

    QPointer<QWidget> window;
    QPointer<QProgressDialog> dialog;
    QTimer showDelay;
    QTimer refreshTimer;
    bool started = false;
    UpdatePhase phase = UpdatePhase::Downloading;
    qint64 done = 0;
    qint64 total = -1;
};
