#pragma once

#include "catalogue/catalogueentry.h"
#include "detection/adbdevicetracker.h"
#include "detection/adbscanner.h"
#include "detection/cameraregistry.h"
#include "detection/mounttablewatcher.h"
#include "detection/volumepass.h"
#include "outside/background.h"
#include "outside/stopflag.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <memory>

struct MonitorOptions
{
    // How long a pass waits for a volume before passing it over.
    int volumeTimeLimitMs = 2000;
    // How long an adb command may take before its answer is given up.
    int adbTimeLimitMs = processTimeoutMs;
    // While watching, each route is passed over this often even when nothing tells of a
    // change: what no notification tells (a card's files rewritten, an adb without
    // track-devices) shows within this time.
    int slowPassIntervalMs = 1000;
    // The window stops the adb server it started; a command line leaves it to whatever
    // else may be using it.
    bool stopAdbServerAtEnd = true;
};

// Finds the cameras attached now and hands them to a registry. A pass of each route
// runs in the background (the mounted volumes, each probed with a time limit; adb's
// ready devices and, once per attachment, what a new device holds); the thread that
// owns the monitor only receives their values. A pass asked for while one of its route
// is under way runs once that one has ended.
//
// Watching, a pass runs as soon as something changes: the mount table (a card mounted
// or unmounted), or adb's device list, followed through one long-running
// `adb track-devices -l`. While that runs, the adb pass takes its list and starts adb
// only to read a device it has not read; without it (no adb, or one that cannot track)
// each slow pass lists devices with `adb devices -l`.
class CameraMonitor : public QObject
{
    Q_OBJECT
public:
    // Starts the adb server in the background.
    explicit CameraMonitor(CameraRegistry &registry, MonitorOptions options = {});
    // Ends the adb side within a few seconds, whatever adb does.
    ~CameraMonitor() override;

    void setCatalogue(const QVector<CatalogueEntry> &entries);
    // One pass of each route, now.
    void poll();
    // From now on, passes follow the changes, with a slow pass as the safety net. The
    // first pass of each route runs at once.
    void startWatching();
    // The camera's files changed (an image was pushed): read its serial again, in the
    // next pass.
    void rereadAdbSerial(const QString &serial);

signals:
    // A pass of the route has been taken in.
    void passFinished(CameraRoute route);

private:
    struct SerialReading
    {
        QVector<AttachedCamera> cameras;
        int passesSinceRead = 0;
        bool stale = false;
    };

    void passVolumes();
    void passAdb();
    // An adb pass in the background: all of it (`adb devices -l`, then the devices not
    // known), or only the reading of devices the tracker listed.
    void listAdbDevices(const QStringList &known);
    void readTrackedDevices(const QStringList &serials);
    void runWantedAdbPass();
    void startTracking();
    void takeVolumePass(const VolumePass &pass);
    void takeTrackedDevices(const QVector<AdbDevice> &devices);
    // The adb devices attached now, and what was read of some; a device neither read
    // now nor before is left for the next pass.
    void takeAdbDevices(const QVector<AdbDevice> &devices, const AdbReadings &readings);
    QStringList serialsNotToRead() const;

    CameraRegistry &registry;
    const MonitorOptions options;
    QVector<CatalogueEntry> entries;
    QStringList modelCodes;
    bool hasAdbModels = false;
    std::shared_ptr<UnansweredVolumes> unanswered = std::make_shared<UnansweredVolumes>();
    bool volumePassRunning = false, volumePassWanted = false;
    bool adbPassRunning = false, adbPassWanted = false;
    QHash<QString, SerialReading> serials;
    QVector<AdbDevice> trackedDevices;
    bool watching = false;
    QTimer slowPass;
    std::unique_ptr<MountTableWatcher> mountWatcher;
    std::unique_ptr<AdbDeviceTracker> tracker;
    StopFlag stop;
    Pending<bool> serverStarted;
    Pending<bool> adbWorkEnded;
    Mailbox mailbox{this};
};
