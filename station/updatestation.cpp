#include "station/updatestation.h"

#include "catalogue/versionnumber.h"
#include "detection/adbscanner.h"
#include "detection/cameranames.h"
#include "detection/cardlayout.h"
#include "outside/background.h"
#include "outside/freedmemory.h"
#include "outside/log.h"
#include "station/slotnames.h"
#include "update/carddestination.h"
#include "update/checksum.h"

#include <QDateTime>
#include <QSysInfo>
#include <QTimer>

namespace {
QString userName()
{
    for (const char *variable : {"USER", "USERNAME", "LOGNAME"}) {
        if (qEnvironmentVariableIsSet(variable))
            return qEnvironmentVariable(variable);
    }
    return QString();
}

UpdateOutcome ended(UpdateEnd end, const QString &detail)
{
    return {end, detail, {}, 0, 0};
}

// What takes one update at a time: a card's volume, or an adb device, whatever models
// it shows (one adb device, one push at a time).
QString deviceOf(const AttachedCamera &camera)
{
    return camera.route == CameraRoute::Adb ? "adb:" + camera.location : camera.key();
}
}

UpdateStation::UpdateStation(const Options &options)
    : options(options),
      monitor(registry, options.monitor),
      cache(options.cacheFolder),
      supply(cache, options.source, options.limits.download),
      updateHistory(options.historyFolder),
      reports({options.program, options.metricsFolder, options.stationName}, updateHistory)
{
    connect(&registry, &CameraRegistry::cameraAttached, this,
            [this](const AttachedCamera &camera) { emit cameraAttached(named(camera)); });
    connect(&registry, &CameraRegistry::cameraChanged, this,
            [this](const AttachedCamera &camera) { emit cameraChanged(named(camera)); });
    connect(&registry, &CameraRegistry::cameraDetached, this, &UpdateStation::cameraGone);
    connect(&registry, &CameraRegistry::cameraDetached, this,
            [this](const AttachedCamera &camera) { emit cameraDetached(named(camera)); });
    connect(&registry, &CameraRegistry::detectionError, this,
            [this](const AttachedCamera &camera) { emit detectionError(named(camera)); });
    connect(&monitor, &CameraMonitor::passFinished, this, &UpdateStation::passFinished);
    // What the workshop's monitoring sees of the bench.
    connect(&registry, &CameraRegistry::cameraAttached, this, &UpdateStation::tellBench);
    connect(&registry, &CameraRegistry::cameraDetached, this, &UpdateStation::tellBench);
    connect(this, &UpdateStation::updatingChanged, this, &UpdateStation::tellBench);
}

UpdateStation::~UpdateStation()
{
    closing.raise();
    // Runs go first: their jobs leave the image supply's feeds before it goes.
    for (const QPointer<UpdateRun> &run : qAsConst(runs))
        delete run.data();
}

void UpdateStation::loadCatalogue()
{
    runInBackground([source = options.source, limits = catalogueLimits(options.limits.download),
                     stop = closing, reply = mailbox.address(), this] {
        const LoadedCatalogue catalogue = ::loadCatalogue(source, limits, stop);
        reply.post([this, catalogue] {
            loaded = catalogue;
            if (!loaded.loaded)
                qCWarning(catalogueLog).noquote() << "The catalogue could not be loaded:" << loaded.failure;
            monitor.setCatalogue(loaded.entries);
            emit catalogueLoaded(loaded.loaded);
        });
    });
}

void UpdateStation::startWatching()
{
    monitor.startWatching();
}

void UpdateStation::lookOnce()
{
    monitor.poll();
}

AttachedCamera UpdateStation::named(AttachedCamera camera)
{
    camera.slotName = SlotNames::of(camera.slot);
    return camera;
}

QVector<AttachedCamera> UpdateStation::cameras() const
{
    QVector<AttachedCamera> attached = registry.cameras();
    for (AttachedCamera &camera : attached)
        camera = named(camera);
    return attached;
}

std::optional<AttachedCamera> UpdateStation::camera(const QString &key) const
{
    const std::optional<AttachedCamera> found = registry.find(key);
    return found ? std::optional<AttachedCamera>(named(*found)) : std::nullopt;
}

bool UpdateStation::nameSlot(const QString &portPath, const QString &name, QString *why)
{
    if (!SlotNames::set(portPath, name, why))
        return false;
    for (const AttachedCamera &camera : cameras()) {
        if (camera.slot == portPath)
            emit cameraChanged(camera);
    }
    return true;
}

UpdateRun *UpdateStation::start(const QVector<AttachedCamera> &cameras)
{
    QVector<AttachedCamera> chosen;
    QSet<QString> keys;
    for (const AttachedCamera &camera : cameras) {
        if (!isUpdating(camera) && !keys.contains(camera.key())) {
            chosen << camera;
            keys << camera.key();
        }
    }
    auto *run = new UpdateRun(*this, chosen);
    run->setParent(this);
    runs << run;
    connect(run, &UpdateRun::finished, this, [this, run] {
        runs.removeAll(run);
        if (runs.isEmpty()) {
            // Walking every heap after a large image takes tens of milliseconds: not
            // the window's.
            runInBackground([] { giveBackFreedMemory(); });
            emit idle();
        }
    });
    // From the event loop, so that the caller has the run before it hears of it.
    QTimer::singleShot(0, run, [this, run] {
        startWaiting();
        run->finishIfAllTold();
    });
    return run;
}

bool UpdateStation::isUpdating(const AttachedCamera &camera) const
{
    return updating.contains(camera.key());
}

int UpdateStation::updatesUnderWay() const
{
    return updating.size();
}

void UpdateStation::stop()
{
    for (const QPointer<UpdateRun> &run : QList<QPointer<UpdateRun>>(runs)) {
        if (run)
            run->stop();
    }
}

// Cameras start in the order of their runs and, within a run, in the run's order.
void UpdateStation::startWaiting()
{
    for (const QPointer<UpdateRun> &run : QList<QPointer<UpdateRun>>(runs)) {
        for (int index = 0; run && index < run->count(); ++index) {
            if (!run->isWaiting(index))
                continue;
            const AttachedCamera &camera = run->camera(index);
            // Nothing to do, or something to tell at once, takes no room.
            if (!camera.writable)
                run->end(index, ended(UpdateEnd::WriteProtected, QStringLiteral("the card is write-protected")));
            else if (!updateRequired(camera.entry.modelCode, camera.entry.version, camera.installedVersion))
                run->end(index, ended(UpdateEnd::UpToDate, QString()));
            else if (updatesUnderWay() < options.limits.updatesAtOnce && !busyDevices.contains(deviceOf(camera)))
                launch(*run, index);
        }
    }
}

void UpdateStation::launch(UpdateRun &run, int index)
{
    const AttachedCamera &camera = run.camera(index);
    UpdateOutcome refusal;
    std::unique_ptr<ImageFeed::Reader> reader = supply.readerFor(camera.entry, &refusal);
    if (!reader) {
        qCDebug(updateLog).noquote() << "Failure" << refusal.detail;
        return run.end(index, refusal);
    }
    updating.insert(camera.key());
    busyDevices.insert(deviceOf(camera));
    emit updatingChanged(camera);
    const QByteArray digest = QByteArray::fromHex(normalisedChecksum(camera.entry.checksum).toLatin1());
    run.startJob(index, std::make_unique<UpdateJob>(destinationFor(camera), std::move(reader), digest,
                                                    options.limits.download.idleTimeoutMs));
}

std::unique_ptr<ImageDestination> UpdateStation::destinationFor(const AttachedCamera &camera) const
{
    if (camera.route == CameraRoute::Adb)
        return std::make_unique<AdbDestination>(camera.location, camera.imagePath,
                                                adbCardRoot + CardLayout::updateFolder(camera.entry.modelCode),
                                                options.limits.push, cache.lockFolder());
    return std::make_unique<CardDestination>(CardSpot{camera.imagePath, camera.location, camera.volumeIdentity, true},
                                             CardDestination::Kind::Card);
}

void UpdateStation::takeOutcome(UpdateRun &run, int index)
{
    const AttachedCamera &camera = run.camera(index);
    const UpdateOutcome outcome = *run.outcome(index);
    if (run.wasStarted(index)) {
        updating.remove(camera.key());
        busyDevices.remove(deviceOf(camera));
        emit updatingChanged(camera);
        if (!outcome.detail.isEmpty() && !outcome.succeeded())
            qCDebug(updateLog).noquote() << camera.id() << outcomeName(outcome.end) << outcome.detail;
        // A camera over adb shows its new files only when asked again.
        if (camera.route == CameraRoute::Adb)
            monitor.rereadAdbSerial(camera.location);
    }
    // Only what was done, or found, is kept: not a camera that another program had,
    // nor one that a stop or its unplugging ended before its turn.
    const bool kept = outcome.end != UpdateEnd::Busy
                      && (run.wasStarted(index) || (outcome.end != UpdateEnd::Stopped && outcome.end != UpdateEnd::Unplugged));
    if (kept)
        record(run, index);
    else
        run.tell(index);
    QTimer::singleShot(0, this, &UpdateStation::startWaiting);
}

void UpdateStation::cameraGone(const AttachedCamera &camera)
{
    for (const QPointer<UpdateRun> &run : QList<QPointer<UpdateRun>>(runs)) {
        for (int index = 0; run && index < run->count(); ++index) {
            if (run->camera(index).key() != camera.key())
                continue;
            if (run->isRunning(index))
                run->entries[size_t(index)].job->stop(UpdateEnd::Unplugged, QStringLiteral("the camera was unplugged"));
            else if (run->isWaiting(index))
                run->end(index, ended(UpdateEnd::Unplugged, QStringLiteral("unplugged before its turn")));
        }
    }
}

void UpdateStation::record(UpdateRun &run, int index)
{
    const AttachedCamera &camera = run.camera(index);
    const UpdateOutcome outcome = *run.outcome(index);
    HistoryRecord entry;
    entry.time = QDateTime::currentDateTimeUtc();
    entry.camera = camera.id();
    entry.model = camera.entry.model;
    entry.brand = camera.reportedBrand;
    entry.location = cameraLocation(camera);
    entry.from = camera.installedVersion;
    entry.to = camera.entry.version;
    entry.sha256 = QString::fromLatin1(outcome.sha256.toHex());
    entry.outcome = outcomeName(outcome.end);
    const UpdateMessage message = messageFor(camera, outcome);
    entry.title = message.title;
    entry.reason = outcome.succeeded() ? QString() : message.brief;
    entry.durationMs = outcome.durationMs;
    entry.bytes = outcome.bytes;
    entry.signer = loaded.signer;
    entry.program = options.program;
    entry.workstation = QSysInfo::machineHostName();
    entry.user = userName();
    records << PendingRecord{&run, index, entry, camera.slot};
    writeNextRecord();
}

// One record at a time, in the order the updates ended: a record is on the disk before
// its update is told.
void UpdateStation::writeNextRecord()
{
    if (writingRecord || records.isEmpty())
        return;
    writingRecord = true;
    const PendingRecord next = records.first();
    runInBackground([history = updateHistory, entry = next.record, reply = mailbox.address(), this] {
        QString why;
        const bool kept = history.append(entry, &why);
        reply.post([this, kept, why, entry] {
            // The update itself went as it went: a history that cannot be kept is said
            // once, and nothing else.
            if (!kept && !historyFailureLogged)
                qCWarning(historyLog).noquote() << "The history of updates cannot be kept:" << why;
            historyFailureLogged = historyFailureLogged || !kept;
            writingRecord = false;
            const PendingRecord written = records.takeFirst();
            reports.updateFinished(entry, written.slot);
            if (written.run)
                written.run->tell(written.index);
            writeNextRecord();
        });
    });
}

void UpdateStation::tellBench()
{
    reports.camerasChanged(registry.cameras().size(), updatesUnderWay());
}

UpdateMessage UpdateStation::messageFor(const AttachedCamera &camera, const UpdateOutcome &outcome) const
{
    return updateMessage(camera.entry, outcome, options.source);
}
