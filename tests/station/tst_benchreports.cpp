// Many benches, one view: the real vek-updater-cli updates two cameras (one fails) on
// tmpfs cards from the loopback server, and leaves metrics that promtool accepts and a
// real node exporter serves, and a journal entry per update on a socket bound where
// journald's would be, in the test's private mount namespace.

#include "cliprogram.h"
#include "history/updatehistory.h"
#include "httpsserver.h"
#include "outside/programidentity.h"
#include "testkit.h"

#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QTcpServer>
#include <QtEndian>
#include <QtTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// Every character that a label value escapes, and a line feed for the journal's binary form.
const QString station = "bench \"7\"\\east\nrow";
const QString stationLabel = "station=\"bench \\\"7\\\"\\\\east\\nrow\"";

// A datagram of the journal's native protocol, field by field.
QMap<QByteArray, QByteArray> journalFields(const QByteArray &datagram)
{
    QMap<QByteArray, QByteArray> fields;
    for (int at = 0, end; (end = datagram.indexOf('\n', at)) > 0; at = end + 1) {
        const QByteArray line = datagram.mid(at, end - at);
        const int equals = line.indexOf('=');
        const int size = equals > 0 ? 0 : int(qFromLittleEndian<quint64>(datagram.constData() + end + 1));
        fields.insert(equals > 0 ? line.left(equals) : line, equals > 0 ? line.mid(equals + 1) : datagram.mid(end + 9, size));
        end += equals > 0 ? 0 : 9 + size;
    }
    return fields;
}

// The series of the text format, "name{labels}" to value, as the exporter serves them.
QMap<QString, double> servedSeries(const QByteArray &text)
{
    QMap<QString, double> series;
    for (const QString &line : QString::fromUtf8(text).split('\n'))
        if (line.startsWith("vek_updater_") || line.startsWith("node_textfile_scrape_error"))
            series.insert(line.left(line.lastIndexOf(' ')), line.mid(line.lastIndexOf(' ') + 1).toDouble());
    return series;
}
}

class BenchReportsTest : public QObject
{
    Q_OBJECT
    HttpsServer server;
    QTemporaryDir scratch;
    const QByteArray image = firmwareImage(300000);
    QString made, failed, metrics;
    QList<QMap<QByteArray, QByteArray>> entries;
    qint64 runStart = 0, runEnd = 0;

    QString card(const QString &name)
    {
        const QString root = scratch.filePath(name);
        return mountCard(root, 4 << 20) && !makeCard(root, "TZ22", "5.910\n", true).isEmpty() ? root : QString();
    }
    CliRun run(const QStringList &arguments) { return runCli(QStringList{"--source", server.origin() + "/fw"} + arguments); }

private slots:
    void initTestCase()
    {
        setProgramIdentity();
        QVERIFY(server.start());
        QVERIFY(HttpsServer::trustedByEveryProgram(scratch.filePath("ca-store")));
        server.serve("/fw/tz22.bin", image);
        server.serveCatalogue("/fw/vek-updater-config.txt", {{"TZ2200", "/fw/tz22.bin", image}});
        qputenv("XDG_CACHE_HOME", QFile::encodeName(scratch.filePath("cache")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(scratch.filePath("data")));

        // Today's totals count this program's records of today, and no others.
        const UpdateHistory history(scratch.filePath("data/vek-updater"));
        QString why;
        for (const auto &[daysAgo, program] : {std::pair(0, "vek-updater-cli"), {1, "vek-updater-cli"}, {0, "vek-updater"}}) {
            HistoryRecord earlier;
            earlier.time = QDateTime::currentDateTimeUtc().addDays(-daysAgo);
            earlier.camera = "/media/earlier", earlier.model = "TZ2200", earlier.outcome = "0", earlier.program = program;
            QVERIFY2(history.append(earlier, &why), qPrintable(why));
        }

        QVERIFY(::mount("journal", "/run", "tmpfs", MS_NOSUID | MS_NODEV, "size=1m") == 0);
        QVERIFY(QDir().mkpath("/run/systemd/journal"));
        const int journal = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const sockaddr_un address{AF_UNIX, "/run/systemd/journal/socket"};
        QVERIFY(::bind(journal, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0);

        made = card("card-a"), failed = card("card-b"), metrics = scratch.filePath("metrics");
        QVERIFY(!made.isEmpty() && !failed.isEmpty() && QDir().mkpath(metrics));
        QVERIFY(bindReadOnly(failed + "/DCIM/TZ22LOAD"));
        runStart = QDateTime::currentSecsSinceEpoch();
        QCOMPARE(run({"--metrics-dir", metrics, "--station", station, "update", "--all"}).exitCode, 1);
        runEnd = QDateTime::currentSecsSinceEpoch() + 1;

        QByteArray datagram(1 << 16, Qt::Uninitialized);
        for (ssize_t size; (size = ::recv(journal, datagram.data(), size_t(datagram.size()), MSG_DONTWAIT)) > 0;)
            entries << journalFields(datagram.left(int(size)));
        ::close(journal);
        QVERIFY(::umount2("/run", MNT_DETACH) == 0); // no journal from here on
    }
    void cleanupTestCase()
    {
        for (const QString &name : QDir(scratch.path()).entryList({"card*", "metrics*"}, QDir::Dirs))
            pullCard(scratch.filePath(name + "/DCIM/TZ22LOAD")), pullCard(scratch.filePath(name));
        ::umount2("/etc/ssl/certs", MNT_DETACH);
    }

    void journalEntries_data()
    {
        QTest::addColumn<QString>("camera");
        QTest::addColumn<QByteArray>("priority");
        QTest::addColumn<QByteArray>("outcome");
        QTest::addColumn<QString>("title");
        QTest::newRow("updated") << made << QByteArray("6") << QByteArray("0") << "TZ2200 - Update Successful";
        QTest::newRow("failed") << failed << QByteArray("4") << QByteArray("-4") << "TZ22 - Update Error";
    }
    void journalEntries()
    {
        QFETCH(QString, camera);
        QFETCH(QString, title);
        QCOMPARE(entries.size(), 2);
        const auto entry = std::find_if(entries.begin(), entries.end(),
                                        [&](const auto &fields) { return fields["VEK_CAMERA"] == camera.toUtf8(); });
        QVERIFY(entry != entries.end());
        QCOMPARE((*entry)["MESSAGE_ID"], QByteArray("2844e0664a1b4363ae76a81b39b39d3e"));
        QTEST((*entry)["PRIORITY"], "priority");
        QTEST((*entry)["VEK_OUTCOME"], "outcome");
        QCOMPARE(QString((*entry)["MESSAGE"]), "TZ2200 at " + camera + ": " + title);
        QCOMPARE((*entry)["SYSLOG_IDENTIFIER"], QByteArray("vek-updater-cli"));
        QCOMPARE((*entry)["VEK_MODEL"] + " " + (*entry)["VEK_TO"], QByteArray("TZ2200 5.920"));
        QCOMPARE(QString((*entry)["VEK_STATION"]), station);
        QVERIFY(entry->contains("VEK_DURATION_MS"));
    }

    void promtoolAccepts()
    {
        QCOMPARE(filesIn(metrics), QStringList("vek-updater-cli.prom"));
        if (QStandardPaths::findExecutable("promtool").isEmpty())
            QSKIP("promtool is not installed (Debian package prometheus)");
        QProcess promtool;
        promtool.setStandardInputFile(metrics + "/vek-updater-cli.prom");
        promtool.start("promtool", {"check", "metrics"});
        QVERIFY(promtool.waitForFinished(programMs));
        QCOMPARE(promtool.readAllStandardOutput() + promtool.readAllStandardError(), QByteArray());
        QCOMPARE(promtool.exitCode(), 0);
    }

    void nodeExporterServes()
    {
        if (QStandardPaths::findExecutable("prometheus-node-exporter").isEmpty())
            QSKIP("prometheus-node-exporter is not installed");
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const QString address = "127.0.0.1:" + QString::number(probe.serverPort());
        probe.close();
        QProcess exporter;
        exporter.start("prometheus-node-exporter",
                       {"--web.listen-address=" + address, "--collector.disable-defaults", "--collector.textfile",
                        "--collector.textfile.directory=" + metrics});
        QNetworkAccessManager network;
        network.setProxy(QNetworkProxy::NoProxy);
        QByteArray text;
        QVERIFY(QTest::qWaitFor([&] {
            std::unique_ptr<QNetworkReply> reply(network.get(QNetworkRequest(QUrl("http://" + address + "/metrics"))));
            const bool answered = QTest::qWaitFor([&] { return reply->isFinished(); }, 5000);
            text = answered && reply->error() == QNetworkReply::NoError ? reply->readAll() : QByteArray();
            return !text.isEmpty();
        }, programMs));
        exporter.kill();
        exporter.waitForFinished(programMs);

        QMap<QString, double> served = servedSeries(text);
        const double lastUpdate = served.take("vek_updater_last_update_timestamp_seconds{program=\"vek-updater-cli\","
                                              + stationLabel + "}");
        QVERIFY2(lastUpdate >= runStart && lastUpdate <= runEnd, qPrintable(QString::number(lastUpdate, 'f')));
        const auto of = [](const QString &name, const QString &before = {}, const QString &after = {}) {
            return name + '{' + before + "program=\"vek-updater-cli\"," + stationLabel + after + '}';
        };
        QCOMPARE(served, (QMap<QString, double>{
                             {"node_textfile_scrape_error", 0},
                             {of("vek_updater_up", {}, ",version=\"" + QCoreApplication::applicationVersion() + '"'), 1},
                             {of("vek_updater_updates_total", "model=\"TZ2200\",outcome=\"0\","), 1},
                             {of("vek_updater_updates_total", "model=\"TZ2200\",outcome=\"-4\","), 1},
                             {of("vek_updater_updates_today", "model=\"TZ2200\",outcome=\"0\","), 2},
                             {of("vek_updater_updates_today", "model=\"TZ2200\",outcome=\"-4\","), 1},
                             {of("vek_updater_cameras_attached"), 2},
                             {of("vek_updater_cameras_updating"), 0},
                             {of("vek_updater_written_bytes_total"), image.size()},
                         }));
    }

    // A folder the metrics cannot go to is said once, and the update goes on; a
    // workstation without a journal says nothing of it.
    void unwritableFolder()
    {
        const QString camera = card("card-c"), folder = scratch.filePath("metrics-read-only");
        QVERIFY(!camera.isEmpty() && QDir().mkpath(folder) && bindReadOnly(folder));
        const CliRun updated = run({"--metrics-dir", folder, "update", camera});
        const QByteArray &err = updated.err;
        QCOMPARE(updated.exitCode, 0);
        QVERIFY(fileBytes(camera + "/DCIM/TZ22LOAD/TZ22UPDT.BIN") == image);
        QCOMPARE(err.trimmed().count('\n'), 0);
        QVERIFY2(err.contains(QFile::encodeName(folder)), err.constData());
    }
};

QTEST_GUILESS_MAIN(BenchReportsTest)
#include "tst_benchreports.moc"
