#pragma once

#include "detection/attachedcamera.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QVector>

#include <optional>

// The cameras attached now, keyed by an identity that lasts while a camera stays
// attached (its volume, or its adb serial). Detection hands it what each pass saw of
// one route; it tells what changed. Cameras are listed in the order they were
// attached; one whose version file gives no version is not listed, and its detection
// error is told once per attachment. Receivers must not run an event loop in its
// signals: the next pass would come in half way through telling this one.
class CameraRegistry : public QObject
{
    Q_OBJECT
public:
    // Everything one pass of a route saw. A camera of the route not among them has gone,
    // unless it is at a location that did not answer this pass.
    void takeSightings(CameraRoute route, const QVector<AttachedCamera> &sightings,
                       const QStringList &unansweredLocations = {});

    // The listed cameras, in order of attachment.
    QVector<AttachedCamera> cameras() const;
    // The listed camera with this key, if it is attached now.
    std::optional<AttachedCamera> find(const QString &key) const;

signals:
    void cameraAttached(const AttachedCamera &camera);
    void cameraChanged(const AttachedCamera &camera);
    void cameraDetached(const AttachedCamera &camera);
    // A camera whose version cannot be read: once per attachment.
    void detectionError(const AttachedCamera &camera);

private:
    struct Tracked
    {
        AttachedCamera camera;
        bool errorTold = false;
    };
    QHash<QString, Tracked> tracked;
    QStringList listedOrder; // keys of listed cameras
};
