#include "benchmarks.h"

#include "benchsite.h"
#include "resulttable.h"
#include "soakday.h"

#include <csignal>

namespace {
constexpr int cards = 2000, adbDevices = 500;

// One program through a bench's day (soakday.h), against a server of its own: what the
// process holds at the end against after its first tray.
void soakRow(BenchSite &site, ResultTable &table, const QString &what, const QString &name, const QString &program,
             const QStringList &arguments, const std::function<void(const QString &configFolder)> &prepare = {})
{
    HttpsServer server;
    QString why;
    if (!server.start(&why) || !HttpsServer::trustedByEveryProgram(site.scratchPath(name + "-ca"))) {
        table.addSkipped(what, "<= 2 MiB, 0", why.isEmpty() ? QStringLiteral("cannot trust the test server") : why);
        return;
    }
    SoakBench soak(server, site.scratchPath(name));
    QProcessEnvironment environment = soak.environment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    if (prepare)
        prepare(environment.value("XDG_CONFIG_HOME"));
    QProcess updater;
    updater.setProcessEnvironment(environment);
    updater.setWorkingDirectory(soak.workFolder());
    updater.start(program, QStringList{"--source", soak.source()} + arguments);
    QElapsedTimer clock;
    clock.start();
    const SoakBench::Day day = soak.run(updater.processId(), cards, adbDevices);
    ::kill(pid_t(updater.processId()), SIGTERM);
    updater.waitForFinished(60000);
    ::umount2("/etc/ssl/certs", MNT_DETACH);

    const Footprint &start = day.start, &end = day.end;
    const qint64 grownKiB = (end.residentBytes - start.residentBytes) / 1024;
    ResultRow row;
    row.what = what;
    row.updater = QString("%1 KiB resident; %2 descriptors, %3 threads, %4 processes, %5 files")
                      .arg(grownKiB).arg(end.descriptors - start.descriptors).arg(end.threads - start.threads)
                      .arg(end.children - start.children).arg(end.files - start.files);
    row.reference = QString("%1 cameras (%2 failed), %3 history lines, %4 s; at the first tray %5 KiB, %6 descriptors, "
                            "%7 threads")
                        .arg(day.cameras).arg(day.failed).arg(day.historyLines).arg(clock.elapsed() / 1000)
                        .arg(start.residentBytes / 1024).arg(start.descriptors).arg(start.threads);
    if (!day.unexpected.isEmpty())
        row.reference += "; not as expected: " + day.unexpected.first();
    row.figure = QString("%1 KiB").arg(grownKiB);
    row.target = QStringLiteral("<= 2 MiB, 0 of the rest");
    row.met = day.unexpected.isEmpty() && day.cameras == cards + adbDevices && day.historyLines == day.cameras
              && grownKiB <= 2048 && end.holdsNoMoreThan(start);
    table.add(row);
}
}

void benchSoak(BenchSite &site, ResultTable &table)
{
    soakRow(site, table,
            QStringLiteral("A day in minutes: vek-updater-cli watch, 2000 cards and 500 adb devices, a third failing: "
                           "growth from the first tray to the end"),
            "soak-watch", VEK_CLI, {"--json", "watch"});
    // The window with "Update cameras as they are plugged in" switched on, as it was left.
    soakRow(site, table,
            QStringLiteral("A day in minutes: the window in automatic mode, 2000 cards and 500 adb devices, a third "
                           "failing: growth from the first tray to the end"),
            "soak-window", VEK_APP, {}, [](const QString &configFolder) {
                QDir().mkpath(configFolder + "/vek-updater");
                writeFile(configFolder + "/vek-updater/vek-updater.conf", "[General]\nupdateOnArrival=true\n");
            });
}
