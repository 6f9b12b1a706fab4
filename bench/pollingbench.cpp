#include "benchmarks.h"

#include "benchsite.h"
#include "guistallmeter.h"
#include "messageboxwatcher.h"
#include "resulttable.h"
#include "samples.h"
#include "stationrun.h"
#include "windowkit.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>

#include <cstdio>

#include <sys/resource.h>

namespace {
constexpr double stallTargetMs = 50, cpuTargetPercent = 1, adbTargetPerSecond = 0.1, appearanceTargetMs = 300;
constexpr int idleMeasureMs = 30000;
constexpr int plugIns = 50;
const QStringList adbSerials = {"SERIAL1", "SERIAL2", "SERIAL3", "SERIAL4"};

double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    const auto seconds = [](const timeval &time) { return double(time.tv_sec) + double(time.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The nearest-rank percentile of the values, in the values' unit.
double percentile(QVector<double> values, double share)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values.at(qBound(0, int(std::ceil(share * values.size())) - 1, values.size() - 1));
}

ResultRow stallRow(const QString &what, const GuiStallMeter &meter)
{
    ResultRow row;
    row.what = what;
    row.updater = QStringLiteral("%1 ms").arg(meter.longestStallMs(), 0, 'f', 1);
    row.reference = meter.account();
    row.figure = row.updater;
    row.target = QStringLiteral("<= 50 ms");
    row.met = meter.longestStallMs() <= stallTargetMs;
    return row;
}

// A double-click on the camera's row, as the technician updates one camera; the stalls
// until its box has come and gone.
void stallDuringInstall(MainWindow &window, ResultTable &table, const QString &rowText, const QString &what)
{
    const int row = rows(window).indexOf(QRegularExpression(".*" + QRegularExpression::escape(rowText) + ".*"));
    if (row < 0) {
        table.addSkipped(what, "<= 50 ms", "no row " + rowText);
        return;
    }
    MessageBoxWatcher boxes;
    GuiStallMeter meter;
    meter.start();
    doubleClickRow(window, row);
    const bool told = runEventLoopUntil([&] { return !boxes.titles().isEmpty(); }, 300000);
    meter.stop();
    if (!told || !boxes.titles().constFirst().endsWith("Update Successful")) {
        table.addSkipped(what, "<= 50 ms", told ? "box " + boxes.titles().constFirst() : QStringLiteral("no box"));
        return;
    }
    table.add(stallRow(what, meter));
}
}

// How long a camera takes from its arrival to the registry: `plugIns` times, the card
// mounted (or the adb device appearing) with its files in place, then pulled again. The
// pauses in between vary, so that arrivals fall anywhere in the slow pass's period.
QVector<double> appearanceTimes(BenchStation &station, const std::function<bool()> &plugIn,
                                const std::function<void()> &pull, const QString &location)
{
    QElapsedTimer clock;
    qint64 attachedAt = -1;
    bool detached = false;
    UpdateStation &cameras = station.station;
    const QMetaObject::Connection attached =
        QObject::connect(&cameras, &UpdateStation::cameraAttached, [&](const AttachedCamera &camera) {
            if (camera.location == location)
                attachedAt = clock.nsecsElapsed();
        });
    const QMetaObject::Connection gone =
        QObject::connect(&cameras, &UpdateStation::cameraDetached, [&](const AttachedCamera &camera) {
            detached = detached || camera.location == location;
        });
    QRandomGenerator pauses(7);
    QVector<double> times;
    for (int i = 0; i < plugIns; ++i) {
        attachedAt = -1;
        detached = false;
        clock.start();
        if (!plugIn() || !runEventLoopUntil([&] { return attachedAt >= 0; }, 10000))
            break;
        times << double(attachedAt) / 1e6;
        pull();
        if (!runEventLoopUntil([&] { return detached; }, 10000))
            break;
        runEventLoopFor(int(pauses.bounded(100, 1100)));
    }
    QObject::disconnect(attached);
    QObject::disconnect(gone);
    return times;
}

void addAppearanceRows(ResultTable &table, const QString &what, const QVector<double> &times)
{
    const QString target = QStringLiteral("<= %1 ms").arg(appearanceTargetMs);
    if (times.size() < plugIns) {
        table.addSkipped(what + ", 95th percentile of " + QString::number(plugIns), target,
                         QStringLiteral("%1 of %2 plug-ins seen").arg(times.size()).arg(plugIns));
        return;
    }
    const double p95 = percentile(times, 0.95), middle = median(times);
    ResultRow row;
    row.what = QStringLiteral("%1, 95th percentile of %2").arg(what).arg(plugIns);
    row.updater = QStringLiteral("%1 ms").arg(p95, 0, 'f', 0);
    row.reference = QStringLiteral("fastest %1 ms, slowest %2 ms").arg(percentile(times, 0), 0, 'f', 0)
                            .arg(percentile(times, 1), 0, 'f', 0);
    row.figure = row.updater;
    row.target = target;
    row.met = p95 <= appearanceTargetMs;
    table.add(row);
    row.what = QStringLiteral("%1, median of %2").arg(what).arg(plugIns);
    row.updater = row.figure = QStringLiteral("%1 ms").arg(middle, 0, 'f', 0);
    row.target.clear();
    row.hasTarget = false;
    table.add(row);
}

// A station over 16 cameras, as a technician's bench has them: 12 on mounted cards and
// 4 behind the scripted adb, of a catalogue of 24 models, watching as the front ends
// do. While nothing is plugged or unplugged: the GUI thread's stalls, this process's CPU
// time and the adb processes started; then how soon a 13th card and a 5th adb camera
// appear. Last, in the window, the stalls while one card and one adb camera take a
// 512 MiB image.
void benchPolling(BenchSite &site, ResultTable &table)
{
    const QString what = QStringLiteral("Idle, %1 models, 12 cards + 4 adb cameras, %2 s: ")
                                 .arg(site.models.size()).arg(idleMeasureMs / 1000);
    QVector<const BenchSite::Model *> cardModels = {site.fleetModels[0], site.fleetModels[1], site.fleetModels[2],
                                                    site.fleetModels[3], site.bigModel};
    cardModels += site.fillerModels.mid(0, 7);
    Cards cards(site, "poll");
    QString why;
    bool ready = cards.plug(cardModels, 0, &why);
    for (const QString &serial : adbSerials)
        ready = ready && site.attachAdbCamera(serial, serial == adbSerials.first() ? *site.bigAdbModel : *site.adbModel);
    const auto detach = qScopeGuard([&] {
        for (const QString &serial : adbSerials + QStringList("LATE"))
            site.adb.attach(false, serial);
    });
    const int cameras = cardModels.size() + adbSerials.size();
    {
        BenchStation station(site.source());
        if (!ready || !station.findCameras(cameras, &why)) {
            table.addSkipped(what + "longest GUI stall", "<= 50 ms", why);
            return;
        }
        runEventLoopFor(3000); // past the first reads of each camera
        fprintf(stderr, "  %d cameras listed; 2 x %d s idle from now\n", cameras, idleMeasureMs / 1000);
        GuiStallMeter meter;
        meter.start();
        runEventLoopFor(idleMeasureMs);
        meter.stop();

        // Apart from the stalls: the meter's hundred wakeups a second would count as the
        // process's CPU time.
        const int adbBefore = site.adb.log().size();
        const double cpuBefore = cpuSeconds(RUSAGE_SELF), childrenBefore = cpuSeconds(RUSAGE_CHILDREN);
        QElapsedTimer wall;
        wall.start();
        runEventLoopFor(idleMeasureMs);
        const double seconds = double(wall.nsecsElapsed()) / 1e9;
        const double cpu = cpuSeconds(RUSAGE_SELF) - cpuBefore, children = cpuSeconds(RUSAGE_CHILDREN) - childrenBefore;
        const int adbRuns = site.adb.log().size() - adbBefore;

        table.add(stallRow(what + "longest GUI stall", meter));
        ResultRow cpuRow;
        cpuRow.what = what + "CPU time of the process";
        cpuRow.updater = QStringLiteral("%1 % of a core").arg(100 * cpu / seconds, 0, 'f', 2);
        cpuRow.reference = QStringLiteral("%1 s CPU in %2 s; ended adb processes %3 s more")
                                   .arg(cpu, 0, 'f', 2).arg(seconds, 0, 'f', 1).arg(children, 0, 'f', 2);
        cpuRow.figure = QStringLiteral("%1 %").arg(100 * cpu / seconds, 0, 'f', 2);
        cpuRow.target = QStringLiteral("<= %1 %").arg(cpuTargetPercent);
        cpuRow.met = 100 * cpu / seconds <= cpuTargetPercent;
        table.add(cpuRow);
        ResultRow adbRow;
        adbRow.what = what + "adb processes started";
        adbRow.updater = QStringLiteral("%1 a second").arg(adbRuns / seconds, 0, 'f', 2);
        adbRow.reference = QStringLiteral("%1 in %2 s (the scripted adb's log)").arg(adbRuns).arg(seconds, 0, 'f', 1);
        adbRow.figure = QString::number(adbRuns / seconds, 'f', 2);
        adbRow.target = QStringLiteral("<= %1 a second").arg(adbTargetPerSecond);
        adbRow.met = adbRuns / seconds <= adbTargetPerSecond;
        table.add(adbRow);

        fprintf(stderr, "  %d plug-ins of a card, then of an adb camera\n", plugIns);
        const BenchSite::Model &lateCard = *site.fillerModels.at(7);
        const QString lateRoot = site.scratchPath("cards/poll-late");
        const QVector<double> cardTimes = appearanceTimes(
            station,
            [&] {
                return QDir().mkpath(lateRoot) && site.mounts.mountTmpfs(lateRoot, 16 << 20, false)
                       && !makeCard(lateRoot, lateCard.code, "5.910\n", true).isEmpty();
            },
            [&] { site.mounts.unmount(lateRoot, true); }, lateRoot);
        addAppearanceRows(table, "A card appears after its mount, 16 cameras attached", cardTimes);
        const QVector<double> adbTimes = appearanceTimes(
            station, [&] { return site.adb.plugIn("LATE", site.adbModel->code, "5.910\n", "1-9"); },
            [&] { site.adb.attach(false, "LATE"); }, "LATE");
        addAppearanceRows(table, "An adb camera appears after it is attached, 16 cameras attached", adbTimes);
    }

    MainWindow window(nullptr, site.source());
    window.init();
    window.show();
    if (!QTest::qWaitFor([&] { return rows(window).size() == cameras; }, 30000)) {
        table.addSkipped("Longest GUI stall, 512 MiB install to a tmpfs card, while polling", "<= 50 ms",
                         QStringLiteral("%1 of %2 cameras listed").arg(rows(window).size()).arg(cameras));
        return;
    }
    stallDuringInstall(window, table, site.bigModel->name + " - ",
                       QStringLiteral("Longest GUI stall, 512 MiB install to a tmpfs card, while polling"));
    stallDuringInstall(window, table, site.bigAdbModel->name + " - ",
                       QStringLiteral("Longest GUI stall, 512 MiB install through the scripted adb, while polling"));
}
