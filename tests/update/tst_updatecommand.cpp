// The update command as the user meets it: the double-click, "Update All", the wait
// cursor, the progress dialog and the one message box per camera.

#include "app/mainwindow.h"
#include "httpsserver.h"
#include "messageboxwatcher.h"
#include "updatefixture.h"

#include <QApplication>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QtTest>

namespace {
const QString persists = QStringLiteral("If error persists, contact customer support for more information.");

QListWidget *deviceView(MainWindow &w)
{
    return w.findChild<QListWidget *>("lw_DeviceView");
}

QProgressDialog *visibleProgressDialog()
{
    for (QWidget *widget : QApplication::allWidgets()) {
        auto *dialog = qobject_cast<QProgressDialog *>(widget);
        if (dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}
}

class UpdateCommandTest : public QObject
{
    Q_OBJECT

    HttpsServer server;
    QTemporaryDir scratch;
    QByteArray savedPath;
    const QByteArray image = firmwareImage(256 * 1024, 3);

    // A camera whose card is a folder in the scratch directory, with its update folder.
    ASSET_INFORMATION camera(const QString &model, const QString &code, const QString &route = "/fw/image.bin")
    {
        const QString imagePath = makeCard(scratch.filePath(model), code, "5.917\n", true);
        return cameraRecord(model, code, server.url(route), checksumOf(image), imagePath);
    }

private slots:
    void initTestCase()
    {
        HttpsServer::trustTestCertificate();
        QString why;
        QVERIFY2(server.start(&why), qPrintable(why));
        server.serve("/fw/image.bin", image);
        server.failWithStatus("/fw/gone.bin", 404);
        savedPath = qgetenv("PATH");
    }
    void cleanup() { qputenv("PATH", savedPath); }

    void oneExactBoxPerOutcome_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        const int information = QMessageBox::Information, critical = QMessageBox::Critical;
        QTest::newRow("up to date") << "up to date" << information << "TZ4100 - No Update Required"
                                    << "The device selected is up to date.";
        QTest::newRow("0") << "installed" << information << "TZ4100 - Update Successful"
                           << "Please disconnect the USB to finish the update process.";
        QTest::newRow("-1") << "adb missing" << critical << "TZ4100 - Update Error - -1"
                            << "A problem occurred during the firmware upgrade.";
        QTest::newRow("-2") << "no link" << critical << "TZ41 - Update Error"
                            << "The required link is not populated.\n" + persists;
        QTest::newRow("-3") << "HTTP error" << critical << "TZ41 - Update Error"
                            << "The required link cannot be reached. BASE could be experiencing issues.\n" + persists;
        QTest::newRow("-4") << "no update folder" << critical << "TZ41 - Update Error"
                            << "Device is currently not writable.\nEnsure the SD card is not full or corrupted and "
                               "try again.\n" + persists;
        QTest::newRow("-5") << "mismatch" << critical << "TZ41 - Update Error"
                            << "Firmware file downloaded but checksum mismatch occured.\nPlease ensure you have "
                               "proper internet connection and try again.\n" + persists;
    }
    void oneExactBoxPerOutcome()
    {
        QFETCH(QString, situation);
        QFETCH(int, icon);
        QFETCH(QString, title);
        QFETCH(QString, text);
        ASSET_INFORMATION tz4100 = camera("TZ4100", "TZ41", situation == "HTTP error" ? "/fw/gone.bin" : "/fw/image.bin");
        if (situation == "up to date")
            tz4100.Device_Version = tz4100.Version;
        if (situation == "no link")
            tz4100.Link.clear();
        if (situation == "no update folder")
            tz4100.Update_Path = scratch.filePath("TZ4100/DCIM/nowhere/TZ41UPDT.BIN");
        if (situation == "mismatch")
            tz4100.Checksum = checksumOf("another image");
        if (situation == "adb missing") {
            tz4100.ADB_Device = true;
            qputenv("PATH", QFile::encodeName(scratch.filePath("no-programs-here")));
        }
        const QString base = server.origin() + "/fw";
        MainWindow w(nullptr, base);
        MessageBoxWatcher watcher;
        Qt::CursorShape cursorUnderBox = Qt::BitmapCursor;
        bool cursorWasSet = true;
        watcher.setOnShown([&](const MessageBoxWatcher::SeenBox &) {
            cursorUnderBox = w.cursor().shape();
            cursorWasSet = w.testAttribute(Qt::WA_SetCursor);
        });
        const int requestsBefore = server.requestLog().size();
        if (situation == "no link" || situation == "HTTP error")
            QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^Failure"));

        w.updateDevice(&tz4100);
        QCOMPARE(watcher.boxes().size(), 1);
        const MessageBoxWatcher::SeenBox box = watcher.boxes().first();
        QCOMPARE(int(box.icon), icon);
        QCOMPARE(box.title, title);
        QCOMPARE(box.text, QString(text).replace("BASE", base));
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(box.parent, &w);
        QVERIFY(box.modal);
        QCOMPARE(cursorUnderBox, Qt::ArrowCursor);
        if (situation == "up to date") {
            QVERIFY(!cursorWasSet);
            QCOMPARE(server.requestLog().size(), requestsBefore);
        }
        if (situation == "installed")
            QVERIFY(fileBytes(tz4100.Update_Path) == image);
    }

    void updateAllGoesThroughTheListInOrder()
    {
        ASSET_INFORMATION first = camera("TZ2200", "TZ22"), second = camera("TZ4100", "TZ41", "/fw/gone.bin"),
                          third = camera("TZ7000", "TZ7K");
        MainWindow w(nullptr, server.origin() + "/fw");
        auto *updateAll = w.findChild<QPushButton *>("pushButton");
        MessageBoxWatcher watcher;
        QList<Qt::CursorShape> cursors;
        QList<bool> thirdWrittenAtBox;
        watcher.setOnShown([&](const MessageBoxWatcher::SeenBox &) {
            cursors << w.cursor().shape();
            thirdWrittenAtBox << QFileInfo::exists(third.Update_Path);
        });

        QTest::mouseClick(updateAll, Qt::LeftButton);
        QCOMPARE(watcher.boxes().size(), 0);

        for (ASSET_INFORMATION *device : {&first, &second, &third})
            w.handleDetection(device);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^Failure"));
        QTest::mouseClick(updateAll, Qt::LeftButton);
        QStringList titles;
        for (const MessageBoxWatcher::SeenBox &box : watcher.boxes())
            titles << box.title;
        QCOMPARE(titles, QStringList({"TZ2200 - Update Successful", "TZ41 - Update Error", "TZ7000 - Update Successful"}));
        QCOMPARE(watcher.boxes().at(1).icon, QMessageBox::Critical);
        QCOMPARE(thirdWrittenAtBox, QList<bool>({false, false, true}));
        QCOMPARE(cursors, QList<Qt::CursorShape>({Qt::ArrowCursor, Qt::ArrowCursor, Qt::ArrowCursor}));
    }

    // Two cameras going at once leave one behind in the list of attached cameras that
    // the view already skips; a row means the camera it shows.
    void doubleClickUpdatesTheCameraShownInTheRow()
    {
        ASSET_INFORMATION a = camera("TZ2200", "TZ22"), b = camera("TZ4100", "TZ41"), c = camera("TZ7000", "TZ7K");
        MainWindow w(nullptr, server.origin() + "/fw");
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
        QListWidget *view = deviceView(w);
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

    void progressShowsDuringASlowUpdateAndGoesBeforeTheBox()
    {
        server.serveSlowly("/fw/slow.bin", image, 16 * 1024, 100);
        ASSET_INFORMATION tz4100 = camera("TZ4100", "TZ41", "/fw/slow.bin");
        MainWindow w(nullptr, server.origin() + "/fw");
        MessageBoxWatcher watcher;
        QStringList labelsSeen;
        Qt::CursorShape cursorDuringDownload = Qt::ArrowCursor;
        QTimer look;
        connect(&look, &QTimer::timeout, [&] {
            if (QProgressDialog *dialog = visibleProgressDialog()) {
                labelsSeen << dialog->labelText();
                cursorDuringDownload = w.cursor().shape();
            }
        });
        look.start(50);
        bool progressOpenUnderBox = true;
        watcher.setOnShown([&](const MessageBoxWatcher::SeenBox &) { progressOpenUnderBox = visibleProgressDialog(); });

        w.updateDevice(&tz4100);
        QCOMPARE(watcher.boxes().size(), 1);
        QCOMPARE(watcher.boxes().first().title, QString("TZ4100 - Update Successful"));
        QVERIFY(!labelsSeen.isEmpty());
        QVERIFY2(labelsSeen.first().startsWith("Downloading the firmware\n"), qPrintable(labelsSeen.first()));
        QCOMPARE(cursorDuringDownload, Qt::WaitCursor);
        QVERIFY(!progressOpenUnderBox);
    }
};

QTEST_MAIN(UpdateCommandTest)
#include "tst_updatecommand.moc"
