// vek-updater-cli watch through a bench's day in minutes (support/soakbench.h): every
// camera plugged in is updated once, with one result line and one history line, and at
// the end of the day the program holds no more than after its first tray. VEK_SOAK_CARDS
// and VEK_SOAK_ADB set the day's length (240 cards and 60 adb devices unless set; the
// bench runs 2,000 and 500). Only `ctest -C soak` runs it.

#include "soakbench.h"

#include <csignal>

class SoakTest : public QObject
{
    Q_OBJECT
private slots:
    void watchAllDay()
    {
        HttpsServer server;
        QTemporaryDir scratch;
        QVERIFY(server.start() && HttpsServer::trustedByEveryProgram(scratch.filePath("ca-store")));
        SoakBench bench(server, scratch.path());
        QProcess cli;
        cli.setProcessEnvironment(bench.environment());
        cli.setWorkingDirectory(bench.workFolder());
        cli.start(VEK_CLI, {"--json", "--source", bench.source(), "watch"});
        QVERIFY(cli.waitForStarted());
        const int cards = qEnvironmentVariableIsSet("VEK_SOAK_CARDS") ? qEnvironmentVariableIntValue("VEK_SOAK_CARDS") : 240;
        const int adb = qEnvironmentVariableIsSet("VEK_SOAK_ADB") ? qEnvironmentVariableIntValue("VEK_SOAK_ADB") : 60;
        const SoakBench::Day day = bench.run(cli.processId(), cards, adb);
        ::kill(pid_t(cli.processId()), SIGTERM);
        QVERIFY(cli.waitForFinished(60000));
        ::umount2("/etc/ssl/certs", MNT_DETACH);

        const Footprint &start = day.start, &end = day.end;
        const QString figures = QString("%1 cameras, %2 failed, %3 history lines, %4 result lines; from the first tray "
                                        "to the end: resident %5 -> %6 KiB, descriptors %7 -> %8, threads %9 -> %10, "
                                        "child processes %11 -> %12, files %13 -> %14")
                                    .arg(day.cameras).arg(day.failed).arg(day.historyLines)
                                    .arg(cli.readAllStandardOutput().count("\"event\":\"result\""))
                                    .arg(start.residentBytes / 1024).arg(end.residentBytes / 1024)
                                    .arg(start.descriptors).arg(end.descriptors).arg(start.threads).arg(end.threads)
                                    .arg(start.children).arg(end.children).arg(start.files).arg(end.files);
        qInfo().noquote() << figures;
        QCOMPARE(day.unexpected, QStringList());
        QVERIFY2(figures.startsWith(QString("%1 cameras").arg(cards + adb))
                     && figures.contains(QString(", %1 history lines, %1 result lines").arg(cards + adb)), qPrintable(figures));
        QVERIFY2(end.residentBytes - start.residentBytes <= 2 << 20, qPrintable(figures));
        QVERIFY2(end.descriptors <= start.descriptors && end.threads <= start.threads && end.children <= start.children
                     && end.files <= start.files, qPrintable(figures));
    }
};

QTEST_MAIN(SoakTest)
#include "tst_soak.moc"
