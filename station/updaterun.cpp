#include "station/updaterun.h"

#include "station/updatestation.h"

#include <QTimer>

UpdateRun::UpdateRun(UpdateStation &station, const QVector<AttachedCamera> &cameras) : station(station)
{
    for (const AttachedCamera &camera : cameras)
        entries.push_back({camera, false, nullptr, std::nullopt, false});
}

UpdateRun::~UpdateRun() = default;

std::optional<UpdateOutcome> UpdateRun::outcome(int index) const
{
    return entries[size_t(index)].outcome;
}

void UpdateRun::stop()
{
    for (int index = 0; index < count(); ++index) {
        Entry &entry = entries[size_t(index)];
        if (entry.job && !entry.outcome)
            entry.job->stop();
        else if (isWaiting(index))
            end(index, {UpdateEnd::Stopped, QStringLiteral("stopped before its turn"), {}, 0, 0});
    }
}

bool UpdateRun::isWaiting(int index) const
{
    const Entry &entry = entries[size_t(index)];
    return !entry.started && !entry.outcome;
}

bool UpdateRun::isRunning(int index) const
{
    const Entry &entry = entries[size_t(index)];
    return entry.started && !entry.outcome;
}

void UpdateRun::startJob(int index, std::unique_ptr<UpdateJob> job)
{
    Entry &entry = entries[size_t(index)];
    entry.started = true;
    entry.job = std::move(job);
    connect(entry.job.get(), &UpdateJob::progressed, this,
            [this, index](const UpdateProgress &progress) { emit progressed(index, progress); });
    connect(entry.job.get(), &UpdateJob::finished, this,
            [this, index](const UpdateOutcome &outcome) { end(index, outcome); });
    emit cameraStarted(index);
    entries[size_t(index)].job->start();
}

void UpdateRun::end(int index, const UpdateOutcome &outcome)
{
    Entry &entry = entries[size_t(index)];
    if (entry.outcome)
        return;
    entry.outcome = outcome;
    // A station that watches for days keeps the outcomes, not the jobs. This may run
    // in the job's own signal: it goes once that is over.
    if (entry.job)
        entry.job.release()->deleteLater();
    station.takeOutcome(*this, index);
}

void UpdateRun::tell(int index)
{
    Entry &entry = entries[size_t(index)];
    if (entry.told)
        return;
    entry.told = true;
    ++told;
    emit cameraFinished(index);
    finishIfAllTold();
}

void UpdateRun::finishIfAllTold()
{
    if (!isFinished() || ended)
        return;
    ended = true;
    emit finished();
    deleteLater();
}
