#include "station/updatestation.h"

#include <QDebug>
#include <QEventLoop>
#include <QSysInfo>

namespace {
// An append waits for the one before it at most this long.
constexpr int historyWaitMs = 60000;

QString userName()
{
    for (const char *variable : {"USER", "USERNAME", "LOGNAME"}) {
        if (qEnvironmentVariableIsSet(variable))
            return qEnvironmentVariable(variable);
    }
    return QString();
}
}

UpdateStation::UpdateStation(const Options &options)
    : options(options),
      cameraMonitor(registry, options.monitor),
      updateHistory(options.historyFolder),
      reports({options.program, options.metricsFolder, options.stationName}, updateHistory),
      queue(cache, options.source, options.limits)
{
    lastWrite.fulfil(true);
    connect(&registry, &CameraRegistry::cameraDetached, &queue, &UpdateQueue::cameraGone);
    connect(&queue, &UpdateQueue::finished, this, &UpdateStation::record);
    connect(&queue, &UpdateQueue::finishedInOrder, this,
            [this](int index, const AttachedCamera &camera, const UpdateResult &result) {
                inOrder.append({index, camera, result});
                tellInOrder();
            });
    // A camera over adb shows its new files only when asked again.
    connect(&queue, &UpdateQueue::finished, this,
            [this](int, const AttachedCamera &camera, const UpdateResult &result) {
                if (camera.route == CameraRoute::Adb && !result.upToDate && !result.skipped)
                    cameraMonitor.rereadAdbSerial(camera.location);
            });
    connect(&registry, &CameraRegistry::cameraAttached, this, &UpdateStation::tellBench);
    connect(&registry, &CameraRegistry::cameraDetached, this, &UpdateStation::tellBench);
    connect(&queue, &UpdateQueue::started, this, [this](int index) {
        updatesRunning.insert(index);
        tellBench();
    });
    connect(&queue, &UpdateQueue::finished, this, [this](int index) {
        updatesRunning.remove(index);
        tellBench();
    });
}

UpdateStation::~UpdateStation() = default;

bool UpdateStation::loadCatalogue()
{
    // Waits in an event loop of its own for now: the window waits for the catalogue
    // before it shows.
    QEventLoop wait;
    runInBackground([source = options.source, limits = catalogueLimits(options.limits.download.idleTimeoutMs),
                     reply = mailbox.address(), this, &wait] {
        const LoadedCatalogue catalogue = ::loadCatalogue(source, limits, StopFlag());
        reply.post([this, catalogue, &wait] {
            loaded = catalogue;
            wait.quit();
        });
    });
    wait.exec();
    if (!loaded.loaded)
        qDebug().noquote() << "Failure" << loaded.failure;
    cameraMonitor.setCatalogue(loaded.entries);
    return loaded.loaded;
}

void UpdateStation::poll()
{
    cameraMonitor.poll();
}

void UpdateStation::record(int index, const AttachedCamera &camera, const UpdateResult &result)
{
    ++recording;
    const auto told = [this, index, camera, result] {
        --recording;
        recorded.insert(index);
        emit updateFinished(index, camera, result);
        tellInOrder();
        if (recording == 0 && !queue.isBusy())
            emit allTold();
    };
    if (result.skipped)
        return told();
    HistoryRecord entry;
    entry.time = QDateTime::currentDateTimeUtc();
    entry.camera = camera.id();
    entry.model = camera.entry.model;
    entry.brand = camera.reportedBrand;
    entry.location = camera.location;
    entry.from = camera.installedVersion;
    entry.to = camera.entry.version;
    entry.sha256 = QString::fromLatin1(result.sha256.toHex());
    entry.outcome = result.upToDate ? QStringLiteral("up-to-date") : QString::number(result.outcome);
    entry.title = messageFor(camera, result).title;
    entry.durationMs = result.durationMs;
    entry.bytes = result.bytes;
    entry.program = options.program;
    entry.workstation = QSysInfo::machineHostName();
    entry.user = userName();
    const Pending<bool> previous = lastWrite, written;
    lastWrite = written;
    runInBackground([history = updateHistory, entry, slot = camera.slot, previous, written, reply = mailbox.address(),
                     told, this] {
        previous.waitFor(historyWaitMs);
        QString why;
        const bool kept = history.append(entry, &why);
        written.fulfil(kept);
        reply.post([this, kept, why, entry, slot, told] {
            // The update itself went as it went: a history that cannot be kept is said
            // once, and nothing else.
            if (!kept && !historyFailureLogged)
                qWarning().noquote() << "The history of updates cannot be kept:" << why;
            historyFailureLogged = historyFailureLogged || !kept;
            reports.updateFinished(entry, slot);
            told();
        });
    });
}

void UpdateStation::tellBench()
{
    reports.camerasChanged(registry.cameras().size(), updatesRunning.size());
}

void UpdateStation::tellInOrder()
{
    while (!inOrder.isEmpty() && recorded.contains(inOrder.first().index)) {
        const Told next = inOrder.takeFirst();
        emit updateFinishedInOrder(next.index, next.camera, next.result);
    }
}

UpdateMessage UpdateStation::messageFor(const AttachedCamera &camera, const UpdateResult &result) const
{
    return updateMessage(camera.entry, result, options.source);
}
