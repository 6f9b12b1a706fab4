// The window without cards: the catalogue it loads or refuses, the list of cameras as
// detection results come in, and the routing that decides whom adb is asked about.

#include "app/adbrouting.h"
#include "httpsserver.h"
#include "messageboxwatcher.h"
#include "testkit.h"

#include <QSslConfiguration>
#include <QtTest>

class WindowTest : public QObject
{
    Q_OBJECT
    HttpsServer server;

private slots:
    void initTestCase()
    {
        QVERIFY(server.start());
    }

    void catalogue_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("read") << "read";
        QTest::newRow("just below the size cap") << "15";
        QTest::newRow("over the size cap") << "17";
        QTest::newRow("HTTP error") << "status";
        QTest::newRow("bad JSON") << "badjson";
        QTest::newRow("stall") << "stall";
        QTest::newRow("TLS failure") << "untrusted";
    }
    // Refused, one box says so.
    void catalogue()
    {
        QFETCH(QString, failure);
        const QString path = "/" + failure + "/vek-updater-config.txt", base = server.origin() + "/" + failure;
        // "!" sorts first: the member that is never read pads the file to its size.
        const QByteArray catalogue = "{\"!\": \"" + QByteArray(failure.toInt() << 20, '#')
                                     + "\", \"TZ7600\": {\"Version\": \"3.20\", \"ADB_Device\": true}}";
        server.route(path, {{"status", failure == "status" ? 503 : 200}, {"silent", failure == "stall"}},
                     failure == "badjson" ? catalogue.chopped(2) : catalogue);
        if (failure == "untrusted") {
            QSslConfiguration systemRootsOnly = QSslConfiguration::defaultConfiguration();
            systemRootsOnly.setCaCertificates(QSslConfiguration::systemCaCertificates());
            QSslConfiguration::setDefaultConfiguration(systemRootsOnly);
        }
        const auto trustAgain = qScopeGuard(&HttpsServer::trustTestCertificate);
        MessageBoxWatcher watcher;
        MainWindow w(nullptr, base, quickLimits());
        w.init(); // returns once the catalogue is read or its box closed
        QCOMPARE(watcher.boxes().size(), failure == "read" || failure == "15" ? 0 : 1);
        if (watcher.boxes().isEmpty())
            return;
        const MessageBoxWatcher::SeenBox box = watcher.boxes().first();
        QCOMPARE(box.title, QString("No Internet Connection"));
        QCOMPARE(box.text, "Could not connect to " + base + " to download device firwmare versions. Please ensure "
                                                             "you have proper internet connection and try again.");
        QVERIFY(box.icon == QMessageBox::Critical && box.parent == &w && !w.isVisible());
    }

    // Two cameras gone at once leave the list one at a time: the one still in it keeps
    // its place when it comes back. A row updates the camera it shows, never one gone.
    void rowsLeaveOneAtATimeAndDesignateTheirCamera()
    {
        // c is up to date: its box names the camera a double-click reached.
        ASSET_INFORMATION a = camera("TZ2200", "TZ22"), b = camera("TZ4100", "TZ41"),
                          c = camera("TZ7000", "TZ7K", "5.920");
        MainWindow w(nullptr, server.origin(), quickLimits());
        for (ASSET_INFORMATION *device : {&a, &b, &c})
            w.handleDetection(device);
        QCOMPARE(rows(w), QStringList({" TZ2200 - 5.910", " TZ4100 - 5.910", " TZ7000 - 5.920"}));
        a = camera("TZ2200", "TZ22", QString());
        b = camera("TZ4100", "TZ41", QString());
        w.handleDetection(&a);
        QCOMPARE(rows(w), QStringList(" TZ7000 - 5.920"));
        MessageBoxWatcher watcher;
        QVERIFY(QMetaObject::invokeMethod(&w, "on_lw_DeviceView_doubleClicked",
                                          Q_ARG(QModelIndex, deviceView(w)->model()->index(0, 0))));
        QCOMPARE(watcher.titles(), QStringList("TZ7000 - No Update Required"));
        b = camera("TZ4100", "TZ41");
        w.handleDetection(&b);
        QCOMPARE(rows(w), QStringList({" TZ4100 - 5.910", " TZ7000 - 5.920"}));
    }

    // At most one request per record is out at a time, however slow adb is; a record
    // adb misses falls back to the storage route and is asked again every few passes.
    void adbRouting()
    {
        AdbRouting routing;
        ASSET_INFORMATION record = camera("TZ7000", "TZ7K"), cardOnly = camera("TZ4100", "TZ41");
        record.ADB_Device = true;
        record.Brand = "ORVA";
        const AdbReading orva{"3.10", "ORVA", "/mnt/SDCARD/x"}, talm{"3.10", "TALM", "/mnt/SDCARD/x"};
        routing.beginPass();
        QVERIFY(routing.takeRequest(&record));
        QVERIFY(!routing.takeRequest(&record));
        routing.beginPass();
        QVERIFY(!routing.takeRequest(&record) && !routing.takeRequest(&cardOnly));
        QCOMPARE(routing.takeAnswer(&record, talm), AdbRouting::AnswerUse::FallBack);
        QVERIFY(!record.ADB_Device);
        int passes = 1;
        for (routing.beginPass(); !routing.takeRequest(&record) && passes < 10; ++passes)
            routing.beginPass();
        QCOMPARE(passes, AdbRouting::fallBackRetryPasses);
        QCOMPARE(routing.takeAnswer(&record, orva), AdbRouting::AnswerUse::Attach);
        QVERIFY(record.ADB_Device);
        QCOMPARE(routing.takeAnswer(&cardOnly, orva), AdbRouting::AnswerUse::Ignore);
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
