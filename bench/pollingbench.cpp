#include "benchmarks.h"

#include "benchsite.h"
#include "guistallmeter.h"
#include "messageboxwatcher.h"
#include "resulttable.h"
#include "windowkit.h"

#include <QElapsedTimer>

#include <cstdio>

#include <sys/resource.h>

namespace {
constexpr double stallTargetMs = 50, cpuTargetPercent = 3, adbTargetPerSecond = 1;
constexpr int idleMeasureMs = 30000;
const QStringList adbSerials = {"SERIAL1", "SERIAL2", "SERIAL3", "SERIAL4"};

double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    const auto seconds = [](const timeval &time) { return double(time.tv_sec) + double(time.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
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

// One window over 16 cameras, as a technician's bench has them: 12 on mounted cards and
// 4 behind the scripted adb, of a catalogue of 24 models, polled once a second. While
// nothing is plugged or unplugged: the window's stalls, this process's CPU time and the
// adb processes started; then the stalls while one card and one adb camera take a
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
        for (const QString &serial : adbSerials)
            site.adb.attach(false, serial);
    });

    MainWindow window(nullptr, site.source());
    window.init();
    window.show();
    const int cameras = cardModels.size() + adbSerials.size();
    if (!ready || !QTest::qWaitFor([&] { return rows(window).size() == cameras; }, 30000)) {
        table.addSkipped(what + "longest GUI stall", "<= 50 ms",
                         ready ? QStringLiteral("%1 of %2 cameras listed").arg(rows(window).size()).arg(cameras) : why);
        return;
    }
    QTest::qWait(3000); // past the first reads of each camera
    fprintf(stderr, "  %d cameras listed; 2 x %d s idle from now\n", cameras, idleMeasureMs / 1000);
    GuiStallMeter meter;
    meter.start();
    runEventLoopFor(idleMeasureMs);
    meter.stop();

    // Apart from the stalls: the meter's hundred wakeups a second would count as the
    // window's CPU time. From just after an adb process has started, so that the window
    // holds whole poll periods.
    const int adbBefore = site.adb.log().size() + 1;
    runEventLoopUntil([&] { return site.adb.log().size() >= adbBefore; }, 5000);
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
    cpuRow.reference = QStringLiteral("%1 s CPU in %2 s; the adb processes %3 s more")
                               .arg(cpu, 0, 'f', 2).arg(seconds, 0, 'f', 1).arg(children, 0, 'f', 2);
    cpuRow.figure = QStringLiteral("%1 %").arg(100 * cpu / seconds, 0, 'f', 2);
    cpuRow.target = QStringLiteral("<= 3 %");
    cpuRow.met = 100 * cpu / seconds <= cpuTargetPercent;
    table.add(cpuRow);
    ResultRow adbRow;
    adbRow.what = what + "adb processes started";
    adbRow.updater = QStringLiteral("%1 a second").arg(adbRuns / seconds, 0, 'f', 2);
    adbRow.reference = QStringLiteral("%1 in %2 s (the scripted adb's log)").arg(adbRuns).arg(seconds, 0, 'f', 1);
    adbRow.figure = QString::number(adbRuns / seconds, 'f', 2);
    adbRow.target = QStringLiteral("<= 1 a second");
    adbRow.met = adbRuns / seconds <= adbTargetPerSecond;
    table.add(adbRow);

    stallDuringInstall(window, table, site.bigModel->name + " - ",
                       QStringLiteral("Longest GUI stall, 512 MiB install to a tmpfs card, while polling"));
    stallDuringInstall(window, table, site.bigAdbModel->name + " - ",
                       QStringLiteral("Longest GUI stall, 512 MiB install through the scripted adb, while polling"));
}
