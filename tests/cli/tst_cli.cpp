// vek-updater-cli as a station's script runs it: the real program against the loopback
// server, tmpfs cards and the scripted adb; what it prints and the status it exits with.

#include "cliprogram.h"
#include "fake-adb/fakeadb.h"
#include "httpsserver.h"
#include "messageboxwatcher.h"
#include "outside/programidentity.h"
#include "windowkit.h"

#include <QJsonArray>
#include <QTableWidget>
#include <QJsonDocument>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>
#include <fcntl.h>
#include <sys/ioctl.h>

namespace {

// What a terminal of that size keeps of the bytes written to it, scrollback included: its
// lines of text, wrapped rows joined. It wraps as xterm does and follows the moves the
// live lines make (ESC [ n A, never above the screen's top; ESC [ J).
QStringList transcript(const QByteArray &bytes, int columns, int rows)
{
    QStringList shown{""};
    QList<bool> wrapped{false}; // the row goes on from the one above
    int row = 0, column = 0;
    const auto down = [&](bool wrapping) {
        if (++row == shown.size()) {
            shown << "";
            wrapped << wrapping;
        }
    };
    const QString text = QString::fromUtf8(bytes);
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == '\x1b' && text.mid(i, 2) == "\x1b[") {
            const int end = text.indexOf(QRegularExpression("[@-~]"), i + 2);
            if (text.at(end) == 'A')
                row = qMax(row - text.mid(i + 2, end - i - 2).toInt(), qMax(0, shown.size() - rows));
            if (text.at(end) == 'J') {
                shown[row].truncate(column);
                shown.erase(shown.begin() + row + 1, shown.end());
                wrapped.erase(wrapped.begin() + row + 1, wrapped.end());
            }
            i = end;
        } else if (c == '\r') {
            column = 0;
        } else if (c == '\n') {
            down(false);
        } else {
            if (column == columns) { // a full row wraps when the next character comes
                down(true);
                column = 0;
            }
            shown[row] = shown[row].leftJustified(column) + c + shown[row].mid(column + 1);
            ++column;
        }
    }
    QStringList lines;
    for (int i = 0; i < shown.size(); ++i) {
        if (wrapped[i])
            lines.last() += shown[i];
        else
            lines << shown[i];
    }
    lines.removeAll("");
    return lines;
}
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
    CliRun run(const QStringList &arguments) { return runCli(QStringList{"--source", base()} + arguments); }

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
        catalogue = server.serveCatalogue("/fw/vek-updater-config.txt", {{"TZ2200", "/fw/tz22.bin", image22},
                                                                        {"TZ7600", "/fw/tz76.bin", image76, true}});
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
        const CliRun listed = run({"--json", "list"});
        QCOMPARE(listed.exitCode, 0);
        QList<QJsonObject> objects = listed.lines();
        std::sort(objects.begin(), objects.end(),
                  [](const QJsonObject &x, const QJsonObject &y) { return x["camera"].toString() < y["camera"].toString(); });
        const auto json = [](const QJsonObject &object) { return QJsonDocument(object).toJson(QJsonDocument::Compact); };
        QCOMPARE(objects.size(), 4);
        QCOMPARE(json(objects[0]), json({{"camera", a}, {"model", "TZ2200"}, {"installed", "5.910"}, {"available", "5.920"},
                                         {"brand", "ORVA"}, {"location", a}, {"slot", ""}, {"needsUpdate", true},
                                         {"writable", true}}));
        QCOMPARE(objects[1]["installed"].toString(), QString("5.920"));
        const QString unreadable = scratch.filePath("card-c");
        QCOMPARE(json(objects[2]), json({{"camera", unreadable}, {"model", "TZ2200"}, {"error", "Unable to read version info."},
                                         {"available", "5.920"}, {"brand", ""}, {"location", unreadable},
                                         {"needsUpdate", false}}));
        QCOMPARE(json(objects[3]), json({{"camera", "adb:0123456789ABCDEF"}, {"model", "TZ7600"}, {"installed", "5.920"},
                                         {"available", "5.920"}, {"brand", ""}, {"location", "0123456789ABCDEF"},
                                         {"slot", ""}, {"needsUpdate", false}, {"writable", true}}));
    }

    // A slot named once names its camera everywhere: the list, the results, the history;
    // and the window's row leads with it.
    void slotNames()
    {
        FakeAdb adb;
        QVERIFY(adb.plugIn("R58M90ABCDE", "TZ76", "5.910\n", "1-4.3"));
        QCOMPARE(run({"slots", "name", "1-4.3", "A3"}).exitCode, 0);
        QCOMPARE(run({"slots", "name", "1/4", "B1"}).exitCode, 64);
        QCOMPARE(QString(run({"--json", "slots"}).out), QString("{\"name\":\"A3\",\"slot\":\"1-4.3\"}\n"));
        const QList<QJsonObject> listed = run({"--json", "list"}).lines();
        QCOMPARE(listed.size(), 1);
        QCOMPARE(listed[0]["location"].toString() + " " + listed[0]["slot"].toString(), QString("A3 1-4.3"));
        QDir(scratch.filePath("data")).removeRecursively();
        QCOMPARE(run({"update", "adb:R58M90ABCDE"}).exitCode, 0);
        QCOMPARE(run({"--json", "history"}).lines().value(0)["location"].toString(), QString("A3"));
        MainWindow w(nullptr, *FirmwareSource::fromArgument(base(), nullptr));
        w.init();
        QTRY_COMPARE_WITH_TIMEOUT(rows(w).size(), 1, programMs);
        QVERIFY(deviceView(w)->item(0)->data(Qt::UserRole + 1).toString().startsWith(QString::fromUtf8("A3 \u00b7 USB debugging")));
        QCOMPARE(run({"slots", "name", "1-4.3", ""}).exitCode, 0);
        QCOMPARE(run({"--json", "slots"}).out, QByteArray());
        QDir(scratch.filePath("data")).removeRecursively();
    }

    void inTheUsersLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("json");
        QTest::addColumn<QString>("says");
        QTest::newRow("German") << "de" << "" << "TZ2200 - Aktualisierung erfolgreich  Bitte ziehen Sie das USB-Kabel ab";
        QTest::newRow("Spanish") << "es" << "" << "TZ2200 - Actualización correcta  Desconecte el cable USB";
        QTest::newRow("German, for a script") << "de" << "--json" << "\"title\":\"TZ2200 - Update Successful\"";
    }
    // A person reads the result in the language of the locale; a script, and the
    // history whoever reads it, in English.
    void inTheUsersLanguage()
    {
        QFETCH(QString, language);
        QFETCH(QString, json);
        QFETCH(QString, says);
        QVERIFY(!card("card-a", "TZ22", "5.910\n").isEmpty());
        QDir(scratch.filePath("data")).removeRecursively();
        qputenv("LANGUAGE", language.toLatin1());
        const auto english = qScopeGuard([] { qputenv("LANGUAGE", ""); });
        const CliRun updated = run(QStringList{json, "update"}.filter(QRegularExpression(".")));
        QCOMPARE(updated.exitCode, 0);
        QVERIFY2(QString::fromUtf8(updated.out).contains(says), updated.out.constData());
        const QList<QJsonObject> records = run({"--json", "history"}).lines();
        QCOMPARE(records.size(), 1);
        QCOMPARE(records.first()["title"].toString(), QString("TZ2200 - Update Successful"));
    }

    // Every attached camera side by side: a card whose update folder refuses writes
    // fails alone, and says so in the exit status; the others are written.
    void updateAll()
    {
        const QString a = card("card-a", "TZ22", "5.910\n"), b = card("card-b", "TZ22", "5.910\n"),
                      locked = card("card-c", "TZ22", "5.910\n");
        QVERIFY(bindReadOnly(locked + "/DCIM/TZ22LOAD"));
        const int requestsBefore = server.requestCount("/fw/tz22.bin");
        const CliRun updated = run({"--json", "update", "--all"});
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
        QMap<QString, QString> reasons;
        for (const QJsonObject &record : run({"--json", "history"}).lines())
            reasons.insert(record["camera"].toString(), record["reason"].toString());
        QCOMPARE(reasons, (QMap<QString, QString>{{a, ""}, {b, ""}, {locked, "card not writable"}}));
    }

    // On a terminal too small for a line per camera: the live lines fit its width and
    // rows, and when the run is over only the result lines are left of them.
    void liveTerminal()
    {
        QStringList results;
        for (const QString name : {"card-a", "card-b", "card-c", "card-d", "card-e", "card-f"}) {
            const QString root = card(name, "TZ22", "5.910\n");
            QVERIFY(!root.isEmpty());
            results << root + "  TZ2200 - Update Successful  Please disconnect the USB to finish the update process.";
        }
        server.serveSlowly("/fw/tz22.bin", image22, 25000, 100);
        const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        const struct winsize size = {5, 50, 0, 0};
        QVERIFY(terminal >= 0 && ::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0
                && ::ioctl(terminal, TIOCSWINSZ, &size) == 0);
        const QString side = QString::fromLocal8Bit(::ptsname(terminal));
        const int held = ::open(QFile::encodeName(side).constData(), O_RDWR | O_NOCTTY); // open until all is read
        QByteArray drawn;
        const auto readAll = [&] {
            char bytes[4096];
            for (ssize_t n; (n = ::read(terminal, bytes, sizeof bytes)) > 0;)
                drawn.append(bytes, int(n));
        };
        QProcess cli;
        cli.setStandardOutputFile(side);
        cli.start(VEK_CLI, {"--source", base(), "update"});
        QVERIFY(QTest::qWaitFor([&] { return readAll(), cli.state() == QProcess::NotRunning; }, programMs));
        readAll();
        ::close(held);
        ::close(terminal);
        server.serve("/fw/tz22.bin", image22);
        QCOMPARE(cli.exitCode(), 0);
        QVERIFY(drawn.contains("more under way"));
        QStringList kept = transcript(drawn, 50, 5);
        kept.sort();
        QCOMPARE(kept, results);
    }

    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("arguments"); // CARD: the card's mount point
        QTest::addColumn<bool>("attached");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("an id no camera has") << QStringList{"update", "/media/nowhere"} << true << 2;
        QTest::newRow("no camera attached") << QStringList{"update"} << false << 2;
        QTest::newRow("list, no camera attached") << QStringList{"list"} << false << 2;
        QTest::newRow("a known id and an unknown") << QStringList{"update", "CARD", "/media/nowhere"} << true << 1;
        QTest::newRow("no server") << QStringList{"--source", "https://127.0.0.1:1/fw", "list"} << true << 3;
        QTest::newRow("--since, a time with its offset")
            << QStringList{"history", "--since", "2999-12-07T15:00:30.5+01:00"} << true << 0;
        QTest::newRow("usage: unknown command") << QStringList{"frobnicate"} << true << 64;
        QTest::newRow("usage: --all with ids") << QStringList{"update", "--all", "/media/a"} << true << 64;
        QTest::newRow("usage: http source") << QStringList{"--source", "http://127.0.0.1/fw", "list"} << true << 64;
        QTest::newRow("usage: --since, second 99") << QStringList{"history", "--since", "2026-12-07T15:00:99Z"} << true << 64;
        QTest::newRow("usage: --since, offset +99:00") << QStringList{"history", "--since", "2026-12-07T15:00+99:00"} << true << 64;
        QTest::newRow("usage: --since, more after the date") << QStringList{"history", "--since", "2026-12-07garbage"} << true << 64;
    }
    void exitCodes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, attached);
        const QString camera = card("card-a", "TZ22", "5.910\n");
        QVERIFY(!camera.isEmpty() && (attached || pullCard(camera)));
        const bool named = arguments.removeAll("CARD") > 0;
        const CliRun done = run(named ? arguments << camera : arguments);
        QTEST(done.exitCode, "exitCode");
        // Only a camera named and attached is updated, and told on standard output;
        // every diagnostic line names the program.
        QCOMPARE(fileBytes(camera + "/DCIM/TZ22LOAD/TZ22UPDT.BIN") == image22, named);
        QCOMPARE(done.out.isEmpty(), !named);
        for (const QByteArray &line : done.err.split('\n'))
            QVERIFY2(line.isEmpty() || line.startsWith("vek-updater-cli: "), line.constData());
    }

    // --help and --version answer where there is no display (a terminal over ssh, a
    // package build); the help opens with the usage lines, and tells every exit status.
    void helpAndVersion_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("says");
        QTest::newRow("window, --version") << VEK_APP << "--version" << "^vek-updater [0-9.]+\n$";
        QTest::newRow("window, --help") << VEK_APP << "--help" << "^Usage: vek-updater \\[--source";
        QTest::newRow("command line, --version") << VEK_CLI << "--version" << "^vek-updater-cli [0-9.]+\n$";
        QTest::newRow("command line, --help") << VEK_CLI << "--help"
                                              << "^Usage: vek-updater-cli \\[--json.*\n  130  .*\n  143  ";
    }
    void helpAndVersion()
    {
        QFETCH(QString, program);
        QFETCH(QString, argument);
        QFETCH(QString, says);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(variable);
        process.setProcessEnvironment(environment);
        process.start(program, {argument});
        QVERIFY(process.waitForFinished(programMs));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        const QString out = process.readAllStandardOutput();
        QVERIFY2(QRegularExpression(says, QRegularExpression::DotMatchesEverythingOption).match(out).hasMatch(),
                 qPrintable(out));
    }

    // The manual page, made by help2man from --help, shows each usage line as a line.
    void manualPage()
    {
        if (!QFile::exists(VEK_CLI_MANUAL))
            QSKIP("this build makes no manual page (VEK_MAN_PAGES)");
        QProcess unpack;
        unpack.start("gzip", {"-dc", VEK_CLI_MANUAL});
        QVERIFY(unpack.waitForFinished(programMs));
        const QString synopsis = QString(unpack.readAllStandardOutput()).section(".SH SYNOPSIS", 1).section(".SH ", 0, 0);
        QCOMPARE(synopsis.count(".B vek-updater-cli\n"), 11);
        QCOMPARE(synopsis.count(".br\n"), 10);
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

    // A history of any size is listed whole, the older file's records first: the last
    // of each, past the first 64 MiB, included.
    void longHistory()
    {
        const QString folder = scratch.filePath("data/vek-updater");
        QVERIFY(QDir(folder).removeRecursively() && QDir().mkpath(folder));
        const auto line = [](const QString &camera) {
            return QJsonDocument(QJsonObject{{"time", "2026-12-07T10:00:00Z"}, {"camera", camera}, {"outcome", 0}})
                       .toJson(QJsonDocument::Compact)
                   + '\n';
        };
        // Lines too long for a record are passed over unread: the size is what counts.
        QFile older(folder + "/history.1.jsonl");
        const QByteArray filler = QByteArray(1100 * 1024, 'x') + '\n';
        QVERIFY(older.open(QIODevice::WriteOnly));
        while (older.size() <= 64 << 20)
            QCOMPARE(older.write(filler), qint64(filler.size()));
        QVERIFY(older.write(line("/media/older-file-last")) > 0 && older.flush());
        QVERIFY(writeFile(folder + "/history.jsonl", filler + line("/media/newest")));
        const QList<QJsonObject> listed = run({"--json", "history", "--since", "2026-01-01"}).lines();
        QDir(folder).removeRecursively();
        QCOMPARE(listed.size(), 2);
        QCOMPARE(listed[0]["camera"].toString() + " " + listed[1]["camera"].toString(),
                 QString("/media/older-file-last /media/newest"));
    }

    // An air-gapped bench: fetch fills a folder once; updates from it need no server and
    // check what they read as a download is checked; a link that would lead out of the
    // folder is refused.
    void offlineBench()
    {
        // Filled through a link to the folder, as a stick's mount point may be.
        const QString folder = scratch.filePath("offline"), camera = card("card-o", "TZ22", "5.910\n");
        QVERIFY(QDir().mkpath(folder) && QFile::link(folder, scratch.filePath("offline-link")));
        const CliRun fetched = run({"fetch", scratch.filePath("offline-link")});
        QVERIFY2(fetched.exitCode == 0, (fetched.out + fetched.err).constData());
        QCOMPARE(fileBytes(folder + "/vek-updater-config.txt"), catalogue);
        QVERIFY(fileBytes(folder + "/tz22.bin") == image22 && fileBytes(folder + "/tz76.bin") == image76);
        const CliRun again = run({"fetch", folder});
        QVERIFY(again.exitCode == 0 && again.out.count(" present") == 2);
        const CliRun unknown = run({"fetch", folder, "NOPE"});
        QVERIFY(unknown.exitCode == 2 && unknown.err.contains("not in the catalogue: NOPE"));
        const int requestsBefore = server.requestCount();

        const auto fromFolder = [&](const QStringList &arguments) {
            return runCli(QStringList{"--source", folder} + arguments);
        };
        QCOMPARE(fromFolder({"update", camera}).exitCode, 0);
        QVERIFY(fileBytes(camera + "/DCIM/TZ22LOAD/TZ22UPDT.BIN") == image22);
        QCOMPARE(server.requestCount(), requestsBefore);

        QVERIFY(writeFile(camera + "/DCIM/TZ22LOAD/TZ22UPDT.BIN", "old") && writeFile(folder + "/tz22.bin", image76));
        const QList<QJsonObject> altered = fromFolder({"--json", "update", camera}).lines();
        QCOMPARE(altered.last()["outcome"].toInt(), -5);
        QVERIFY(altered.last()["text"].toString().startsWith("Firmware file read from " + folder + " but checksum mismatch"));
        QCOMPARE(fileBytes(camera + "/DCIM/TZ22LOAD/TZ22UPDT.BIN"), QByteArray("old"));
        // A FIFO in the image's place is no image: refused at once, not waited on.
        QVERIFY(QFile::remove(folder + "/tz22.bin") && ::mkfifo(QFile::encodeName(folder + "/tz22.bin"), 0600) == 0);
        const QList<QJsonObject> fifo = fromFolder({"--json", "update", camera}).lines();
        QVERIFY(!fifo.isEmpty() && fifo.last()["outcome"].toInt() == -3);

        // A catalogue whose links end in ".." or hide a "/" behind %2F, and a right image
        // waiting where the second would lead, beside the folder.
        const QJsonObject evil{{"!", 0},
                               {"TZ2200", QJsonObject{{"Version", "5.920"}, {"Checksum", checksumOf(image22)},
                                                      {"Link", server.url("/x/..%2Fescaped.bin")}}},
                               {"TZ7600", QJsonObject{{"Version", "5.920"}, {"Checksum", checksumOf(image76)},
                                                      {"Link", server.url("/x/..")}}}};
        server.serve("/evil/vek-updater-config.txt", QJsonDocument(evil).toJson());
        QCOMPARE(runCli({"--source", server.origin() + "/evil", "fetch", folder + "/evil"}).exitCode, 1);
        QCOMPARE(filesIn(folder + "/evil"), QStringList("vek-updater-config.txt"));
        QVERIFY(!QFile::exists(folder + "/escaped.bin"));
        QVERIFY(writeFile(folder + "/escaped.bin", image22));
        const CliRun escaped = runCli({"--source", folder + "/evil", "--json", "update", camera});
        QVERIFY(escaped.exitCode == 1 && escaped.out.contains("\"outcome\":-3"));
    }

    // One camera named three ways is updated once; two programs updating the same
    // cards at once write each card once, and the other program calls it busy; SIGTERM
    // or Ctrl-C stops an update as a shell expects (143, 130), each card keeping its old
    // image or the whole new one.
    void oneCameraOnce()
    {
        const QByteArray slow = firmwareImage(2 << 20, 7);
        server.serveSlowly("/slow/tz22.bin", slow, 64 * 1024, 100);
        server.serveCatalogue("/slow/vek-updater-config.txt", {{"TZ2200", "/slow/tz22.bin", slow}});
        const QString a = card("card-a", "TZ22", "5.910\n"), b = card("card-b", "TZ22", "5.910\n");
        QDir(scratch.filePath("data")).removeRecursively();
        const auto start = [&](QProcess &cli, const QStringList &arguments) {
            cli.start(VEK_CLI, QStringList{"--source", server.origin() + "/slow", "--json"} + arguments);
        };
        QProcess once, first, second;
        start(once, {"update", a, a + "/", scratch.filePath("./card-a")});
        QVERIFY(once.waitForFinished(programMs) && once.exitCode() == 0);
        QCOMPARE(once.readAllStandardOutput().count("\"event\":\"result\""), 1);

        QVERIFY(writeFile(a + "/DCIM/TZ22LOAD/TZ22UPDT.BIN", "old"));
        start(first, {"update", "--all"});
        start(second, {"update", "--all"});
        QVERIFY(first.waitForFinished(programMs) && second.waitForFinished(programMs));
        QStringList outcomes;
        for (QProcess *cli : {&first, &second})
            for (const QByteArray &line : cli->readAllStandardOutput().split('\n'))
                if (line.contains("\"event\":\"result\""))
                    outcomes << QJsonDocument::fromJson(line).object()["outcome"].toVariant().toString();
        outcomes.sort();
        QCOMPARE(outcomes, QStringList({"0", "0", "busy", "busy"}));
        QVERIFY(fileBytes(a + "/DCIM/TZ22LOAD/TZ22UPDT.BIN") == slow && fileBytes(b + "/DCIM/TZ22LOAD/TZ22UPDT.BIN") == slow);
        QCOMPARE(run({"--json", "history"}).lines().size(), 3); // the busy ones did nothing

        for (const int signal : {SIGTERM, SIGINT}) {
            QVERIFY(writeFile(a + "/DCIM/TZ22LOAD/TZ22UPDT.BIN", "old"));
            QProcess stopped;
            start(stopped, {"update", a});
            QByteArray out;
            QVERIFY(QTest::qWaitFor([&] { return (out += stopped.readAllStandardOutput()).contains("\"progress\""); }, programMs));
            ::kill(pid_t(stopped.processId()), signal);
            QVERIFY(stopped.waitForFinished(programMs));
            out += stopped.readAllStandardOutput();
            QCOMPARE(stopped.exitCode(), 128 + signal);
            QVERIFY(out.contains("\"outcome\":\"stopped\""));
            const QByteArray held = fileBytes(a + "/DCIM/TZ22LOAD/TZ22UPDT.BIN");
            QVERIFY(held == "old" || held == slow);
        }
    }

    // Station mode: a card plugged in while it runs is updated once; SIGTERM ends it
    // cleanly, with 0 since every update it made succeeded.
    void watch()
    {
        QProcess cli;
        cli.start(VEK_CLI, {"--source", base(), "--json", "watch"});
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
