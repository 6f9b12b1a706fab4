// vek-updater-cli as a station's script runs it: the real program against the loopback
// server, tmpfs cards and the scripted adb; what it prints and the status it exits with.

#include "fake-adb/fakeadb.h"
#include "httpsserver.h"
#include "messageboxwatcher.h"
#include "outside/programidentity.h"
#include "testkit.h"

#include <QJsonArray>
#include <QTableWidget>
#include <QJsonDocument>
#include <QtTest>

#include <csignal>

namespace {
constexpr int programMs = 60000; // generous, for the sanitizers; a fault fails in that time

struct Run
{
    int exitCode = -1;
    QByteArray out, err;
    QList<QJsonObject> lines() const
    {
        QList<QJsonObject> objects;
        for (const QByteArray &line : out.split('\n'))
            if (!line.isEmpty())
                objects << QJsonDocument::fromJson(line).object();
        return objects;
    }
};
}

class CliTest : public QObject
{
    Q_OBJECT
    HttpsServer server;
    QTemporaryDir scratch;
    const QByteArray image22 = firmwareImage(300000, 1), image76 = firmwareImage(200000, 2);
    QByteArray catalogue;

    QString base() const { return server.origin() + "/fw"; }
    QString card(const QString &name, const QString &code, const QByteArray &versionFile)
    {
        const QString root = scratch.filePath(name);
        return mountCard(root, 4 << 20) && !makeCard(root, code, versionFile, true).isEmpty() ? root : QString();
    }
    Run run(const QStringList &arguments, QProcess *running = nullptr)
    {
        QProcess process;
        QProcess &cli = running ? *running : process;
        cli.start(VEK_CLI, QStringList{"--source", base()} + arguments);
        Run result;
        if (!running && cli.waitForFinished(programMs)) {
            result.exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -2;
            result.out = cli.readAllStandardOutput();
            result.err = cli.readAllStandardError();
        }
        return result;
    }

private slots:
    void initTestCase()
    {
        setProgramIdentity(); // the window here and the program share their folders
        QVERIFY(server.start());
        // The program is a process of its own: it trusts the test server through the
        // system's certificate folder, as a workstation trusts the maker's.
        QVERIFY(HttpsServer::trustedByEveryProgram(scratch.filePath("ca-store")));
        server.serve("/fw/tz22.bin", image22);
        server.serve("/fw/tz76.bin", image76);
        const auto entry = [this](const QString &route, const QByteArray &bytes, bool adb) {
            return QJsonObject{{"Version", "5.920"}, {"Link", server.url(route)}, {"Checksum", checksumOf(bytes)},
                               {"ADB_Device", adb}};
        };
        catalogue = QJsonDocument(QJsonObject{{"!", 0}, {"TZ2200", entry("/fw/tz22.bin", image22, false)},
                                              {"TZ7600", entry("/fw/tz76.bin", image76, true)}})
                        .toJson();
        server.serve("/fw/vek-updater-config.txt", catalogue);
        qputenv("XDG_CACHE_HOME", QFile::encodeName(scratch.filePath("cache")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(scratch.filePath("data")));
    }
    void cleanupTestCase() { ::umount2("/etc/ssl/certs", MNT_DETACH); }
    void cleanup()
    {
        for (const QString &name : QDir(scratch.path()).entryList({"card*"}, QDir::Dirs))
            pullCard(scratch.filePath(name + "/DCIM/TZ22LOAD")), pullCard(scratch.filePath(name));
    }

    // Two cards of one model and an adb camera, one JSON object each; an unreadable
    // card is told with its error.
    void listJson()
    {
        FakeAdb adb;
        adb.attach(true, "0123456789ABCDEF");
        QVERIFY(!makeCard(adb.cardPath("0123456789ABCDEF"), "TZ76", "5.920\n", true).isEmpty());
        const QString a = card("card-a", "TZ22", "5.910\nORVA\n"), b = card("card-b", "TZ22", "5.920\n");
        QVERIFY(!a.isEmpty() && !b.isEmpty() && !card("card-c", "TZ22", {}).isEmpty());
        const Run listed = run({"--json", "list"});
        QCOMPARE(listed.exitCode, 0);
        QList<QJsonObject> objects = listed.lines();
        std::sort(objects.begin(), objects.end(),
                  [](const QJsonObject &x, const QJsonObject &y) { return x["camera"].toString() < y["camera"].toString(); });
        const auto json = [](const QJsonObject &object) { return QJsonDocument(object).toJson(QJsonDocument::Compact); };
        QCOMPARE(objects.size(), 4);
        QCOMPARE(json(objects[0]), json({{"camera", a}, {"model", "TZ2200"}, {"installed", "5.910"}, {"available", "5.920"},
                                         {"brand", "ORVA"}, {"location", a}, {"needsUpdate", true}}));
        QCOMPARE(objects[1]["installed"].toString(), QString("5.920"));
        QCOMPARE(objects[2]["error"].toString(), QString("Unable to read version info."));
        QCOMPARE(json(objects[3]), json({{"camera", "adb:0123456789ABCDEF"}, {"model", "TZ7600"}, {"installed", "5.920"},
                                         {"available", "5.920"}, {"brand", ""}, {"location", "0123456789ABCDEF"},
                                         {"needsUpdate", false}}));
    }

    // Every attached camera side by side: a card whose update folder refuses writes
    // fails alone, and says so in the exit status; the others are written.
    void updateAll()
    {
        const QString a = card("card-a", "TZ22", "5.910\n"), b = card("card-b", "TZ22", "5.910\n"),
                      locked = card("card-c", "TZ22", "5.910\n");
        const QByteArray folder = QFile::encodeName(locked + "/DCIM/TZ22LOAD");
        QVERIFY(::mount(folder, folder, nullptr, MS_BIND, nullptr) == 0
                && ::mount(nullptr, folder, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0);
        const int requestsBefore = server.requestCount("/fw/tz22.bin");
        const Run updated = run({"--json", "update", "--all"});
        QCOMPARE(updated.exitCode, 1);
        QMap<QString, QString> titles;
        for (const QJsonObject &line : updated.lines())
            if (line["event"] == "result")
                titles.insert(line["camera"].toString(), line["title"].toString() + " " + line["outcome"].toVariant().toString());
        QCOMPARE(titles, (QMap<QString, QString>{{a, "TZ2200 - Update Successful 0"},
                                                 {b, "TZ2200 - Update Successful 0"},
                                                 {locked, "TZ22 - Update Error -4"}}));
        QVERIFY(updated.lines().first()["event"] == "progress" || updated.lines()[1]["event"] == "progress");
        QCOMPARE(server.requestCount("/fw/tz22.bin") - requestsBefore, 1);
        QVERIFY(fileBytes(a + "/DCIM/TZ22LOAD/TZ22UPDT.BIN") == image22 && fileBytes(b + "/DCIM/TZ22LOAD/TZ22UPDT.BIN") == image22);
    }

    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("an id no camera has") << QStringList{"update", "/media/nowhere"} << 2;
        QTest::newRow("no camera attached") << QStringList{"update"} << 2;
        QTest::newRow("no server") << QStringList{"--source", "https://127.0.0.1:1/fw", "list"} << 3;
        QTest::newRow("usage: unknown command") << QStringList{"frobnicate"} << 64;
        QTest::newRow("usage: --all with ids") << QStringList{"update", "--all", "/media/a"} << 64;
        QTest::newRow("usage: http source") << QStringList{"--source", "http://127.0.0.1/fw", "list"} << 64;
    }
    void exitCodes()
    {
        QFETCH(QStringList, arguments);
        QVERIFY(!card("card-a", "TZ22", "5.910\n").isEmpty() || arguments.contains("--all"));
        if (QTest::currentDataTag() == QLatin1String("no camera attached"))
            pullCard(scratch.filePath("card-a"));
        const Run done = run(arguments);
        QTEST(done.exitCode, "exitCode");
        QCOMPARE(done.out.isEmpty(), true); // nothing to tell there, diagnostics on stderr
    }

    // The window and the command line keep one history, in the order the updates ended;
    // the window shows it newest first, and the command line prints it as CSV.
    void historyFromBothPrograms()
    {
        const QString a = card("card-a", "TZ22", "5.910\n"), b = card("card-b", "TZ22", "5.910\n");
        QDir(scratch.filePath("data")).removeRecursively();
        {
            MessageBoxWatcher watcher;
            MainWindow w(nullptr, *FirmwareSource::fromArgument(base(), nullptr));
            w.show();
            AttachedCamera camera = cardCamera("TZ2200", "TZ22", a);
            camera.entry.link = server.url("/fw/tz22.bin");
            camera.entry.checksum = checksumOf(image22);
            w.updateDevice(camera);
            QTRY_COMPARE_WITH_TIMEOUT(watcher.titles(), QStringList("TZ2200 - Update Successful"), programMs);
            w.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&w));
            QTest::keyClick(&w, Qt::Key_H, Qt::ControlModifier);
            QTableWidget *table = nullptr;
            QTRY_VERIFY((table = w.findChild<QTableWidget *>()) && table->rowCount() == 1);
            QCOMPARE(table->item(0, 1)->text(), a);
        }
        QCOMPARE(run({"update", b}).exitCode, 0);
        const QList<QJsonObject> records = run({"--json", "history"}).lines();
        QCOMPARE(records.size(), 2);
        QCOMPARE(records[0]["camera"].toString() + " " + records[0]["program"].toString(), a + " vek-updater");
        QCOMPARE(records[1]["camera"].toString() + " " + records[1]["program"].toString(), b + " vek-updater-cli");
        QCOMPARE(records[1]["outcome"].toInt(-9) + records[1]["bytes"].toInt(), image22.size());
        QCOMPARE(records[1]["sha256"].toString().toUpper(), checksumOf(image22));
        const QList<QByteArray> csv = run({"history", "--csv"}).out.split('\n');
        QCOMPARE(csv.size(), 4);
        QVERIFY(csv[0].startsWith("time,camera,model,") && csv[2].contains(",vek-updater-cli,"));
    }

    // An air-gapped bench: fetch fills a folder once; updates from it need no server and
    // check what they read as a download is checked; a link that would lead out of the
    // folder is refused.
    void offlineBench()
    {
        const QString folder = scratch.filePath("offline"), camera = card("card-o", "TZ22", "5.910\n");
        QCOMPARE(run({"fetch", folder}).exitCode, 0);
        QCOMPARE(fileBytes(folder + "/vek-updater-config.txt"), catalogue);
        QVERIFY(fileBytes(folder + "/tz22.bin") == image22 && fileBytes(folder + "/tz76.bin") == image76);
        const Run again = run({"fetch", folder});
        QVERIFY(again.exitCode == 0 && again.out.count(" present") == 2);
        const int requestsBefore = server.requestCount();

        const auto fromFolder = [&](const QStringList &arguments) {
            QProcess cli;
            cli.start(VEK_CLI, QStringList{"--source", folder} + arguments);
            cli.waitForFinished(programMs);
            return Run{cli.exitCode(), cli.readAllStandardOutput(), cli.readAllStandardError()};
        };
        QCOMPARE(fromFolder({"update", camera}).exitCode, 0);
        QVERIFY(fileBytes(camera + "/DCIM/TZ22LOAD/TZ22UPDT.BIN") == image22);
        QCOMPARE(server.requestCount(), requestsBefore);

        QVERIFY(writeFile(camera + "/DCIM/TZ22LOAD/TZ22UPDT.BIN", "old") && writeFile(folder + "/tz22.bin", image76));
        const QList<QJsonObject> altered = fromFolder({"--json", "update", camera}).lines();
        QCOMPARE(altered.last()["outcome"].toInt(), -5);
        QVERIFY(altered.last()["text"].toString().startsWith("Firmware file read from " + folder + " but checksum mismatch"));
        QCOMPARE(fileBytes(camera + "/DCIM/TZ22LOAD/TZ22UPDT.BIN"), QByteArray("old"));

        // A catalogue whose links end in ".." or hide a "/" behind %2F, and a right image
        // waiting where the second would lead, beside the folder.
        const QJsonObject evil{{"!", 0},
                               {"TZ2200", QJsonObject{{"Version", "5.920"}, {"Checksum", checksumOf(image22)},
                                                      {"Link", server.url("/x/..%2Fescaped.bin")}}},
                               {"TZ7600", QJsonObject{{"Version", "5.920"}, {"Checksum", checksumOf(image76)},
                                                      {"Link", server.url("/x/..")}}}};
        server.serve("/evil/vek-updater-config.txt", QJsonDocument(evil).toJson());
        QProcess cli;
        cli.start(VEK_CLI, {"--source", server.origin() + "/evil", "fetch", folder + "/evil"});
        QVERIFY(cli.waitForFinished(programMs) && cli.exitCode() == 1);
        QCOMPARE(filesIn(folder + "/evil"), QStringList("vek-updater-config.txt"));
        QVERIFY(!QFile::exists(folder + "/escaped.bin"));
        QVERIFY(writeFile(folder + "/escaped.bin", image22));
        cli.start(VEK_CLI, {"--source", folder + "/evil", "--json", "update", camera});
        QVERIFY(cli.waitForFinished(programMs) && cli.exitCode() == 1);
        QVERIFY(cli.readAllStandardOutput().contains("\"outcome\":-3"));
    }

    // Station mode: a card plugged in while it runs is updated once; SIGTERM ends it
    // cleanly, with 0 since every update it made succeeded.
    void watch()
    {
        QProcess cli;
        run({"--json", "watch"}, &cli);
        QVERIFY(cli.waitForStarted());
        QTest::qWait(1500);
        const QString plugged = card("card-w", "TZ22", "5.910\n");
        const int requestsBefore = server.requestCount("/fw/tz22.bin");
        QByteArray out;
        QVERIFY(QTest::qWaitFor([&] { return (out += cli.readAllStandardOutput()).contains("\"event\":\"result\""); },
                                programMs));
        QTest::qWait(2500); // passes go on; the camera is not updated again
        ::kill(pid_t(cli.processId()), SIGTERM);
        QVERIFY(cli.waitForFinished(programMs));
        out += cli.readAllStandardOutput();
        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli.exitCode(), 0);
        QCOMPARE(out.count("\"event\":\"result\""), 1);
        QCOMPARE(server.requestCount("/fw/tz22.bin") - requestsBefore, 1);
        QVERIFY(fileBytes(plugged + "/DCIM/TZ22LOAD/TZ22UPDT.BIN") == image22);
    }
};

QTEST_MAIN(CliTest)
#include "tst_cli.moc"
