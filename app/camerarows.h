#pragma once

#include "detection/attachedcamera.h"

#include <QHash>
#include <QString>
#include <QVector>

#include <optional>

class QListWidget;

// The device list as a view of the cameras attached: a row per camera, in the order
// they were attached, with its picture and " TZ2200 - 5.910", and under it where the
// camera is and how it stands (up to date, needs 5.920, updating, updated, failed).
// A row keeps its item while its camera stays, so that the selection and the scroll
// stay where the technician left them; what an update said of a camera stays on its
// row until the camera is unplugged.
class CameraRows
{
public:
    explicit CameraRows(QListWidget *view);

    // Makes the rows show these cameras; needsUpdate[i] tells of cameras[i].
    void show(const QVector<AttachedCamera> &cameras, const QVector<bool> &needsUpdate);
    // What an update says of a camera now; failed colours it.
    void setState(const QString &cameraKey, const QString &state, bool failed = false);

    // The camera a row stands for, as it was when the row was drawn.
    std::optional<AttachedCamera> cameraAt(int row) const;
    int rowOf(const QString &cameraKey) const;

private:
    struct Shown
    {
        AttachedCamera camera;
        bool needsUpdate = false;
    };
    struct State
    {
        QString text;
        bool failed = false;
        bool operator==(const State &other) const { return text == other.text && failed == other.failed; }
    };
    void draw(int row);
    void drawState(int row); // the second line only: progress changes nothing else

    QListWidget *view;
    QVector<Shown> shown;
    QHash<QString, State> states; // by camera key, while the camera stays
};
