#include "stationrun.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

BenchStation::BenchStation(const FirmwareSource &source) : station(UpdateStation::Options{source, {}, {}, QStringLiteral("vek-bench"), {}})
{
}

bool BenchStation::findCameras(int count, QString *why)
{
    if (!watching) {
        if (!station.loadCatalogue()) {
            *why = "the catalogue did not load: " + station.catalogue().failure;
            return false;
        }
        station.monitor().startWatching();
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
    UpdateQueue &queue = station.updates();
    QObject::connect(&queue, &UpdateQueue::finished, &wait,
                                           [&](int, const AttachedCamera &camera, const UpdateResult &result) {
                                               if (result.outcome != InstallOutcome::Installed || result.upToDate
                                                   || result.skipped)
                                                   run.failure = QStringLiteral("%1: outcome %2").arg(camera.id()).arg(result.outcome);
                                           });
    QObject::connect(&queue, &UpdateQueue::allFinished, &wait, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &wait, [&] {
        run.failure = QStringLiteral("not finished in %1 s").arg(timeoutMs / 1000);
        wait.quit();
    });
    QElapsedTimer clock;
    clock.start();
    queue.add(cameras);
    wait.exec();
    run.seconds = double(clock.nsecsElapsed()) / 1e9;
    if (queue.isBusy())
        queue.stop();
    return run;
}
