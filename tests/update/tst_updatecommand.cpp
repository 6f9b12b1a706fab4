// The update command as the user meets it: one exact message box per camera, the
// wait cursor, the progress dialog, "Update All" and the double-click.

#include "app/mainwindow.h"
#include "quicklimits.h"
#include "outside/networkrequest.h"
#include "update/progresstext.h"
#include "httpsserver.h"
#include "messageboxwatcher.h"
#include "updatefixture.h"

#include <QApplication>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString persists = QStringLiteral("If error persists, contact customer support for more information.");

bool progressDialogVisible()
{
    const QList<QWidget *> widgets = QApplication::allWidgets();
    return std::any_of(widgets.begin(), widgets.end(),
                       [](QWidget *w) { return qobject_cast<QProgressDialog *>(w) && w->isVisible(); });
}
}

class UpdateCommandTest : public QObject
{
    Q_OBJECT

    HttpsServer server;
    QTemporaryDir scratch;
    const QByteArray image = firmwareImage(256 * 1024, 3);

    // A camera whose card is a folder with its update folder.
    ASSET_INFORMATION camera(const QString &model, const QString &code, const QString &route = "/fw/image.bin")
    {
        const QString imagePath = makeCard(scratch.filePath(model), code, "5.910\n", true);
        return cameraRecord(model, code, server.url(route), checksumOf(image), imagePath);
    }

private slots:
    void initTestCase()
    {
        HttpsServer::trustTestCertificate();
        QVERIFY(server.start());
        server.serve("/fw/image.bin", image);
        server.failWithStatus("/fw/gone.bin", 404);
        server.serveSlowly("/fw/slow.bin", image, 16 * 1024, 100);
        server.stallAfter("/fw/stalled.bin", image, 64 * 1024);
    }

    void oneExactBoxPerOutcome_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::newRow("up to date") << "up to date" << "TZ4100 - No Update Required"
                                    << "The device selected is up to date.";
        QTest::newRow("0") << "installed" << "TZ4100 - Update Successful"
                           << "Please disconnect the USB to finish the update process.";
        QTest::newRow("-1") << "no adb" << "TZ4100 - Update Error - -1" << "A problem occurred during the firmware upgrade.";
        QTest::newRow("-2") << "no link" << "TZ41 - Update Error" << "The required link is not populated.\n" + persists;
        QTest::newRow("-3") << "HTTP error" << "TZ41 - Update Error"
                            << "The required link cannot be reached. BASE could be experiencing issues.\n" + persists;
        const QString notWritable = "Device is currently not writable.\nEnsure the SD card is not full or corrupted and "
                                    "try again.\n" + persists;
        QTest::newRow("-4") << "no folder" << "TZ41 - Update Error" << notWritable;
        // Pulled while its server is silent: the download stops at once instead of timing out.
        QTest::newRow("-4 unplugged") << "unplugged" << "TZ41 - Update Error" << notWritable;
        QTest::newRow("-5") << "mismatch" << "TZ41 - Update Error"
                            << "Firmware file downloaded but checksum mismatch occured.\nPlease ensure you have "
                               "proper internet connection and try again.\n" + persists;
    }
    void oneExactBoxPerOutcome()
    {
        QFETCH(QString, situation);
        QFETCH(QString, title);
        QFETCH(QString, text);
        const QString route = situation == "HTTP error" ? "/fw/gone.bin" : situation == "unplugged" ? "/fw/stalled.bin" : "/fw/image.bin";
        ASSET_INFORMATION tz4100 = camera("TZ4100", "TZ41", route);
        if (situation == "up to date")
            tz4100.Device_Version = tz4100.Version;
        if (situation == "no link")
            tz4100.Link.clear();
        if (situation == "no folder")
            tz4100.Update_Path = scratch.filePath("nowhere/TZ41UPDT.BIN");
        if (situation == "mismatch")
            tz4100.Checksum = checksumOf("another image");
        const QByteArray savedPath = qgetenv("PATH");
        tz4100.ADB_Device = situation == "no adb";
        if (tz4100.ADB_Device)
            qputenv("PATH", QFile::encodeName(scratch.filePath("no-programs-here")));
        const QString base = server.origin() + "/fw";
        // For a pulled card, a server silent for a day: only the pull can end this update.
        MainWindow w(nullptr, base, quickLimits(situation == "unplugged" ? 24 * 3600 * 1000 : 1500));
        if (situation == "unplugged") {
            QTimer::singleShot(300, &w, [&tz4100] { tz4100.Update_Path.clear(); });
        }
        MessageBoxWatcher watcher;
        bool cursorSet = true;
        Qt::CursorShape cursorUnderBox = Qt::BitmapCursor;
        watcher.setOnShown([&](const MessageBoxWatcher::SeenBox &) {
            cursorSet = w.testAttribute(Qt::WA_SetCursor);
            cursorUnderBox = w.cursor().shape();
        });
        const int requestsBefore = server.requestLog().size();
        if (situation == "no link" || situation == "HTTP error" || situation == "unplugged")
            QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^Failure"));

        w.updateDevice(&tz4100);
        qputenv("PATH", savedPath);
        QCOMPARE(watcher.boxes().size(), 1);
        const MessageBoxWatcher::SeenBox box = watcher.boxes().first();
        QCOMPARE(box.icon, title.endsWith("Successful") || title.endsWith("Required") ? QMessageBox::Information
                                                                                       : QMessageBox::Critical);
        QCOMPARE(box.title, title);
        QCOMPARE(box.text, QString(text).replace("BASE", base));
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(box.parent == &w && box.modal);
        QCOMPARE(cursorUnderBox, Qt::ArrowCursor);
        // Nothing is fetched and the cursor is left alone for a camera that is up to date.
        QCOMPARE(cursorSet, situation != "up to date");
        if (situation == "up to date")
            QCOMPARE(server.requestLog().size(), requestsBefore);
        if (situation == "installed")
            QVERIFY(fileBytes(tz4100.Update_Path) == image);
    }

    // A throttled download, then one that stalls, as "Update All" runs them: what the
    // progress window says about them, in the order it says it.
    void progressTellsCameraAmountAndStall()
    {
        ASSET_INFORMATION tz4100 = camera("TZ4100", "TZ41", "/fw/slow.bin"), tz7000 = camera("TZ7000", "TZ7K", "/fw/stalled.bin");
        tz4100.Device_Brand = "ORVA";
        MainWindow w(nullptr, server.origin() + "/fw", quickLimits(4500));
        w.handleDetection(&tz4100);
        w.handleDetection(&tz7000);
        MessageBoxWatcher watcher;
        QStringList seen;
        bool waitCursor = true;
        QTimer look;
        connect(&look, &QTimer::timeout, this, [&] {
            if (auto *dialog = w.findChild<QProgressDialog *>(); dialog && dialog->isVisible()) {
                seen << dialog->windowTitle() + ": " + dialog->labelText();
                waitCursor &= w.cursor().shape() == Qt::WaitCursor;
            }
        });
        look.start(50);
        bool progressUnderBox = false;
        watcher.setOnShown([&](const MessageBoxWatcher::SeenBox &) { progressUnderBox |= progressDialogVisible(); });

        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^Failure"));
        QTest::mouseClick(w.findChild<QPushButton *>("pushButton"), Qt::LeftButton);
        QCOMPARE(watcher.boxes().value(0).title, QString("TZ4100 - Update Successful"));
        QCOMPARE(watcher.boxes().value(1).title, QString("TZ7K - Update Error"));
        QVERIFY(waitCursor && !progressUnderBox);
        QStringList steps = seen.filter(QRegularExpression("B of 256.0 kB|No data for"));
        steps.replaceInStrings(QRegularExpression("[^\\n]*(B of 256.0 kB|No data for).*"), "\\1");
        steps.removeDuplicates();
        const QString first = "Updating camera firmware: TZ4100 - 5.910 (ORVA), camera 1 of 2\nDownloading the firmware\n";
        const QString second = "Updating camera firmware: TZ7000 - 5.910, camera 2 of 2\nDownloading the firmware\n";
        QCOMPARE(steps.join(" | "), QStringList({first + "B of 256.0 kB", second + "B of 256.0 kB", second + "No data for"}).join(" | "));
    }

    void progressText_data()
    {
        QTest::addColumn<int>("phase");
        QTest::addColumn<qint64>("done");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<double>("rate");
        QTest::addColumn<qint64>("silentMs");
        QTest::addColumn<QString>("text");
        const int download = int(UpdatePhase::Downloading);
        QTest::newRow("size known") << download << 1572864LL << 6291456LL << 204800.0 << 0LL
                                    << "Downloading the firmware\n1.5 MB of 6.0 MB at 200.0 kB/s, 24 s left";
        QTest::newRow("size unknown") << download << 300000LL << -1LL << 0.0 << 0LL << "Downloading the firmware\n293.0 kB";
        QTest::newRow("nothing yet") << download << 0LL << -1LL << 0.0 << 2000LL << "Downloading the firmware\n1 min 15 s elapsed";
        QTest::newRow("stalled") << download << 1572864LL << 6291456LL << 1000.0 << 8000LL
                                 << "Downloading the firmware\nNo data for 8 s: the download gives up in 22 s";
        QTest::newRow("adb push") << int(UpdatePhase::Pushing) << 0LL << -1LL << 0.0 << 75000LL
                                  << "Pushing the firmware to the camera\n1 min 15 s elapsed";
        QTest::newRow("camera gone") << -1 << 0LL << -1LL << 0.0 << 0LL << "The camera was unplugged: the update stops.";
    }
    void progressText()
    {
        QFETCH(int, phase);
        QFETCH(qint64, done);
        QFETCH(qint64, total);
        QFETCH(double, rate);
        QFETCH(qint64, silentMs);
        QFETCH(QString, text);
        const TransferState state{UpdatePhase(qMax(phase, 0)), done, total, rate, 75000, silentMs, 30000, phase < 0};
        QCOMPARE(progressStepText(state), text);
    }

    void updateAllGivesEveryCameraItsBoxInListOrder()
    {
        ASSET_INFORMATION first = camera("TZ2200", "TZ22"), second = camera("TZ4100", "TZ41", "/fw/gone.bin"),
                          third = camera("TZ7000", "TZ7K");
        MainWindow w(nullptr, server.origin() + "/fw", quickLimits());
        auto *updateAll = w.findChild<QPushButton *>("pushButton");
        MessageBoxWatcher watcher;
        QStringList seen;
        watcher.setOnShown([&](const MessageBoxWatcher::SeenBox &box) {
            seen << box.title + (QFileInfo::exists(third.Update_Path) ? " +third" : "");
        });
        QTest::mouseClick(updateAll, Qt::LeftButton);
        QVERIFY(seen.isEmpty());

        for (ASSET_INFORMATION *device : {&first, &second, &third})
            w.handleDetection(device);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^Failure"));
        QTest::mouseClick(updateAll, Qt::LeftButton);
        QCOMPARE(seen, QStringList({"TZ2200 - Update Successful", "TZ41 - Update Error",
                                    "TZ7000 - Update Successful +third"}));
    }

    // Two cameras going at once leave one in the attached list that the view already
    // skips; a row means the camera it shows.
    void doubleClickUpdatesTheCameraShownInTheRow()
    {
        ASSET_INFORMATION a = camera("TZ2200", "TZ22"), b = camera("TZ4100", "TZ41"), c = camera("TZ7000", "TZ7K");
        MainWindow w(nullptr, server.origin() + "/fw", quickLimits());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        for (ASSET_INFORMATION *device : {&a, &b, &c})
            w.handleDetection(device);
        for (ASSET_INFORMATION *device : {&a, &b}) {
            device->Attached = false;
            device->Device_Version.clear();
            device->Update_Path.clear();
        }
        w.handleDetection(&a);
        auto *view = w.findChild<QListWidget *>("lw_DeviceView");
        QCOMPARE(view->count(), 1);
        QCOMPARE(w.attachedDeviceList().size(), 2);
        MessageBoxWatcher watcher;

        QTRY_VERIFY(!view->visualItemRect(view->item(0)).isEmpty());
        const QPoint firstRow = view->visualItemRect(view->item(0)).center();
        // What the system delivers for a double-click: a click, then the double-click.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, firstRow);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, firstRow);
        QTRY_COMPARE(watcher.boxes().size(), 1);
        QCOMPARE(watcher.boxes().first().title, QString("TZ7000 - Update Successful"));

        QMetaObject::invokeMethod(&w, "on_lw_DeviceView_doubleClicked", Q_ARG(QModelIndex, view->model()->index(1, 0)));
        QCOMPARE(watcher.boxes().size(), 1);
    }
};

QTEST_MAIN(UpdateCommandTest)
#include "tst_updatecommand.moc"
