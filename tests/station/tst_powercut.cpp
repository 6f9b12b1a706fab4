// A camera installs whatever lies under its update name when it is unplugged, so no
// moment of an install may leave a torn or stale image there. The real vek-updater-cli
// updates a camera on a FUSE card that loses power at its Nth change, once for every
// change of a whole install (some sixty spread over a long one); then what the card
// kept is looked at, and the update is run once more on it. The same for pushes over
// adb cut at several moments.

#include "cliprogram.h"
#include "fake-adb/fakeadb.h"
#include "httpsserver.h"
#include "testkit.h"

#include <QtTest>

#include <csignal>
#include <set>

namespace {
// The outcome of the result line the program printed for the camera, "none" without one.
QString outcomeFor(const QByteArray &out, const QString &camera)
{
    for (const QByteArray &line : out.split('\n')) {
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        if (object["event"] == "result" && object["camera"] == camera)
            return object["outcome"].toVariant().toString();
    }
    return QStringLiteral("none");
}

// Every change of a short install; of a long one, `most` spread evenly and the last few,
// where the image is flushed, renamed and its folder flushed (one more: a replay may
// write in one piece more than the install counted).
std::set<int> crashPoints(int changes, int most)
{
    std::set<int> points{changes + 1};
    const int spread = qMin(changes, most);
    for (int i = 0; i < spread; ++i)
        points.insert(1 + int(qint64(i) * (changes - 1) / qMax(1, spread - 1)));
    for (int fromEnd = 1; fromEnd < 4; ++fromEnd)
        points.insert(qMax(1, changes - fromEnd));
    return points;
}
}

class PowerCutTest : public QObject
{
    Q_OBJECT
    HttpsServer server;
    QTemporaryDir scratch;
    const QByteArray previous = firmwareImage(20000, 9);
    QByteArray image;

    QString base() const { return server.origin() + "/fw"; }
    QString backing() const { return scratch.filePath("backing"); }
    QString imagePath() const { return backing() + "/DCIM/TZ22LOAD/TZ22UPDT.BIN"; }

    // One image for a card camera and an adb camera.
    void serve(const QByteArray &newImage)
    {
        image = newImage;
        server.serve("/fw/tz22.bin", image);
        server.serve("/fw/tz76.bin", image);
        server.serveCatalogue("/fw/vek-updater-config.txt",
                              {{"TZ2200", "/fw/tz22.bin", image}, {"TZ7600", "/fw/tz76.bin", image, true}});
    }
    // A camera at 5.910, with the previous image under the update name or none.
    bool layCard(const QString &root, const QString &code, bool withPrevious)
    {
        QDir(root).removeRecursively();
        const QString path = makeCard(root, code, "5.910\n", true);
        return !path.isEmpty() && (!withPrevious || writeFile(path, previous));
    }
    QString whatLies(const QString &path) const
    {
        if (!QFileInfo::exists(path))
            return QStringLiteral("nothing");
        const QByteArray bytes = fileBytes(path);
        return bytes == image ? "the new image"
               : bytes == previous ? "the previous image" : QString("%1 other bytes").arg(bytes.size());
    }
    // The outcome the program printed for the camera, after meanwhile(program) if given;
    // "crashed" when it did not end by itself.
    QString update(const QString &camera, const std::function<void(QProcess &)> &meanwhile = {})
    {
        const CliRun run = runCli({"--json", "--source", base(), "update", camera}, meanwhile);
        return run.exitCode == -2 ? QStringLiteral("crashed") : outcomeFor(run.out, camera);
    }

    struct Install
    {
        QString outcome, kept; // what the program said, and what the card kept under the name
        int changes = 0;       // the card carried out
        QString lostAt;        // the change the power went with; empty: pulled after the end
    };
    // Updates the camera on a card over backing() that loses power at its crashAt-th
    // change (0: once pulled, after the program has ended).
    bool install(int crashAt, Install *done)
    {
        QProcess card;
        const QString root = scratch.filePath("card"), counted = scratch.filePath("changes");
        if (!mountFuseCard(card, backing(), root, {QString("crash-at=%1").arg(crashAt), "count=" + counted}))
            return false;
        done->outcome = update(root);
        card.terminate();
        if (!card.waitForFinished(programMs))
            return false;
        const QString changes = QString(fileBytes(counted)).trimmed();
        *done = {done->outcome, whatLies(imagePath()), changes.section(' ', 0, 0).toInt(),
                 changes.section(" crashed at ", 1)};
        return true;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(server.start());
        // The program is a process of its own: it trusts the test server through the
        // system's certificate folder, as a workstation trusts the maker's.
        QVERIFY(HttpsServer::trustedByEveryProgram(scratch.filePath("ca-store")));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(scratch.filePath("cache")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(scratch.filePath("data")));
    }
    void cleanupTestCase() { ::umount2("/etc/ssl/certs", MNT_DETACH); }

    void cardLosesPower_data()
    {
        QTest::addColumn<int>("imageBytes");
        QTest::addColumn<bool>("withPrevious");
        QTest::addColumn<int>("mostPoints");
        QTest::newRow("small image over the previous one") << 6000 << true << 1000;
        QTest::newRow("32 MiB image into an empty folder") << (32 << 20) << false << 64;
    }
    void cardLosesPower()
    {
        QFETCH(int, imageBytes);
        QFETCH(bool, withPrevious);
        QFETCH(int, mostPoints);
        serve(firmwareImage(imageBytes, 3));
        Install whole;
        QVERIFY(layCard(backing(), "TZ22", withPrevious));
        if (!install(0, &whole))
            QSKIP("cannot mount a FUSE file system here");
        QCOMPARE(whole.outcome + ", " + whole.kept, QString("0, the new image"));
        QVERIFY(whole.changes >= 5); // the file made, written, flushed, renamed, its folder flushed

        const QString before = withPrevious ? "the previous image" : "nothing";
        const std::set<int> points = crashPoints(whole.changes, mostPoints);
        int powerLost = 0;
        for (const int point : points) {
            Install cut, again;
            QVERIFY(layCard(backing(), "TZ22", withPrevious) && install(point, &cut));
            powerLost += !cut.lostAt.isEmpty();
            const QString seen = QString("power lost at change %1 of %2 (%3): the program said %4, the card kept %5")
                                     .arg(point).arg(whole.changes).arg(cut.lostAt, cut.outcome, cut.kept);
            QVERIFY2(cut.kept == "the new image" || (cut.kept == before && cut.outcome != "0"), qPrintable(seen));
            QVERIFY2(cut.outcome != "crashed" && cut.outcome != "none", qPrintable(seen));
            // The card as it came out, in a healthy reader: the next update puts the image
            // in place whole, whatever the last one left beside it.
            QVERIFY(install(0, &again));
            QVERIFY2(again.outcome == "0" && again.kept == "the new image",
                     qPrintable(seen + "; updated again, the program said " + again.outcome + ", the card kept " + again.kept));
        }
        qInfo("%d crash points tried over %d changes; the power went during the install at %d of them",
              int(points.size()), whole.changes, powerLost);
    }

    // A push over adb that is refused, whose adb dies at 100 % or vanishes, or that is
    // stopped while the camera copies it: the camera's update folder holds the old image
    // or the whole new one, and the next update puts the new one there.
    void pushCut_data()
    {
        QTest::addColumn<QString>("push");
        QTest::addColumn<bool>("stopWhileCopying");
        QTest::newRow("refused") << "fails" << false;
        QTest::newRow("adb dies at 100 %") << "crash-at-100" << false;
        QTest::newRow("adb vanishes") << "vanish" << false;
        QTest::newRow("stopped while copying") << "stderr" << true;
        QTest::newRow("whole") << "stderr" << false;
    }
    void pushCut()
    {
        QFETCH(QString, push);
        QFETCH(bool, stopWhileCopying);
        serve(firmwareImage(6000, 3));
        FakeAdb adb;
        adb.attach(true);
        const QString folder = adb.cardPath() + "/DCIM/TZ76LOAD", name = folder + "/TZ76UPDT.BIN";
        QVERIFY(layCard(adb.cardPath(), "TZ76", true));
        adb.set("push", push.toUtf8());
        adb.set("push-seconds", stopWhileCopying ? "60" : "0");
        const QString outcome = update("adb:SERIAL1", [&](QProcess &cli) {
            if (stopWhileCopying && QTest::qWaitFor([&] { return QFileInfo::exists(folder + "/.TZ76UPDT.BIN.partial"); }, programMs))
                ::kill(pid_t(cli.processId()), SIGTERM);
        });
        const QString kept = whatLies(name);
        QVERIFY2(kept == "the new image" || (kept == "the previous image" && outcome != "0"),
                 qPrintable("the program said " + outcome + ", the camera kept " + kept));
        QVERIFY(outcome != "crashed" && outcome != "none");
        QCOMPARE(outcome == "0", push == "stderr" && !stopWhileCopying);

        adb.set("push", "stderr");
        adb.set("push-seconds", "0");
        const QString again = update("adb:SERIAL1");
        QCOMPARE(again + ", " + whatLies(name), QString("0, the new image"));
    }
};

QTEST_MAIN(PowerCutTest)
#include "tst_powercut.moc"
