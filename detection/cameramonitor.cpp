#include "detection/cameramonitor.h"

#include "detection/volumescan.h"

namespace {
// A device whose files showed no camera (still starting, or no camera at all) is read
// again this often, in passes.
constexpr int unknownDeviceRereadPasses = 10;
// How long the end waits for adb: a pass under way, then the server's stop.
constexpr int shutdownWaitMs = 3000;
}

CameraMonitor::CameraMonitor(CameraRegistry &registry, MonitorOptions options) : registry(registry), options(options)
{
    adbPassEnded.fulfil(true);
    runInBackground([started = serverStarted] {
        AdbScanner::runServerCommand(QStringLiteral("start-server"), processTimeoutMs, StopFlag());
        started.fulfil(true);
    });
}

CameraMonitor::~CameraMonitor()
{
    stop.raise();
    serverStarted.waitFor(shutdownWaitMs);
    adbPassEnded.waitFor(shutdownWaitMs);
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
}

void CameraMonitor::poll()
{
    const ReplyAddress reply = mailbox.address();
    if (!volumePassRunning) {
        volumePassRunning = true;
        runInBackground([reply, codes = modelCodes, unanswered = unanswered, limit = options.volumeTimeLimitMs, this] {
            const VolumePass pass = runVolumePass(codes, unanswered, limit);
            reply.post([this, pass] { takeVolumePass(pass); });
        });
    }
    if (!hasAdbModels) {
        emit passFinished(CameraRoute::Adb); // nothing to look for on that route
        return;
    }
    if (!adbPassRunning) {
        adbPassRunning = true;
        adbPassEnded = Pending<bool>();
        runInBackground([reply, scanner = AdbScanner(entries, stop), known = serialsNotToRead(),
                         started = serverStarted, ended = adbPassEnded, this]() mutable {
            started.waitFor(processTimeoutMs);
            const AdbPass pass = scanner.scan(known);
            ended.fulfil(true);
            reply.post([this, pass] { takeAdbPass(pass); });
        });
    }
}

void CameraMonitor::rereadAdbSerial(const QString &serial)
{
    if (serials.contains(serial))
        serials[serial].stale = true;
}

void CameraMonitor::takeVolumePass(const VolumePass &pass)
{
    volumePassRunning = false;
    registry.takeSightings(CameraRoute::Card, camerasOnVolumes(pass.volumes, entries), pass.unanswered);
    emit passFinished(CameraRoute::Card);
}

void CameraMonitor::takeAdbPass(const AdbPass &pass)
{
    adbPassRunning = false;
    if (pass.answered) {
        QHash<QString, SerialReading> now;
        QVector<AttachedCamera> sightings;
        for (const QString &serial : pass.serials) {
            SerialReading reading = serials.value(serial);
            if (pass.readings.contains(serial))
                reading = {pass.readings.value(serial), 0, false};
            else
                ++reading.passesSinceRead;
            sightings += reading.cameras;
            now.insert(serial, reading);
        }
        serials = now;
        registry.takeSightings(CameraRoute::Adb, sightings);
    }
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
