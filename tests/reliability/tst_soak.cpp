// Thousands of poll passes through the real window while cards and an adb camera come
// and go and updates run in between, some of them failing: the process must not grow.
// Passes are driven back to back rather than one a second; the window's own timer runs
// as well. VEK_SOAK_PASSES sets the number of steps (default 6000, 2000 under AddressSanitizer).

#include "../update/updatefixture.h"
#include "app/mainwindow.h"
#include "quicklimits.h"
#include "outside/networkrequest.h"
#include "fake-adb/fakeadb.h"
#include "messageboxwatcher.h"
#include "workbench.h"

#include <QPushButton>
#include <QtTest>

#include <dirent.h>

namespace {
// Growth allowed between the measurement after the warm-up and the one at the end.
// Descriptors: none is held between passes once the adb query under way has ended, so
// the count comes back to the same number; the slack covers a query or push still
// running at a measurement (a QProcess holds up to 8). A descriptor leaked per update
// or per card plugged in exceeds it many times over within the default run.
constexpr int fdGrowthLimit = 8;
// Memory: runs without a leak move the resident size by less than 1 MiB (heap
// fragmentation, Qt's caches); the rest is room for a busier machine. Within the
// default run a leak of 2 KiB per pass, or of one image copy (512 KiB to 2 MiB) per
// update, exceeds it.
constexpr qint64 rssGrowthLimitKiB = 10 * 1024;

// AddressSanitizer keeps freed memory in quarantine, so the resident size grows there
// without a leak; its own leak check judges memory in such a build.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool residentSizeTellsLeaks = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool residentSizeTellsLeaks = false;
#else
constexpr bool residentSizeTellsLeaks = true;
#endif
#else
constexpr bool residentSizeTellsLeaks = true;
#endif

// A sanitized build runs three times slower and judges leaks by its own checker, for
// which a shorter run does as well.
constexpr int defaultSteps = residentSizeTellsLeaks ? 6000 : 2000;

struct Resources
{
    qint64 rssKiB = -1;
    int fds = -1;
};

Resources measureProcess()
{
    Resources now;
    QFile status("/proc/self/status");
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                now.rssKiB = line.mid(6).trimmed().split(' ').first().toLongLong();
        }
    }
    // Counted with readdir: QDir skips some kinds of descriptor links.
    if (DIR *fds = ::opendir("/proc/self/fd")) {
        now.fds = 0;
        while (const dirent *entry = ::readdir(fds))
            now.fds += entry->d_name[0] != '.';
        ::closedir(fds);
    }
    return now;
}

int passesAsked()
{
    bool ok = false;
    const int asked = qEnvironmentVariableIntValue("VEK_SOAK_PASSES", &ok);
    return ok && asked > 0 ? asked : defaultSteps;
}
}

class SoakTest : public QObject
{
    Q_OBJECT

    Workbench bench;
    // What is plugged in now.
    bool tz4100In = false, tz5500In = false, tz2200In = false, adbIn = false;
    int plugIns = 0;

    // Plugs the card in when it is out and pulls it out when it is in.
    bool toggleCard(bool &in, const QString &slot, const QString &code, const QByteArray &versionFile)
    {
        const bool toggled = in ? bench.removeCard(slot) : !bench.insertCard(slot, code, versionFile).isEmpty();
        in = in != toggled;
        plugIns += in;
        return toggled;
    }

    QStringList expectedRows() const
    {
        QStringList rows;
        if (tz4100In)
            rows << " TZ4100 - 5.910";
        if (tz5500In)
            rows << " TZ5500 - 1.900";
        if (adbIn)
            rows << " TZ7000 - 3.10";
        return rows;
    }

    // The TZ4100 and the adb camera take their images; every TZ5500 download breaks off.
    // Sorted.
    QStringList expectedUpdateBoxes() const
    {
        QStringList titles;
        if (tz4100In)
            titles << "TZ4100 - Update Successful";
        if (tz5500In)
            titles << "TZ55 - Update Error";
        if (adbIn)
            titles << "TZ7000 - Update Successful";
        return titles;
    }

    // Lets the adb query under way finish before the process is measured.
    static Resources settledMeasure()
    {
        QTest::qWait(300);
        return measureProcess();
    }

private slots:
    void initTestCase()
    {
        QString why;
        QVERIFY2(bench.start(&why), qPrintable(why));
    }

    void camerasComeAndGoWithUpdatesInBetween()
    {
        VEK_REQUIRE_MOUNTS();
        const int steps = passesAsked();
        FakeAdb adb;
        QVERIFY(!makeCard(adb.cardPath(), "TZ7K", "3.10\n", true).isEmpty());
        const QByteArray image55 = bench.image("TZ5500");
        bench.server().dropAfter(bench.imageRoute("TZ5500"), image55, image55.size() / 2);
        MessageBoxWatcher watcher;
        MainWindow w(nullptr, bench.baseUrl(), quickLimits());
        w.init();
        auto *updateAll = w.findChild<QPushButton *>("pushButton");
        int passes = 0, updateRuns = 0, unreadableCards = 0;
        auto pass = [&] {
            ++passes;
            const bool ran = pollOnce(w);
            QCoreApplication::processEvents();
            return ran;
        };

        const int warmUp = qMax(300, steps / 10);
        Resources atStart;
        for (int step = 0; step < steps; ++step) {
            if (step == warmUp)
                atStart = settledMeasure();
            if (step % 40 == 0)
                QVERIFY(toggleCard(tz4100In, "tz4100", "TZ41", "5.910\nORVA\n"));
            if (step % 70 == 35)
                QVERIFY(toggleCard(tz5500In, "tz5500", "TZ55", "1.900\n"));
            // A card without a version file: one detection error box per plug-in, never listed.
            if (step % 300 == 150 || step % 300 == 200) {
                QVERIFY(toggleCard(tz2200In, "tz2200", "TZ22", QByteArray()));
                unreadableCards += tz2200In;
            }
            if (step % 60 == 25) {
                adb.attach(adbIn = !adbIn);
                plugIns += adbIn;
                // Emptied, so that the queries counted below are those begun since, and
                // so that the test does not read an ever longer log.
                adb.set("log", QByteArray());
            }
            if (step % 100 == 99) {
                // The list shows exactly what is plugged in, and Update All updates just that.
                // An adb query under way at the last plug-in or -out may still report the
                // camera as it was; the second query begun since reports it as it is.
                const auto settled = [&] {
                    return pass() && adb.count("shell cat") >= 2 && listedRows(w) == expectedRows();
                };
                QVERIFY2(QTest::qWaitFor(settled, 10000),
                         qPrintable("listed: " + listedRows(w).join(",") + "; plugged in: " + expectedRows().join(",")));
                const int boxesBefore = watcher.boxes().size();
                QTest::mouseClick(updateAll, Qt::LeftButton);
                QStringList titles;
                for (const MessageBoxWatcher::SeenBox &box : watcher.boxes().mid(boxesBefore))
                    titles << box.title;
                titles.sort(); // in the order the cameras were found
                QCOMPARE(titles, expectedUpdateBoxes());
                ++updateRuns;
            }
            QVERIFY(pass());
        }
        const Resources atEnd = settledMeasure();

        QMap<QString, int> boxes;
        for (const MessageBoxWatcher::SeenBox &box : watcher.boxes())
            ++boxes[box.title];
        QStringList tally;
        for (auto box = boxes.cbegin(); box != boxes.cend(); ++box)
            tally << QString("%1 \"%2\"").arg(box.value()).arg(box.key());
        qInfo("soak: %d poll passes, %d plug-ins, %d Update All runs; boxes: %s", passes, plugIns, updateRuns,
              qPrintable(tally.join(", ")));
        qInfo("soak: resident memory %lld KiB after warm-up, %lld KiB at the end; descriptors %d, then %d",
              atStart.rssKiB, atEnd.rssKiB, atStart.fds, atEnd.fds);
        QCOMPARE(boxes.value("TZ2200 - Detection Error"), unreadableCards);
        QVERIFY(atStart.rssKiB > 0 && atStart.fds > 0);
        QVERIFY2(atEnd.fds - atStart.fds <= fdGrowthLimit, "open file descriptors grew");
        if (residentSizeTellsLeaks)
            QVERIFY2(atEnd.rssKiB - atStart.rssKiB <= rssGrowthLimitKiB, "resident memory grew");
    }
};

VEK_TEST_MAIN_WITH_MOUNTS(SoakTest)
#include "tst_soak.moc"
