#pragma once

#include "detection/attachedcamera.h"
#include "update/progresstext.h"
#include "update/updatejob.h"
#include "update/updatemessages.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QMap>
#include <QRect>
#include <QTimer>

class QGridLayout;
class QLabel;
class QProgressBar;
class QPushButton;

// Tells how the updates of a run go, a line per camera: the camera as its row names
// it, the step, bytes done of all, speed and time left, or how long the image has not
// come in; and under them all, the run as a whole and a Stop button. Window-modal from
// the moment the run starts, so that the window takes no second run meanwhile; Escape
// and the title bar's close leave it be, since hiding it would not stop the updates.
class ProgressWindow : public QDialog
{
    Q_OBJECT
public:
    // giveUpMs: how long a download waits for data before it fails.
    ProgressWindow(QWidget *window, int giveUpMs);

    void addCamera(int index, const AttachedCamera &camera);
    void takeProgress(int index, const JobProgress &progress);
    void takeResult(int index, const UpdateMessage &message, bool succeeded);
    // Stays off this part of the screen (a single camera's row) where it can.
    void keepClearOf(const QRect &area);

signals:
    void stopRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    struct Line
    {
        QLabel *step = nullptr;
        QProgressBar *bar = nullptr;
        JobProgress progress;
        TransferRate rate;
        qint64 phaseStartMs = 0;
        bool started = false;
        bool finished = false;
        bool succeeded = false;
    };
    void refresh();

    const int giveUpMs;
    QGridLayout *grid = nullptr;
    QLabel *summary = nullptr;
    QPushButton *stopButton = nullptr;
    QMap<int, Line> lines;
    QTimer refreshTimer;
    QElapsedTimer clock;
};
