// Detection in the real window, cameras on tmpfs cards and behind the scripted adb: which
// card stands for a camera, routes taken and left, polling under a box, shutdown, a soak.

#include "detection/storagevolumesource.h"
#include "fake-adb/fakeadb.h"
#include "httpsserver.h"
#include "messageboxwatcher.h"
#include "testkit.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QPushButton>
#include <QtTest>


namespace {
// Generous: a camera adb missed before is asked about again only every few passes.
constexpr int detectionMs = 30000;

QPair<qint64, int> residentKiBAndDescriptors()
{
    QFile status("/proc/self/status");
    const QByteArray lines = status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
    const qint64 kib = QRegularExpression("VmRSS:\\s*(\\d+)").match(lines).captured(1).toLongLong();
    return {kib, int(QDir("/proc/self/fd").entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size())};
}
}

class PollCycleTest : public QObject
{
    Q_OBJECT
    HttpsServer server;
    QTemporaryDir scratch;
    const QByteArray orvaImage = firmwareImage(100000, 1), talmImage = firmwareImage(100000, 2);

    QString card(const QString &name, const QString &code, const QByteArray &versionFile)
    {
        const QString root = scratch.filePath(name);
        return mountCard(root, 1 << 20) && !makeCard(root, code, versionFile, true).isEmpty() ? root : QString();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(server.start());
        server.serve("/fw/orva.bin", orvaImage);
        server.serve("/fw/talm.bin", talmImage);
        // TZ7000 is one adb model under two brands; TZ7600 an adb camera that may also
        // show up as a card; TZ4100 a card camera.
        const auto entry = [this](const QString &brand, const QByteArray &image) {
            return QJsonObject{{"Version", "5.920"}, {"ADB_Device", true}, {"Brand", brand},
                               {"Link", server.url("/fw/" + brand.toLower() + ".bin")}, {"Checksum", checksumOf(image)}};
        };
        const QJsonObject catalogue{{"!", 0}, {"TZ7000", QJsonArray{entry("ORVA", orvaImage), entry("TALM", talmImage)}},
                                    {"TZ7600", QJsonObject{{"Version", "3.20"}, {"ADB_Device", true}}},
                                    {"TZ4100", QJsonObject{{"Version", "5.920"}}}};
        server.serve("/fw/vek-updater-config.txt", QJsonDocument(catalogue).toJson());
    }

    // A card left behind, whatever failed, would open boxes in the next test's passes.
    void cleanup()
    {
        for (const QString &name : QDir(scratch.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            pullCard(scratch.filePath(name));
    }

    // A read-only card and one of another brand are passed over; brands match exactly,
    // and without a catalogue brand any card of the model will do. Of two cards of one
    // model the later volume stands, and the one row shows that card.
    void storageScan()
    {
        ASSET_INFORMATION locked = camera("TZ7000", "TZ7K", {}), lowerCase = camera("TZ4100", "TZ41", {}),
                          otherBrand = camera("TZ4300", "TZ43", {}), twoCards = camera("TZ5500", "TZ55", {});
        lowerCase.Brand = otherBrand.Brand = "ORVA";
        MainWindow w(nullptr, "https://127.0.0.1:9", quickLimits());
        QVERIFY(!card("locked", "TZ7K", "5.920\n").isEmpty() && remountCard(scratch.filePath("locked"), true));
        const QString first = card("first", "TZ41", "5.917\norva\n"), second = card("second", "TZ55", "5.902\n");
        QVERIFY(!makeCard(first, "TZ43", "5.917\nPELKA\n", true).isEmpty());
        QVERIFY(!makeCard(first, "TZ55", "5.901\n", true).isEmpty());
        // One storage scan of each, as a poll pass makes it.
        for (ASSET_INFORMATION *asset : {&locked, &lowerCase, &otherBrand}) {
            QMetaObject::invokeMethod(&w, "pollUsbDevices", Q_ARG(ASSET_INFORMATION *, asset));
            QVERIFY2(!asset->Attached, qPrintable(asset->Model));
        }
        QVERIFY(remountCard(scratch.filePath("locked"), false));
        lowerCase.Brand.clear();
        for (ASSET_INFORMATION *asset : {&locked, &lowerCase, &twoCards})
            QMetaObject::invokeMethod(&w, "pollUsbDevices", Q_ARG(ASSET_INFORMATION *, asset));
        QStringList roots;
        for (const MountedVolume &volume : StorageVolumeSource().mountedVolumes())
            roots << volume.rootPath;
        QVERIFY(roots.contains(first) && roots.contains(second));
        const QString later = roots.indexOf(second) > roots.indexOf(first) ? second : first;
        const QString tz5500 = QString(" TZ5500 - ") + (later == second ? "5.902" : "5.901");
        QCOMPARE(rows(w), QStringList({" TZ7000 - 5.920", " TZ4100 - 5.917", tz5500}));
        QVERIFY(twoCards.Update_Path.startsWith(later + "/DCIM/"));
        QVERIFY(deviceView(w)->item(2)->toolTip().endsWith("Found on: " + later));
    }

    // A modal box stops no polling; a camera adb misses is found on its card and goes back
    // to adb once adb answers; of a two-brand adb model only the brand the camera reports
    // is listed and gets its image.
    void routes()
    {
        FakeAdb adb;
        QVERIFY(!makeCard(adb.cardPath(), "TZ76", "3.1\n", true).isEmpty());
        QVERIFY(!makeCard(adb.cardPath(), "TZ7K", "5.910\nTALM\n", true).isEmpty());
        MessageBoxWatcher watcher;
        watcher.setHoldMs(3 * detectionMs); // the box is closed below
        MainWindow w(nullptr, server.origin() + "/fw", quickLimits());
        w.init();
        QVERIFY(!card("tz76", "TZ76", "3.0\n").isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(rows(w), QStringList(" TZ7600 - 3.0"), detectionMs);

        // A card without a version file opens the detection error box; under it adb
        // finds its cameras, and the box is closed once they are listed.
        const auto bothListed = [&] { return rows(w).contains(" TZ7600 - 3.1") && rows(w).contains(" TZ7000 - 5.910"); };
        bool listedUnderTheBox = false;
        watcher.setOnShown([&](const MessageBoxWatcher::SeenBox &) {
            pullCard(scratch.filePath("tz76"));
            adb.attach(true);
            listedUnderTheBox = QTest::qWaitFor(bothListed, detectionMs);
            QApplication::activeModalWidget()->close();
        });
        QVERIFY(!card("tz41", "TZ41", {}).isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(listedUnderTheBox, 2 * detectionMs);
        // Counted before it opens, the error opens no second box in the passes under it.
        QCOMPARE(watcher.titles(), QStringList("TZ4100 - Detection Error"));
        QCOMPARE(watcher.boxes()[0].text,
                 QString("Unable to read version info.\nPlease ensure the SD card is plugged in and try again."));
        QCOMPARE(rows(w).filter("TZ7000"), QStringList(" TZ7000 - 5.910"));

        watcher.setHoldMs(0);
        // A double-click on the TZ7000 row, as soon as (and as often as) the row is there.
        const auto updateTz7000 = [&] {
            const int row = int(rows(w).indexOf(" TZ7000 - 5.910"));
            if (row >= 0)
                QMetaObject::invokeMethod(&w, "on_lw_DeviceView_doubleClicked",
                                          Q_ARG(QModelIndex, deviceView(w)->model()->index(row, 0)));
            return watcher.titles().last() == "TZ7000 - Update Successful";
        };
        QTRY_VERIFY_WITH_TIMEOUT(updateTz7000(), 3 * detectionMs);
        QVERIFY(fileBytes(adb.cardPath() + "/DCIM/TZ7KLOAD/TZ7KUPDT.BIN") == talmImage);
    }

    // Closing waits for the adb request under way, then stops the adb server it started.
    void shutdownWaitsAndStopsTheServer()
    {
        {
            FakeAdb adb;
            { MainWindow neverStarted(nullptr, server.origin() + "/fw", quickLimits()); }
            QCOMPARE(adb.log(), QStringList({"start-server", "kill-server"}));
        }
        FakeAdb adb;
        QVERIFY(!makeCard(adb.cardPath(), "TZ76", "3.1\n", true).isEmpty());
        adb.attach(true);
        auto w = std::make_unique<MainWindow>(nullptr, server.origin() + "/fw");
        w->init();
        adb.set("delay", "0.5");
        QTRY_VERIFY_WITH_TIMEOUT(adb.count("shell cat") == 1, detectionMs);
        w.reset(); // with the request under way
        QCOMPARE(adb.log().first() + " " + adb.log().last(), QString("start-server kill-server"));
        QCOMPARE(adb.count("shell"), adb.log().size() - 2);
    }

    // Passes back to back while cards and the adb camera come and go, with Update All
    // in between: descriptors must come back to their number, the resident size must
    // not climb (AddressSanitizer's quarantine grows it without a leak: its own leak
    // check judges memory there). VEK_SOAK_PASSES asks for a longer run.
    void soak()
    {
        const int steps = qMax(1500, qEnvironmentVariableIntValue("VEK_SOAK_PASSES"));
        FakeAdb adb;
        QVERIFY(!makeCard(adb.cardPath(), "TZ7K", "5.910\nORVA\n", true).isEmpty());
        MessageBoxWatcher watcher;
        MainWindow w(nullptr, server.origin() + "/fw", quickLimits());
        w.init();
        QPair<qint64, int> atStart;
        bool cardIn = false, adbIn = false;
        for (int step = 0; step < steps; ++step) {
            if (step == 300)
                QTest::qWait(300), atStart = residentKiBAndDescriptors();
            if (step % 40 == 0)
                QVERIFY((cardIn = !cardIn) ? !card("soak", "TZ41", "5.910\n").isEmpty() : pullCard(scratch.filePath("soak")));
            if (step % 60 == 25)
                adb.attach(adbIn = !adbIn), adb.set("log", {});
            if (step % 100 == 99) {
                const QString expected = QString(cardIn ? " TZ4100 - 5.910" : "") + (adbIn ? " TZ7000 - 5.910" : "");
                const auto listed = [&] { QStringList shown = rows(w); shown.sort(); return shown.join(""); };
                QVERIFY(QTest::qWaitFor([&] { return pollOnce(w) && adb.count("shell cat") >= 2 && listed() == expected; }, 10000));
                watcher.clear();
                QTest::mouseClick(w.findChild<QPushButton *>("pushButton"), Qt::LeftButton);
                // A card caught half laid out by a pass may add a detection error box.
                QCOMPARE(watcher.titles().filter(" - Update").size(), int(adbIn) + int(cardIn));
            }
            QVERIFY(pollOnce(w));
            QCoreApplication::processEvents();
        }
        QTest::qWait(300);
        pullCard(scratch.filePath("soak"));
        const QPair<qint64, int> atEnd = residentKiBAndDescriptors();
        qInfo("soak: resident %lld KiB, then %lld KiB; descriptors %d, then %d", atStart.first, atEnd.first,
              atStart.second, atEnd.second);
        QVERIFY2(atEnd.second - atStart.second <= 8, "open file descriptors grew"); // a QProcess may be running
#if !defined(__SANITIZE_ADDRESS__)
        QVERIFY2(atEnd.first - atStart.first <= 10 * 1024, "resident memory grew");
#endif
    }
};

QTEST_MAIN(PollCycleTest)
#include "tst_pollcycle.moc"
