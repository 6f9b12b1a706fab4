#include "station/stationreports.h"

#include "outside/log.h"

#include "station/historytally.h"
#include "station/journalentry.h"
#include "station/journalsocket.h"
#include "station/metricsfile.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QSysInfo>

namespace {
constexpr int metricsIntervalMs = 60000;
constexpr int lastWriteWaitMs = 3000;
}

StationReports::StationReports(const Options &options, const UpdateHistory &history)
    : options(options), history(history)
{
    metrics.station = options.stationName.isEmpty() ? QSysInfo::machineHostName() : options.stationName;
    metrics.program = options.program;
    metrics.version = QStringLiteral(VEK_VERSION);
    if (options.metricsFolder.isEmpty())
        return;
    minuteTimer.setInterval(metricsIntervalMs);
    connect(&minuteTimer, &QTimer::timeout, this, &StationReports::writeMetrics);
    minuteTimer.start();
    writeMetrics();
}

StationReports::~StationReports()
{
    if (!writing)
        return;
    const QDeadlineTimer deadline(lastWriteWaitMs);
    std::optional<QString> failure = lastWrite.waitFor(int(deadline.remainingTime()));
    if (failure && writeAgain)
        failure = startWrite().waitFor(int(deadline.remainingTime()));
    if (failure && !failure->isEmpty())
        tellOnce(&metricsFailureTold, "The station's metrics cannot be written: " + *failure);
}

void StationReports::updateFinished(const HistoryRecord &record, const QString &slot)
{
    ++metrics.sinceStart[{record.outcome, record.model}];
    metrics.bytesWrittenSinceStart += record.bytes;
    if (!metrics.lastUpdate || record.time > *metrics.lastUpdate)
        metrics.lastUpdate = record.time;
    QString why;
    const QByteArray entry = journalDatagram(updateJournalFields(record, slot, metrics.station, options.program));
    if (sendToJournal(entry, &why) == JournalDelivery::Failed)
        tellOnce(&journalFailureTold, "The systemd journal does not take the updates' entries: " + why);
    writeMetrics();
}

void StationReports::camerasChanged(int attached, int updating)
{
    metrics.camerasAttached = attached;
    metrics.camerasUpdating = updating;
}

void StationReports::writeMetrics()
{
    if (options.metricsFolder.isEmpty())
        return;
    // One write at a time, so a folder that hangs holds up one thread and not one a
    // minute; the newest values follow once the write under way has ended.
    if (writing) {
        writeAgain = true;
        return;
    }
    writing = true;
    lastWrite = startWrite();
}

Pending<QString> StationReports::startWrite()
{
    writeAgain = false;
    const Pending<QString> failure;
    runInBackground([metrics = metrics, history = history, folder = options.metricsFolder, failure,
                     reply = mailbox.address(), this]() mutable {
        const HistoryTally tally = tallyHistory(history, metrics.program, QDate::currentDate());
        metrics.today = tally.onDay();
        if (tally.newest() && (!metrics.lastUpdate || *tally.newest() > *metrics.lastUpdate))
            metrics.lastUpdate = tally.newest();
        QString why;
        if (writeMetricsFile(folder, metrics.program, metricsText(metrics), &why))
            why.clear();
        failure.fulfil(why);
        reply.post([this, why] {
            writing = false;
            if (!why.isEmpty())
                tellOnce(&metricsFailureTold, "The station's metrics cannot be written: " + why);
            if (writeAgain)
                writeMetrics();
        });
    });
    return failure;
}

void StationReports::tellOnce(bool *told, const QString &what)
{
    if (!*told)
        qCWarning(historyLog).noquote() << what;
    *told = true;
}
