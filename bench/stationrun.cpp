#include "stationrun.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

BenchStation::BenchStation(const FirmwareSource &source)
    : station(UpdateStation::Options{source, {}, {}, QStringLiteral("vek-bench"), {}, {}})
{
}

bool BenchStation::findCameras(int count, QString *why)
{
    if (!watching) {
        bool loaded = false, answered = false;
        QObject::connect(&station, &UpdateStation::catalogueLoaded, &station, [&](bool ok) { loaded = ok, answered = true; });
        station.loadCatalogue();
        if (!QTest::qWaitFor([&] { return answered; }, 120000) || !loaded) {
            *why = "the catalogue did not load: " + station.catalogue().failure;
            return false;
        }
        station.startWatching();
        watching = true;
    }
    if (QTest::qWaitFor([&] { return cameras().size() == count; }, 30000))
        return true;
    *why = QStringLiteral("%1 of %2 cameras listed").arg(cameras().size()).arg(count);
    return false;
}

BenchStation::Run BenchStation::update(const QVector<AttachedCamera> &cameras, int timeoutMs)
{
    Run run;
    QEventLoop wait;
    QElapsedTimer clock;
    clock.start();
    UpdateRun *updates = station.start(cameras);
    QObject::connect(updates, &UpdateRun::cameraFinished, &wait, [&, updates](int index) {
        const UpdateOutcome outcome = *updates->outcome(index);
        if (outcome.end != UpdateEnd::Installed)
            run.failure = QStringLiteral("%1: %2").arg(updates->camera(index).id(), outcomeName(outcome.end));
    });
    QObject::connect(updates, &UpdateRun::finished, &wait, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &wait, [&] {
        run.failure = QStringLiteral("not finished in %1 s").arg(timeoutMs / 1000);
        wait.quit();
    });
    wait.exec();
    run.seconds = double(clock.nsecsElapsed()) / 1e9;
    if (!station.isIdle())
        station.stop();
    return run;
}
