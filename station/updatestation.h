#pragma once

#include "catalogue/catalogueload.h"
#include "catalogue/firmwaresource.h"
#include "detection/cameramonitor.h"
#include "detection/cameraregistry.h"
#include "update/firmwarecache.h"
#include "update/installlimits.h"
#include "update/updatemessages.h"
#include "update/updatequeue.h"

#include <QObject>
#include <QString>

#include <memory>

// What both front ends drive, the window and the command line alike: the catalogue,
// the cameras attached now, and the updates run on them side by side. It holds no
// widget: the front ends show what it tells.
class UpdateStation : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        FirmwareSource source;
        InstallLimits limits;
        MonitorOptions monitor;
    };

    explicit UpdateStation(const Options &options);
    ~UpdateStation() override;

    // Reads the catalogue, waiting for it; false when it could not be read. Detection
    // looks for the catalogue's models from then on.
    bool loadCatalogue();
    const LoadedCatalogue &catalogue() const { return loaded; }

    // One detection pass of each route, in the background.
    void poll();

    const FirmwareSource &source() const { return options.source; }
    const InstallLimits &limits() const { return options.limits; }
    CameraRegistry &cameras() { return registry; }
    CameraMonitor &monitor() { return cameraMonitor; }
    UpdateQueue &updates() { return queue; }

    UpdateMessage messageFor(const AttachedCamera &camera, const UpdateResult &result) const;

private:
    const Options options;
    LoadedCatalogue loaded;
    CameraRegistry registry;
    CameraMonitor cameraMonitor;
    FirmwareCache cache;
    UpdateQueue queue;
};
