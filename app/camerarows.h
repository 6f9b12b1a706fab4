#pragma once

#include "detection/attachedcamera.h"

#include <QCoreApplication>
#include <QHash>
#include <QString>
#include <QVector>

#include <optional>

class QListWidget;

// How a camera stands, as its row shows it: a mark that does not rest on colour alone,
// and a few words.
struct RowState
{
    enum class Mark { NeedsUpdate, UpToDate, Updating, Updated, Failed, Stopped, Locked };
    Mark mark = Mark::NeedsUpdate;
    QString text;
    bool operator==(const RowState &other) const { return mark == other.mark && text == other.text; }
};

// The device list as a view of the cameras attached: a row per camera, in the order
// they were attached, with its picture and " TZ2200 - 5.910", and under it where the
// camera is and how it stands (needs 5.920, up to date, updating 42 %, updated, failed
// and why, write-protected). A row keeps its item while its camera stays, so that the
// selection and the scroll stay where the technician left them; what an update said of
// a camera stays on its row until the camera is unplugged.
//
// A screen reader hears a row as one sentence, "TZ2200, 5.910, slot A3, needs 5.920":
// the model (and the brand the camera reports), its version, its slot's name or else
// where it is, and how it stands; and hears it again when that changes (updating,
// updated, failed), though not with every percent.
class CameraRows
{
    Q_DECLARE_TR_FUNCTIONS(CameraRows)

public:
    explicit CameraRows(QListWidget *view);

    // Makes the rows show these cameras; needsUpdate[i] tells of cameras[i].
    void show(const QVector<AttachedCamera> &cameras, const QVector<bool> &needsUpdate);
    // What an update says of a camera now.
    void setState(const QString &cameraKey, const RowState &state);

    // The camera a row stands for, as it was when the row was drawn.
    std::optional<AttachedCamera> cameraAt(int row) const;
    int rowOf(const QString &cameraKey) const;

private:
    struct Shown
    {
        AttachedCamera camera;
        bool needsUpdate = false;
    };
    RowState stateOf(const Shown &shown) const;
    void draw(int row);
    void drawState(int row); // the second line only: progress changes nothing else
    void tellAssistiveTechnology(int row, const QString &spoken);

    QListWidget *view;
    QVector<Shown> shown;
    QHash<QString, RowState> states; // by camera key, while the camera stays
};
