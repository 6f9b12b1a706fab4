// The monitor and the registry together, headless: cards mounted in the test's own mount
// namespace, a FUSE card that stops answering, cameras behind the scripted adb; and the
// walk through sysfs that gives a card its USB slot.

#include "detection/cameramonitor.h"
#include "detection/usbslot.h"

#include "fake-adb/fakeadb.h"
#include "testkit.h"

#include <QtTest>

#include <csignal>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {
// Generous, for the sanitizers' slowness; a fault fails in that time, never hangs.
constexpr int detectionMs = 15000;

CatalogueEntry entry(const QString &model, bool overAdb)
{
    CatalogueEntry asset;
    asset.model = model;
    asset.modelCode = model.chopped(2);
    asset.version = "5.920";
    asset.overAdb = overAdb;
    return asset;
}

QString deviceNumber(const QString &path)
{
    struct stat status = {};
    ::stat(QFile::encodeName(path).constData(), &status);
    return QStringLiteral("%1:%2").arg(major(status.st_dev)).arg(minor(status.st_dev));
}
}

class MonitorTest : public QObject
{
    Q_OBJECT
    QTemporaryDir scratch;

private slots:
    // sysfs laid out as the kernel lays it out: the USB port path of the nearest USB
    // device above the block device; none for a device on no USB device, or for a link
    // that leads out of the tree.
    void usbSlot_data()
    {
        QTest::addColumn<QString>("target"); // of sys/dev/block/8:17, from sys/
        QTest::addColumn<QString>("slot");
        const QString usb = "devices/pci0000:00/0000:00:14.0/usb1/";
        QTest::newRow("card on a hub port")
            << usb + "1-4/1-4.3/1-4.3:1.0/host6/target6:0:0/6:0:0:0/block/sdb/sdb1" << "1-4.3";
        QTest::newRow("card on a root port") << usb + "1-4/1-4:1.0/host7/target7:0:0/7:0:0:0/block/sdc" << "1-4";
        QTest::newRow("loop device") << "devices/virtual/block/loop0" << "";
        QTest::newRow("device-mapper volume") << "devices/virtual/block/dm-0" << "";
        QTest::newRow("a link out of the tree") << "../elsewhere/usb1/1-2/1-2:1.0/block/sdd" << "";
        QTest::newRow("no such device (tmpfs)") << "" << "";
    }
    void usbSlot()
    {
        QFETCH(QString, target);
        QTemporaryDir tree;
        const QString sys = tree.filePath("sys");
        QVERIFY(QDir().mkpath(sys + "/dev/block"));
        QVERIFY(target.isEmpty() || (QDir(sys).mkpath(target) && QFile::link("../../" + target, sys + "/dev/block/8:17")));
        QTEST(usbPortPath("8:17", sys), "slot");
    }

    // A monitor watching for TZ2200 cards and TZ7600 cameras over adb, whose slow pass
    // never comes: what it finds, a change in the mount table or adb's track-devices (or
    // a step) made it look. Each step, then what the registry tells after it, in order:
    //   mount PLACE VERSION  a TZ2200 card mounted there; pull PLACE: the visible one unmounted
    //   fuse VERSION         a FUSE card at "fuse"; stop/resume it (SIGSTOP/SIGCONT);
    //                        rewrite VERSION: its version file, behind its back
    //   plug SERIAL [USB]    a TZ7600 at 3.1 appears to adb, over USB at that port or over TCP
    //   unplug SERIAL; restart: the adb server restarts, and track-devices' stream ends
    //   version SERIAL V     an update left version V on it; it is to be read again
    //   set/clear FILE       a setting of the scripted adb: hold (it hangs), cut-off
    //   poll                 passes until the told events came; when none is to come, one
    //                        pass of each route
    void steps_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("told");
        QTest::newRow("a card, found as it is mounted") << QStringList{"mount card 5.910"} << QStringList{"+card 5.910"};
        // /proc/self/mountinfo writes the blank as \040.
        QTest::newRow("a card labelled NO NAME") << QStringList{"mount media/NO NAME 5.910", "pull media/NO NAME"}
                                                 << QStringList{"+media/NO NAME 5.910", "-media/NO NAME"};
        QTest::newRow("two mounts at one place: the visible one")
            << QStringList{"mount stack 5.910", "mount stack 5.917", "pull stack"}
            << QStringList{"+stack 5.910", "-stack +stack 5.917", "-stack +stack 5.910"};
        QTest::newRow("a card that stops answering keeps its camera, and is read once it answers")
            << QStringList{"fuse 5.901", "stop", "rewrite 5.9027", "poll", "poll", "resume", "poll"}
            << QStringList{"+fuse 5.901", "", "", "", "", "", "~fuse 5.9027"};
        QTest::newRow("the slot from usb:, none over TCP")
            << QStringList{"plug SERIAL1 1-4.3", "plug 192.168.1.20:5555", "unplug SERIAL1"}
            << QStringList{"+SERIAL1 3.1 @1-4.3", "+192.168.1.20:5555 3.1", "-SERIAL1"};
        QTest::newRow("tracked again after the server restarts")
            << QStringList{"plug SERIAL1 1-2", "restart", "plug SERIAL2 1-3"}
            << QStringList{"+SERIAL1 3.1 @1-2", "", "+SERIAL2 3.1 @1-3"};
        QTest::newRow("read again after an update") << QStringList{"plug SERIAL1 1-2", "version SERIAL1 3.2", "poll"}
                                                    << QStringList{"+SERIAL1 3.1 @1-2", "", "~SERIAL1 3.2 @1-2"};
        QTest::newRow("cut off while read again, then read")
            << QStringList{"plug SERIAL1 1-2", "set cut-off", "version SERIAL1 3.2", "poll", "clear cut-off", "poll"}
            << QStringList{"+SERIAL1 3.1 @1-2", "", "", "", "", "~SERIAL1 3.2 @1-2"};
        QTest::newRow("hung while listing") << QStringList{"plug SERIAL1 1-2", "set hold", "restart", "poll", "poll"}
                                            << QStringList{"+SERIAL1 3.1 @1-2", "", "", "", ""};
        QTest::newRow("cut off while listing") << QStringList{"plug SERIAL1 1-2", "set cut-off", "restart", "poll", "poll"}
                                               << QStringList{"+SERIAL1 3.1 @1-2", "", "", "", ""};
    }
    void steps()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, told);
        FakeAdb fake;
        CameraRegistry registry;
        MonitorOptions options;
        options.slowPassIntervalMs = 3600 * 1000;
        options.volumeTimeLimitMs = 500;
        options.adbTimeLimitMs = 1000;
        options.stopAdbServerAtEnd = false;
        CameraMonitor monitor(registry, options);
        QStringList events;
        const auto tell = [&](const char *sign, bool withVersion) {
            return [&, sign, withVersion](const AttachedCamera &camera) {
                events << sign + QString(camera.location).remove(scratch.path() + '/')
                                  + (withVersion ? " " + camera.installedVersion : QString())
                                  + (withVersion && !camera.slot.isEmpty() ? " @" + camera.slot : QString());
            };
        };
        connect(&registry, &CameraRegistry::cameraAttached, this, tell("+", true));
        connect(&registry, &CameraRegistry::cameraDetached, this, tell("-", false));
        connect(&registry, &CameraRegistry::cameraChanged, this, tell("~", true));
        int passes[2] = {};
        connect(&monitor, &CameraMonitor::passFinished, this, [&](CameraRoute route) { ++passes[int(route)]; });
        const auto passesEnd = [&](int card, int adb) {
            return QTest::qWaitFor([&] { return passes[0] > card && passes[1] > adb; }, detectionMs);
        };
        monitor.setCatalogue({entry("TZ2200", false), entry("TZ7600", true)});
        monitor.startWatching();
        QVERIFY(passesEnd(0, 0));

        QProcess fuse;
        const QString backing = scratch.filePath("fuse-backing");
        const auto unmount = qScopeGuard([&] {
            if (fuse.processId() > 0)
                ::kill(pid_t(fuse.processId()), SIGCONT);
            for (const QString &name : QDir(scratch.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
                pullCard(scratch.filePath(name)), pullCard(scratch.filePath(name)), pullCard(scratch.filePath(name + "/NO NAME"));
            fuse.terminate(), fuse.waitForFinished();
        });
        for (int i = 0; i < steps.size(); ++i) {
            const QString verb = steps[i].section(' ', 0, 0), last = steps[i].section(' ', -1);
            const QString place = scratch.filePath(steps[i].section(' ', 1, verb == "mount" ? -2 : -1));
            const int cardPasses = passes[0], adbPasses = passes[1];
            if (verb == "mount") {
                QVERIFY(mountCard(place, 1 << 20) && !makeCard(place, "TZ22", last.toUtf8(), true).isEmpty());
            } else if (verb == "pull") {
                QVERIFY(pullCard(place));
            } else if (verb == "fuse") {
                QVERIFY(!makeCard(backing, "TZ22", last.toUtf8(), true).isEmpty());
                if (!mountFuseCard(fuse, backing, scratch.filePath("fuse")))
                    QSKIP("cannot mount a FUSE file system here");
            } else if (verb == "stop" || verb == "resume") {
                ::kill(pid_t(fuse.processId()), verb == "stop" ? SIGSTOP : SIGCONT);
            } else if (verb == "rewrite") {
                QVERIFY(writeFile(backing + "/DCIM/100TZ22/.version", last.toUtf8() + "\n"));
            } else if (verb == "plug") {
                QVERIFY(fake.plugIn(steps[i].section(' ', 1, 1), "TZ76", "3.1\n", steps[i].section(' ', 2, 2)));
            } else if (verb == "unplug") {
                fake.attach(false, last);
            } else if (verb == "restart") {
                const int streams = fake.count("track-devices");
                fake.set("restart-server", {});
                QVERIFY(QTest::qWaitFor([&] { return fake.count("track-devices") > streams; }, detectionMs));
            } else if (verb == "version") {
                QVERIFY(writeFile(fake.cardPath(steps[i].section(' ', 1, 1)) + "/DCIM/100TZ76/.version", last.toUtf8() + "\n"));
                monitor.rereadAdbSerial(steps[i].section(' ', 1, 1));
            } else if (verb == "set" || verb == "clear") {
                verb == "set" ? fake.set(last, {}) : fake.unset(last);
            } else if (told[i].isEmpty()) {
                monitor.poll();
            } else {
                QVERIFY(QTest::qWaitFor([&] {
                    const int card = passes[0], adb = passes[1];
                    monitor.poll();
                    return passesEnd(card, adb) && events.join(' ') == told[i];
                }, detectionMs));
            }
            if (told[i].isEmpty() && verb == "poll")
                QVERIFY(passesEnd(cardPasses, adbPasses));
            QTRY_COMPARE_WITH_TIMEOUT(events.join(' '), told[i], detectionMs);
            events.clear();
            // The device number kept for the slot is that of the volume visible there.
            for (const MountPoint &mount : listMountPoints()) {
                if (verb == "mount" && mount.rootPath == place)
                    QCOMPARE(mount.device, deviceNumber(place));
            }
        }
    }
};

QTEST_GUILESS_MAIN(MonitorTest)
#include "tst_monitor.moc"
