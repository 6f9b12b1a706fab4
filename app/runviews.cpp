#include "app/runviews.h"

#include "app/boxqueue.h"
#include "app/progresswindow.h"
#include "app/runsummary.h"
#include "station/updatestation.h"

namespace {
// The message in the technician's language (the station's is English, as records keep it).
UpdateMessage shownMessage(const UpdateStation &station, const AttachedCamera &camera, const UpdateOutcome &outcome)
{
    return translatedUpdateMessage(camera.entry, outcome, station.source());
}
}

RunViews::RunViews(QWidget *window, UpdateStation &station, CameraRows &rows, BoxQueue &boxes)
    : QObject(window), window(window), station(station), rows(rows), boxes(boxes)
{
}

void RunViews::follow(UpdateRun *run, Telling telling)
{
    connect(run, &UpdateRun::cameraStarted, this, [this, run](int index) { started(run, index); });
    connect(run, &UpdateRun::progressed, this, [this, run](int index, const UpdateProgress &step) {
        if (step.total > 0)
            rows.setState(run->camera(index).key(),
                          {RowState::Mark::Updating, tr("updating %1 %").arg(step.done * 100 / step.total)});
        if (progress)
            progress->takeProgress(lineId(run, index), step);
    });
    connect(run, &UpdateRun::cameraFinished, this, [this, run, telling](int index) { ended(run, index, telling); });
    connect(run, &UpdateRun::finished, this, [this, run, telling] { runEnded(run, telling); });
}

void RunViews::quiet()
{
    quietNow = true;
    boxes.clear();
}

bool RunViews::goToProgress()
{
    if (!progress)
        return false;
    progress->goToStop();
    return true;
}

int RunViews::lineId(UpdateRun *run, int index)
{
    const auto key = qMakePair(run, index);
    if (!lines.contains(key))
        lines.insert(key, nextLine++);
    return lines.value(key);
}

void RunViews::started(UpdateRun *run, int index)
{
    const AttachedCamera &camera = run->camera(index);
    rows.setState(camera.key(), {RowState::Mark::Updating, tr("updating")});
    if (!progress) {
        window->setCursor(Qt::BusyCursor);
        progress = new ProgressWindow(window, station.limits().download.idleTimeoutMs);
        connect(progress, &ProgressWindow::stopRequested, &station, &UpdateStation::stop);
        progress->show();
    }
    progress->addCamera(lineId(run, index), camera);
}

void RunViews::ended(UpdateRun *run, int index, Telling telling)
{
    const AttachedCamera &camera = run->camera(index);
    const UpdateOutcome outcome = *run->outcome(index);
    const UpdateMessage message = shownMessage(station, camera, outcome);
    if (outcome.end == UpdateEnd::Stopped)
        rows.setState(camera.key(), {RowState::Mark::Stopped, message.brief});
    else if (outcome.succeeded())
        rows.setState(camera.key(), {outcome.end == UpdateEnd::UpToDate ? RowState::Mark::UpToDate
                                                                          : RowState::Mark::Updated,
                                     message.brief});
    else
        rows.setState(camera.key(), {RowState::Mark::Failed, tr("failed: %1").arg(message.brief)});
    const auto line = qMakePair(run, index);
    if (lines.contains(line)) {
        const int id = lines.take(line);
        if (progress)
            progress->takeResult(id, message, outcome.succeeded());
    }
    if (!station.updatesUnderWay() && progress) {
        // The window is the technician's again before whatever is still to be told.
        window->unsetCursor();
        progress->deleteLater();
    }
    // A stop the technician asked for is no news to tell in a box.
    if (telling == Telling::Box && !quietNow && outcome.end != UpdateEnd::Stopped)
        boxes.show(message);
}

void RunViews::runEnded(UpdateRun *run, Telling telling)
{
    if (telling != Telling::Summary || quietNow || run->count() == 0)
        return;
    QVector<RunSummary::Line> summary;
    for (int index = 0; index < run->count(); ++index) {
        const UpdateOutcome outcome = *run->outcome(index);
        summary << RunSummary::Line{run->camera(index), outcome, shownMessage(station, run->camera(index), outcome),
                                    run->wasStarted(index)};
    }
    auto *dialog = new RunSummary(window, summary);
    connect(dialog, &RunSummary::updateAgainRequested, this, &RunViews::updateAgainRequested);
    dialog->show();
}
