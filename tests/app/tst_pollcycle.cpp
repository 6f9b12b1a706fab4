#include "app/mainwindow.h"
#include "quicklimits.h"

#include "cardlayout.h"
#include "fake-adb/fakeadb.h"
#include "httpsserver.h"
#include "messageboxwatcher.h"
#include "mountsandbox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QListWidget>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <chrono>
#include <memory>
#include <thread>

namespace {
const QString folder = QStringLiteral("/wp-content/uploads/vek-updater");
// One camera of each kind: the TZ4100 shows up as a card, the TZ7600 through adb.
const QByteArray catalogue = R"({"Comment": "never read",
    "TZ4100": {"Version": "5.920", "ADB_Device": false},
    "TZ7600": {"Version": "3.20", "ADB_Device": true}})";
const QString cardRow = QStringLiteral(" TZ4100 - 5.917");
const QString adbRow = QStringLiteral(" TZ7600 - 3.1");
// Generous: a camera that adb missed before is asked about again only every few passes.
constexpr int detectionMs = 30000;

QStringList rows(const MainWindow &w)
{
    const auto *view = w.findChild<QListWidget *>("lw_DeviceView");
    QStringList texts;
    for (int row = 0; row < view->count(); ++row)
        texts << view->item(row)->text();
    return texts;
}

ASSET_INFORMATION *record(const MainWindow &w, const QString &model)
{
    for (ASSET_INFORMATION *asset : w.catalogueAssets()) {
        if (asset->Model == model)
            return asset;
    }
    return nullptr;
}

QTimer *pollTimer(const MainWindow &w)
{
    for (QTimer *timer : w.findChildren<QTimer *>()) {
        if (timer->isActive() && !timer->isSingleShot() && timer->interval() == 1000)
            return timer;
    }
    return nullptr;
}

// Camera cards as tmpfs volumes, each on its own mount point.
class Cards
{
public:
    QString insert(const QString &name, const QString &code, const QByteArray &versionFile)
    {
        const QString root = folder.filePath(name);
        QString error;
        if (!QDir().mkpath(root) || !sandbox.mountTmpfs(root, 1 << 20, false, &error)) {
            qWarning("cannot mount %s: %s", qPrintable(root), qPrintable(error));
            return QString();
        }
        return makeCard(root, code, versionFile, true).isEmpty() ? QString() : root;
    }
    bool remove(const QString &root) { return sandbox.unmount(root); }

private:
    QTemporaryDir folder;
    MountSandbox sandbox; // after the folder: unmounts before the folder goes
};

// The adb camera, ready to be plugged in.
bool prepareAdbCamera(FakeAdb &adb)
{
    return !makeCard(adb.cardPath(), "TZ76", "3.1\nORVA\n", true).isEmpty();
}
} // namespace

class PollCycleTest : public QObject
{
    Q_OBJECT

    HttpsServer server;
    QString base;

    std::unique_ptr<MainWindow> startWindow()
    {
        auto w = std::make_unique<MainWindow>(nullptr, base);
        w->init();
        return w;
    }

private slots:
    void initTestCase()
    {
        HttpsServer::trustTestCertificate();
        QString error;
        QVERIFY2(server.start(&error), qPrintable(error));
        server.serve(folder + "/vek-updater-config.txt", catalogue, "text/plain");
        base = server.origin() + folder;
    }

    void adbCameraComesAndGoesWhileRunning()
    {
        FakeAdb adb;
        QVERIFY(prepareAdbCamera(adb));
        const auto w = startWindow();
        ASSET_INFORMATION *camera = record(*w, "TZ7600");
        QVERIFY(camera);
        // Nothing answers at first: the record falls back to the storage scan.
        QTRY_VERIFY_WITH_TIMEOUT(!camera->ADB_Device, detectionMs);

        for (int plugging = 0; plugging < 2; ++plugging) {
            adb.attach(true);
            QTRY_COMPARE_WITH_TIMEOUT(rows(*w), QStringList({adbRow}), detectionMs);
            QVERIFY(camera->ADB_Device);
            QVERIFY(camera->Attached);
            QCOMPARE(camera->Update_Path, QDir::currentPath() + "/TZ76UPDT.BIN");

            adb.attach(false);
            QTRY_COMPARE_WITH_TIMEOUT(rows(*w), QStringList(), detectionMs);
            QVERIFY(!camera->ADB_Device);
            QVERIFY(w->attachedDeviceList().isEmpty());
        }
    }

    void adbCameraFoundOnACardStaysListedWhileAdbFindsNothing()
    {
        VEK_REQUIRE_MOUNTS();
        FakeAdb adb;
        Cards cards;
        const auto w = startWindow();
        ASSET_INFORMATION *camera = record(*w, "TZ7600");
        QVERIFY(camera);
        QTRY_VERIFY_WITH_TIMEOUT(!camera->ADB_Device, detectionMs);

        QVERIFY(!cards.insert("card", "TZ76", "3.1\nORVA\n").isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(rows(*w), QStringList({adbRow}), detectionMs);
        QSignalSpy rebuilds(w->findChild<QListWidget *>("lw_DeviceView")->model(), &QAbstractItemModel::modelReset);
        // The next request can only go out after the previous answer was taken in.
        const int asked = adb.count("shell cat");
        QTRY_VERIFY_WITH_TIMEOUT(adb.count("shell cat") >= asked + 2, detectionMs);

        QCOMPARE(rebuilds.count(), 0);
        QCOMPARE(rows(*w), QStringList({adbRow}));
        QVERIFY(!camera->ADB_Device);
        QVERIFY(camera->Update_Path.endsWith("/card/DCIM/TZ76LOAD/TZ76UPDT.BIN"));
    }

    void slowAdbNeitherPilesUpRequestsNorStopsTheWindow()
    {
        FakeAdb adb;
        QVERIFY(prepareAdbCamera(adb));
        adb.attach(true);
        const auto w = std::make_unique<MainWindow>(nullptr, base);
        adb.hold(true);
        w->init();
        QTimer *timer = pollTimer(*w);
        QVERIFY(timer);

        QSignalSpy ticks(timer, &QTimer::timeout);
        QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 5, detectionMs);
        QCOMPARE(adb.count("shell"), 1);
        QVERIFY(rows(*w).isEmpty());

        adb.hold(false);
        QTRY_COMPARE_WITH_TIMEOUT(rows(*w), QStringList({adbRow}), detectionMs);
    }

    void openMessageBoxDoesNotStopPolling()
    {
        VEK_REQUIRE_MOUNTS();
        FakeAdb adb;
        QVERIFY(prepareAdbCamera(adb));
        Cards cards;
        std::unique_ptr<MainWindow> w;
        MessageBoxWatcher watcher;
        watcher.setHoldMs(detectionMs);
        watcher.setOnShown([&](const MessageBoxWatcher::SeenBox &) { adb.attach(true); });
        // Closes the box as soon as the camera plugged in under it is listed.
        bool listedUnderTheBox = false;
        QTimer observer;
        observer.setInterval(50);
        connect(&observer, &QTimer::timeout, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (box && w && rows(*w).contains(adbRow)) {
                listedUnderTheBox = true;
                box->button(QMessageBox::Ok)->click();
            }
        });
        observer.start();
        w = startWindow();
        // A card without a version file: the detection error box.
        QVERIFY(!cards.insert("card", "TZ41", QByteArray()).isEmpty());

        QVERIFY(watcher.waitForBoxes(1, 2 * detectionMs));
        QCOMPARE(watcher.boxes().first().title, QString("TZ4100 - Detection Error"));
        QVERIFY(listedUnderTheBox);
    }

    void shutdownWaitsForTheRequestBeingServed()
    {
        {
            FakeAdb adb;
            { MainWindow neverStarted(nullptr, base, quickLimits()); }
            QCOMPARE(adb.log(), QStringList({"start-server", "kill-server"}));
        }

        FakeAdb adb;
        QVERIFY(prepareAdbCamera(adb));
        adb.attach(true);
        auto w = std::make_unique<MainWindow>(nullptr, base);
        adb.hold(true);
        w->init();
        QTRY_COMPARE_WITH_TIMEOUT(adb.count("shell cat"), 1, detectionMs);

        // The request hangs until released from outside, while the window is destroyed.
        std::thread releaser([&adb] {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            adb.hold(false);
        });
        w.reset();
        releaser.join();
        QCOMPARE(adb.log(), QStringList({"start-server", "shell cat '/mnt/SDCARD/DCIM/100TZ76/.version'",
                                         "shell ls '/mnt/SDCARD/DCIM/'", "kill-server"}));
    }
};

VEK_TEST_MAIN_WITH_MOUNTS(PollCycleTest)
#include "tst_pollcycle.moc"
