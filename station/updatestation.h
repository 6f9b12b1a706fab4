#pragma once

#include "catalogue/catalogueload.h"
#include "catalogue/firmwaresource.h"
#include "detection/cameramonitor.h"
#include "detection/cameraregistry.h"
#include "history/updatehistory.h"
#include "outside/background.h"
#include "station/stationreports.h"
#include "update/firmwarecache.h"
#include "update/installlimits.h"
#include "update/updatemessages.h"
#include "update/updatequeue.h"

#include <QObject>
#include <QString>

#include <memory>

// What both front ends drive, the window and the command line alike: the catalogue,
// the cameras attached now, the updates run on them side by side, and the history that
// keeps each. It holds no widget: the front ends show what it tells.
class UpdateStation : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        FirmwareSource source;
        InstallLimits limits;
        MonitorOptions monitor;
        QString program; // which program ran an update, for the history
        QString historyFolder; // empty: the user's data location
        QString metricsFolder = {}; // for the node exporter's textfile collector; empty: none
        QString stationName = {};   // the bench's name in its metrics and journal entries; empty: the host name
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

    const UpdateHistory &history() const { return updateHistory; }

    UpdateMessage messageFor(const AttachedCamera &camera, const UpdateResult &result) const;

signals:
    // An update has ended and its record is on the workstation's disk: as each ends,
    // and in the order the cameras were added to the queue.
    void updateFinished(int index, const AttachedCamera &camera, const UpdateResult &result);
    void updateFinishedInOrder(int index, const AttachedCamera &camera, const UpdateResult &result);
    // Every update added so far has ended, and all are told.
    void allTold();

private:
    struct Told
    {
        int index;
        AttachedCamera camera;
        UpdateResult result;
    };
    void record(int index, const AttachedCamera &camera, const UpdateResult &result);
    void tellInOrder();
    void tellBench();

    const Options options;
    LoadedCatalogue loaded;
    CameraRegistry registry;
    CameraMonitor cameraMonitor;
    FirmwareCache cache;
    UpdateHistory updateHistory;
    StationReports reports;
    UpdateQueue queue;
    QSet<int> updatesRunning; // by index in the queue
    // Records are written one after the other, in the background.
    Pending<bool> lastWrite;
    QSet<int> recorded;
    int recording = 0;
    QList<Told> inOrder;
    bool historyFailureLogged = false;
    Mailbox mailbox{this};
};
