// Detection in the real window: cameras on tmpfs and FUSE cards and behind the scripted
// adb, the rows they make, a card that stops answering, shutdown, and a soak.

#include "fake-adb/fakeadb.h"
#include "httpsserver.h"
#include "messageboxwatcher.h"
#include "testkit.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QPushButton>
#include <QtTest>

#include <atomic>
#include <csignal>
#include <thread>

namespace {
// Generous, for the sanitizers' slowness; a fault fails in that time, never hangs.
constexpr int detectionMs = 15000;

QPair<qint64, int> residentKiBAndDescriptors()
{
    QFile status("/proc/self/status");
    const QByteArray lines = status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
    const qint64 kib = QRegularExpression("VmRSS:\\s*(\\d+)").match(lines).captured(1).toLongLong();
    return {kib, int(QDir("/proc/self/fd").entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size())};
}

// Ends the test run when the GUI thread stops answering for that long: a window that
// waits on a hung card would otherwise hold the test until ctest's own limit.
class Watchdog
{
public:
    explicit Watchdog(int seconds)
        : thread([this, seconds] {
              for (int tenths = 0; tenths < seconds * 10 && !done; ++tenths)
                  std::this_thread::sleep_for(std::chrono::milliseconds(100));
              if (!done)
                  qFatal("the GUI thread has not come back for %d s", seconds);
          })
    {
    }
    ~Watchdog() { done = true, thread.join(); }

private:
    std::atomic<bool> done{false};
    std::thread thread;
};
}

class PollCycleTest : public QObject
{
    Q_OBJECT
    HttpsServer server;
    QTemporaryDir scratch;
    const QByteArray image76 = firmwareImage(100000, 1), image7k = firmwareImage(100000, 2);

    QString card(const QString &name, const QString &code, const QByteArray &versionFile)
    {
        const QString root = scratch.filePath(name);
        return mountCard(root, 1 << 20) && !makeCard(root, code, versionFile, true).isEmpty() ? root : QString();
    }
    std::unique_ptr<MainWindow> window()
    {
        auto w = std::make_unique<MainWindow>(nullptr, *FirmwareSource::fromArgument(server.origin() + "/fw", nullptr),
                                              quickLimits());
        w->init();
        w->show();
        return w;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(server.start());
        server.serve("/fw/tz76.bin", image76);
        server.serve("/fw/tz7k.bin", image7k);
        server.serve("/fw/tz22.bin", image76);
        const auto entry = [this](const QString &version, const QString &brand, const QString &link, bool adb) {
            return QJsonObject{{"Version", version}, {"ADB_Device", adb}, {"Brand", brand},
                               {"Link", server.url("/fw/" + link)},
                               {"Checksum", checksumOf(link == "tz7k.bin" ? image7k : image76)}};
        };
        // TZ7000 is an adb model under two brands, TZ7600 an adb model too; TZ2200 and
        // TZ5500 are card cameras, TZ4300 one that must report ORVA.
        const QJsonObject catalogue{{"!", 0},
                                    {"TZ7000", QJsonArray{entry("5.920", "ORVA", "tz7k.bin", true),
                                                          entry("5.920", "TALM", "tz7k.bin", true)}},
                                    {"TZ7600", entry("3.20", "", "tz76.bin", true)},
                                    {"TZ2200", entry("5.920", "", "tz22.bin", false)},
                                    {"TZ4300", entry("5.920", "ORVA", "tz43.bin", false)},
                                    {"TZ5500", entry("5.920", "", "tz55.bin", false)}};
        server.serve("/fw/vek-updater-config.txt", QJsonDocument(catalogue).toJson());
    }

    // A card left behind, whatever failed, would open boxes in the next test's passes.
    void cleanup()
    {
        for (const QString &name : QDir(scratch.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            pullCard(scratch.filePath(name));
    }

    // Every card its own row, in the order plugged in; read-only cards and another
    // brand's are passed over; a row follows its card's version and leaves with it, and
    // the detection error comes once per attachment, with polling going on under its box.
    void cards()
    {
        MessageBoxWatcher watcher;
        auto w = window();
        const QStringList versions{"5.910", "5.917", "5.900"};
        QStringList expected;
        for (int i = 0; i < 3; ++i) {
            QVERIFY(!card("tz22-" + QString::number(i), "TZ22", versions[i].toUtf8() + "\n").isEmpty());
            expected << " TZ2200 - " + versions[i];
            QTRY_COMPARE_WITH_TIMEOUT(rows(*w), expected, detectionMs);
        }
        QVERIFY(!card("locked", "TZ55", "5.920\n").isEmpty() && remountCard(scratch.filePath("locked"), true));
        QVERIFY(!card("lower-case", "TZ43", "5.917\norva\n").isEmpty());
        QVERIFY(writeFile(scratch.filePath("tz22-0/DCIM/100TZ22/.version"), "5.911\n"));
        expected[0] = " TZ2200 - 5.911";
        QTRY_COMPARE_WITH_TIMEOUT(rows(*w), expected, detectionMs);

        pullCard(scratch.filePath("tz22-1"));
        expected.removeAt(1);
        QTRY_COMPARE_WITH_TIMEOUT(rows(*w), expected, detectionMs);
        QVERIFY(deviceView(*w)->item(1)->toolTip().endsWith("Found on: " + scratch.filePath("tz22-2")));

        // No version file: the box, once; pulled and plugged back: the box again. A card
        // plugged in while the first box is open is listed all the same.
        watcher.setHoldMs(60000);
        bool listedUnderTheBox = false;
        watcher.setOnShown([&](const MessageBoxWatcher::SeenBox &) {
            if (watcher.boxes().size() > 1)
                return void(QApplication::activeModalWidget()->close());
            QVERIFY(!card("tz22-3", "TZ22", "5.920\n").isEmpty());
            listedUnderTheBox = QTest::qWaitFor([&] { return rows(*w).contains(" TZ2200 - 5.920"); }, detectionMs);
            QTest::qWait(2500); // passes go on under the box, and open no second one
            QApplication::activeModalWidget()->close();
        });
        QVERIFY(!card("unreadable", "TZ55", {}).isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(listedUnderTheBox, 2 * detectionMs);
        QCOMPARE(watcher.titles(), QStringList("TZ5500 - Detection Error"));
        QCOMPARE(watcher.boxes()[0].text,
                 QString("Unable to read version info.\nPlease ensure the SD card is plugged in and try again."));
        pullCard(scratch.filePath("unreadable"));
        QTest::qWait(2500);
        QVERIFY(!card("unreadable", "TZ55", {}).isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(watcher.titles().size(), 2, detectionMs);
    }

    // A card whose reader stops answering holds up nothing: the others are listed, a new
    // one shows up, the window stays live and closes at once.
    void hungCard()
    {
        QProcess fuse;
        const QString backing = scratch.filePath("fuse-backing");
        QVERIFY(!makeCard(backing, "TZ55", "5.901\n", true).isEmpty());
        if (!mountFuseCard(fuse, backing, scratch.filePath("fuse")))
            QSKIP("cannot mount a FUSE file system here");
        QVERIFY(!card("healthy", "TZ22", "5.910\n").isEmpty());
        auto w = window();
        QTRY_COMPARE_WITH_TIMEOUT(rows(*w).size(), 2, detectionMs);
        ::kill(pid_t(fuse.processId()), SIGSTOP);
        const auto resume = qScopeGuard([&] {
            ::kill(pid_t(fuse.processId()), SIGCONT);
            pullCard(scratch.filePath("fuse"));
            fuse.terminate(), fuse.waitForFinished();
        });
        {
            const Watchdog watchdog(30);
            QVERIFY(!card("later", "TZ22", "5.917\n").isEmpty());
            QTRY_VERIFY_WITH_TIMEOUT(rows(*w).contains(" TZ2200 - 5.917"), detectionMs);
            QVERIFY(rows(*w).contains(" TZ5500 - 5.901"));
            w.reset();
        }
    }

    // Cameras over adb, each asked by its serial (the scripted adb refuses a device
    // command without -s once two are attached, as the real one does): two of one model
    // and one of another are three rows, and each double-click pushes to its own device.
    void adbCameras()
    {
        FakeAdb adb;
        const QMap<QString, QByteArray> devices{
            {"0123456789ABCDEF", "3.1\n"}, {"emulator-5554", "3.0\n"}, {"R58M90ABCDE", "5.910\nTALM\n"}};
        for (auto it = devices.cbegin(); it != devices.cend(); ++it) {
            adb.attach(true, it.key());
            QVERIFY(!makeCard(adb.cardPath(it.key()), it.key().startsWith('R') ? "TZ7K" : "TZ76", it.value(), true)
                         .isEmpty());
        }
        MessageBoxWatcher watcher;
        auto w = window();
        QTRY_COMPARE_WITH_TIMEOUT(rows(*w).size(), 3, detectionMs);
        QStringList shown = rows(*w);
        shown.sort();
        QCOMPARE(shown, QStringList({" TZ7000 - 5.910", " TZ7600 - 3.0", " TZ7600 - 3.1"}));
        for (int row = 0; row < 3; ++row) {
            if (row < 2) {
                doubleClickRow(*w, row);
            } else { // and from the keyboard
                w->activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(w.get()));
                deviceView(*w)->setFocus();
                deviceView(*w)->setCurrentRow(row);
                QTest::keyClick(deviceView(*w), Qt::Key_Return);
            }
            QTRY_COMPARE_WITH_TIMEOUT(watcher.titles().size(), row + 1, detectionMs);
        }
        QCOMPARE(watcher.titles().filter("Update Successful").size(), 3);
        for (auto it = devices.cbegin(); it != devices.cend(); ++it) {
            const QString code = it.key().startsWith('R') ? "TZ7K" : "TZ76";
            QVERIFY(fileBytes(adb.cardPath(it.key()) + "/DCIM/" + code + "LOAD/" + code + "UPDT.BIN")
                    == (code == "TZ7K" ? image7k : image76));
        }
        // Read once per attachment, and again after an update (the passes just done); then
        // one adb run a second while nothing changes, however many devices there are.
        QTest::qWait(2000);
        adb.set("log", {});
        QTest::qWait(5000);
        QVERIFY2(adb.log().size() <= 6 && adb.log().count("devices -l") == adb.log().size(), qPrintable(adb.log().join(" | ")));
    }

    // Closing waits for the adb request under way, then stops the adb server it started.
    void shutdownStopsTheServer()
    {
        {
            FakeAdb adb;
            { MainWindow neverStarted; }
            QCOMPARE(adb.log(), QStringList({"start-server", "kill-server"}));
        }
        FakeAdb adb;
        adb.attach(true);
        QVERIFY(!makeCard(adb.cardPath(), "TZ76", "3.1\n", true).isEmpty());
        auto w = window();
        adb.set("delay", "0.5");
        QTRY_VERIFY_WITH_TIMEOUT(adb.count("-s SERIAL1 shell"), detectionMs);
        w.reset(); // with a request under way
        QCOMPARE(adb.log().first() + " " + adb.log().last(), QString("start-server kill-server"));
    }

    // Cards and an adb camera come and go while passes run and Update All updates them:
    // descriptors come back to their number and the resident size does not climb
    // (AddressSanitizer's quarantine grows it without a leak: its own leak check judges
    // memory there). VEK_SOAK_STEPS asks for a longer run.
    void soak()
    {
        const int steps = qMax(8, qEnvironmentVariableIntValue("VEK_SOAK_STEPS"));
        FakeAdb adb;
        MessageBoxWatcher watcher;
        auto w = window();
        QPair<qint64, int> atStart;
        for (int step = 0; step < steps; ++step) {
            if (step == 2)
                atStart = residentKiBAndDescriptors();
            const bool cardIn = step % 2 == 0, adbIn = step % 3 != 0;
            if (cardIn)
                QVERIFY(!card("soak", "TZ22", "5.910\n").isEmpty());
            adb.attach(adbIn);
            if (adbIn)
                QVERIFY(!makeCard(adb.cardPath(), "TZ76", "3.1\n", true).isEmpty());
            const int expected = int(cardIn) + int(adbIn);
            QTRY_COMPARE_WITH_TIMEOUT(rows(*w).size(), expected, detectionMs);
            watcher.clear();
            QTest::mouseClick(w->findChild<QPushButton *>("pushButton"), Qt::LeftButton);
            QTRY_COMPARE_WITH_TIMEOUT(watcher.titles().size(), expected, detectionMs);
            if (cardIn)
                pullCard(scratch.filePath("soak"));
        }
        QTest::qWait(1500);
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
