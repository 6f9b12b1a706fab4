#include "detection/cameramonitor.h"

#include "detection/volumescan.h"

namespace {
// A device whose files showed no camera (still starting, or no camera at all) is read
// again this often, in passes.
constexpr int unknownDeviceRereadPasses = 10;
// How long the end waits for adb: the tracker, a pass under way, then the server's stop.
constexpr int shutdownWaitMs = 3000;
}

CameraMonitor::CameraMonitor(CameraRegistry &registry, MonitorOptions options) : registry(registry), options(options)
{
    adbWorkEnded.fulfil(true);
    runInBackground([started = serverStarted] {
        AdbScanner::runServerCommand(QStringLiteral("start-server"), processTimeoutMs, StopFlag());
        started.fulfil(true);
    });
    slowPass.setInterval(options.slowPassIntervalMs);
    connect(&slowPass, &QTimer::timeout, this, &CameraMonitor::poll);
}

CameraMonitor::~CameraMonitor()
{
    stop.raise();
    // First, so that no track-devices starts the server again after its stop.
    if (tracker)
        tracker->stop(shutdownWaitMs);
    serverStarted.waitFor(shutdownWaitMs);
    adbWorkEnded.waitFor(shutdownWaitMs);
    if (!options.stopAdbServerAtEnd)
        return;
    // In the background, and waited for only so long: while a card hangs, a program
    // started from here can hang as well (starting it closes this process's files in
    // the child, the hung card's among them).
    const Pending<bool> stopped;
    runInBackground([stopped] {
        AdbScanner::runServerCommand(QStringLiteral("kill-server"), shutdownWaitMs, StopFlag());
        stopped.fulfil(true);
    });
    stopped.waitFor(shutdownWaitMs);
}

void CameraMonitor::setCatalogue(const QVector<CatalogueEntry> &catalogue)
{
    entries = catalogue;
    modelCodes.clear();
    hasAdbModels = false;
    for (const CatalogueEntry &entry : catalogue) {
        if (!modelCodes.contains(entry.modelCode))
            modelCodes << entry.modelCode;
        hasAdbModels = hasAdbModels || entry.overAdb;
    }
    if (watching)
        startTracking();
}

void CameraMonitor::poll()
{
    passVolumes();
    passAdb();
}

void CameraMonitor::startWatching()
{
    if (watching)
        return;
    watching = true;
    mountWatcher = std::make_unique<MountTableWatcher>();
    connect(mountWatcher.get(), &MountTableWatcher::changed, this, &CameraMonitor::passVolumes);
    startTracking();
    slowPass.start();
    poll();
}

void CameraMonitor::rereadAdbSerial(const QString &serial)
{
    if (serials.contains(serial))
        serials[serial].stale = true;
}

void CameraMonitor::startTracking()
{
    if (tracker || !hasAdbModels)
        return;
    tracker = std::make_unique<AdbDeviceTracker>(serverStarted);
    connect(tracker.get(), &AdbDeviceTracker::listed, this, &CameraMonitor::takeTrackedDevices);
}

void CameraMonitor::passVolumes()
{
    if (volumePassRunning) {
        volumePassWanted = true;
        return;
    }
    volumePassRunning = true;
    runInBackground([reply = mailbox.address(), codes = modelCodes, unanswered = unanswered,
                     limit = options.volumeTimeLimitMs, this] {
        const VolumePass pass = runVolumePass(codes, unanswered, limit);
        reply.post([this, pass] { takeVolumePass(pass); });
    });
}

void CameraMonitor::passAdb()
{
    if (!hasAdbModels) {
        emit passFinished(CameraRoute::Adb); // nothing to look for on that route
        return;
    }
    if (adbPassRunning) {
        adbPassWanted = true;
        return;
    }
    const QStringList known = serialsNotToRead();
    if (!tracker || !tracker->tracking())
        return listAdbDevices(known);
    QStringList toRead;
    for (const AdbDevice &device : qAsConst(trackedDevices)) {
        if (!known.contains(device.serial))
            toRead << device.serial;
    }
    if (toRead.isEmpty())
        return takeAdbDevices(trackedDevices, {});
    readTrackedDevices(toRead);
}

void CameraMonitor::listAdbDevices(const QStringList &known)
{
    adbPassRunning = true;
    adbWorkEnded = Pending<bool>();
    runInBackground([reply = mailbox.address(), scanner = AdbScanner(entries, stop, options.adbTimeLimitMs), known,
                     started = serverStarted, ended = adbWorkEnded, this]() mutable {
        started.waitFor(processTimeoutMs);
        const AdbPass pass = scanner.scan(known);
        ended.fulfil(true);
        reply.post([this, pass] {
            adbPassRunning = false;
            if (pass.answered)
                takeAdbDevices(pass.devices, pass.readings);
            else
                emit passFinished(CameraRoute::Adb);
            runWantedAdbPass();
        });
    });
}

void CameraMonitor::readTrackedDevices(const QStringList &serials)
{
    adbPassRunning = true;
    adbWorkEnded = Pending<bool>();
    runInBackground([reply = mailbox.address(), scanner = AdbScanner(entries, stop, options.adbTimeLimitMs), serials,
                     ended = adbWorkEnded, this]() mutable {
        const AdbReadings readings = scanner.readDevices(serials);
        ended.fulfil(true);
        // The tracker's list as it is by then: a device gone meanwhile is not listed.
        reply.post([this, readings] {
            adbPassRunning = false;
            takeAdbDevices(trackedDevices, readings);
            runWantedAdbPass();
        });
    });
}

void CameraMonitor::runWantedAdbPass()
{
    if (adbPassWanted) {
        adbPassWanted = false;
        passAdb();
    }
}

void CameraMonitor::takeVolumePass(const VolumePass &pass)
{
    volumePassRunning = false;
    registry.takeSightings(CameraRoute::Card, camerasOnVolumes(pass.volumes, entries), pass.unanswered);
    emit passFinished(CameraRoute::Card);
    if (volumePassWanted) {
        volumePassWanted = false;
        passVolumes();
    }
}

void CameraMonitor::takeTrackedDevices(const QVector<AdbDevice> &devices)
{
    trackedDevices = devices;
    // A device that left is read afresh when it comes back, even when it is back before
    // a pass has seen it go (a camera re-plugged after installing its firmware).
    for (auto it = serials.begin(); it != serials.end();) {
        const bool present = std::any_of(devices.cbegin(), devices.cend(),
                                         [&](const AdbDevice &device) { return device.serial == it.key(); });
        it = present ? std::next(it) : serials.erase(it);
    }
    passAdb();
}

void CameraMonitor::takeAdbDevices(const QVector<AdbDevice> &devices, const AdbReadings &readings)
{
    QHash<QString, SerialReading> now;
    QVector<AttachedCamera> sightings;
    for (const AdbDevice &device : devices) {
        SerialReading reading;
        if (readings.contains(device.serial)) {
            reading.cameras = readings.value(device.serial);
        } else if (serials.contains(device.serial)) {
            reading = serials.value(device.serial);
            ++reading.passesSinceRead;
        } else {
            continue;
        }
        for (AttachedCamera camera : qAsConst(reading.cameras)) {
            camera.slot = device.usbPath;
            sightings << camera;
        }
        now.insert(device.serial, reading);
    }
    serials = now;
    registry.takeSightings(CameraRoute::Adb, sightings);
    emit passFinished(CameraRoute::Adb);
}

QStringList CameraMonitor::serialsNotToRead() const
{
    QStringList known;
    for (auto it = serials.cbegin(); it != serials.cend(); ++it) {
        const bool retry = it->cameras.isEmpty() && it->passesSinceRead >= unknownDeviceRereadPasses;
        if (!it->stale && !retry)
            known << it.key();
    }
    return known;
}
