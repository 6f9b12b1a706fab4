#pragma once

#include "detection/attachedcamera.h"
#include "update/updatemessages.h"
#include "update/updateoutcome.h"

#include <QDialog>
#include <QVector>

class QPushButton;
class QTreeWidget;

// How a run of several cameras ended, on one screen instead of a box per camera: each
// camera with the name and place its row has and how it came out (the box it would
// have had, in its tooltip and for a screen reader), the counts, and a button that
// starts the failed cameras again. It locks nothing; Escape or Close closes it.
class RunSummary : public QDialog
{
    Q_OBJECT
public:
    struct Line
    {
        AttachedCamera camera;
        UpdateOutcome outcome;
        UpdateMessage message;
        bool started = true;
    };
    RunSummary(QWidget *window, const QVector<Line> &lines);

    // The cameras the technician may want again: those that did not succeed.
    QVector<AttachedCamera> failedCameras() const;

signals:
    void updateAgainRequested(const QVector<AttachedCamera> &cameras);

private:
    QVector<Line> lines;
    QTreeWidget *table = nullptr;
    QPushButton *again = nullptr;
};
