#pragma once

#include "detection/attachedcamera.h"
#include "update/progresstext.h"
#include "update/updatemessages.h"
#include "update/updateprogress.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QMap>
#include <QTimer>

class QGridLayout;
class QLabel;
class QProgressBar;
class QPushButton;

// Tells how the updates under way go, a line per camera: the camera as its row names
// it, the step, bytes done of all, speed and time left, or how long the image has not
// come in; and under them all, the updates as a whole and a Stop button. It locks
// nothing: the list stays the technician's, and a camera started meanwhile gets a line
// of its own. Stop, and the title bar's close, stop every update (Escape does not:
// it is too easily pressed, nor Enter); the window goes when the last update has ended.
// It shows without taking the keyboard's focus from the list, where the technician may
// go on pressing Enter on rows: F6 there brings it forward with Stop in focus, and F6
// here goes back. A screen reader hears each camera's bar by the camera's name. A bench
// that never runs out of updates never sees it go: only the latest results keep their
// lines, and the count under them tells all.
class ProgressWindow : public QDialog
{
    Q_OBJECT
public:
    // giveUpMs: how long a download waits for data before it fails.
    ProgressWindow(QWidget *window, int giveUpMs);

    // A camera's line, by an id of the caller's.
    void addCamera(int id, const AttachedCamera &camera);
    void takeProgress(int id, const UpdateProgress &progress);
    void takeResult(int id, const UpdateMessage &message, bool succeeded);
    // Comes forward, active, with the Stop button in the keyboard's focus.
    void goToStop();

signals:
    void stopRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    struct Line
    {
        QLabel *name = nullptr;
        QLabel *step = nullptr;
        QProgressBar *bar = nullptr;
        UpdateProgress progress;
        TransferRate rate;
        qint64 phaseStartMs = 0;
        bool started = false;
        bool finished = false;
        bool succeeded = false;
    };
    void refresh();
    void dropOldestResults();

    struct Tally
    {
        int cameras = 0, finished = 0, failed = 0;
        qint64 done = 0, total = 0;
        void add(const Line &line);
    };

    const int giveUpMs;
    QGridLayout *grid = nullptr;
    QLabel *summary = nullptr;
    QPushButton *stopButton = nullptr;
    QMap<int, Line> lines; // by id: in the order they came
    Tally dropped;         // of the lines that made room
    QTimer refreshTimer;
    QElapsedTimer clock;
};
