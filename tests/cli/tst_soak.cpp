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

        const QString figures = day.figures();
        qInfo().noquote() << figures;
        QCOMPARE(day.unexpected, QStringList());
        // Every camera came, with one history line and one result line each.
        const int results = cli.readAllStandardOutput().count("\"event\":\"result\"");
        QCOMPARE(QVector<int>({day.cameras, day.historyLines, results}), QVector<int>(3, cards + adb));
        QVERIFY2(day.end.residentBytes - day.start.residentBytes <= 2 << 20, qPrintable(figures));
        QVERIFY2(day.end.holdsNoMoreThan(day.start), qPrintable(figures));
    }
};

QTEST_MAIN(SoakTest)
#include "tst_soak.moc"
