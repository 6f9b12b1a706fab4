#pragma once

#include "app/camerarows.h"
#include "station/updaterun.h"

#include <QHash>
#include <QObject>
#include <QPointer>

class BoxQueue;
class ProgressWindow;
class UpdateRun;
class UpdateStation;
class QWidget;

// What the window shows of the runs under way: a line per camera in the progress
// window (while any update runs), the state on each camera's row, and at a run's end
// the box of a single camera, or one summary for a run of several.
class RunViews : public QObject
{
    Q_OBJECT
public:
    RunViews(QWidget *window, UpdateStation &station, CameraRows &rows, BoxQueue &boxes);

    // How a run's end is told: a box (a double-click on one camera), a summary (a run
    // of several), or only on the rows (cameras updated as they were plugged in).
    enum class Telling { Box, Summary, Rows };
    void follow(UpdateRun *run, Telling telling);
    // A run the technician asked for: a box for one camera, a summary for several.
    void followAsked(UpdateRun *run) { follow(run, run->count() == 1 ? Telling::Box : Telling::Summary); }
    // The window is closing: nothing more is told.
    void quiet();
    // Brings the progress window forward, its Stop button in the keyboard's focus;
    // false when no update is under way.
    bool goToProgress();

signals:
    void updateAgainRequested(const QVector<AttachedCamera> &cameras);

private:
    void started(UpdateRun *run, int index);
    void ended(UpdateRun *run, int index, Telling telling);
    void runEnded(UpdateRun *run, Telling telling);
    int lineId(UpdateRun *run, int index);

    QWidget *window;
    UpdateStation &station;
    CameraRows &rows;
    BoxQueue &boxes;
    QPointer<ProgressWindow> progress;
    QHash<QPair<UpdateRun *, int>, int> lines; // progress lines, by run and camera
    int nextLine = 0;
    bool quietNow = false;
};
