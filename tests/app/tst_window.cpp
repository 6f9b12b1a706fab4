// The window without cards: the catalogue it loads or refuses, and the source it names.

#include "httpsserver.h"
#include "messageboxwatcher.h"
#include "testkit.h"

#include <QSslConfiguration>
#include <QStatusBar>
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
        QTest::newRow("from a folder") << "folder";
        QTest::newRow("from a folder without one") << "empty folder";
    }
    // Refused, one box says so; a source other than the maker's server is named beside
    // the form.
    void catalogue()
    {
        QFETCH(QString, failure);
        const QString path = "/" + failure + "/vek-updater-config.txt";
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
        QTemporaryDir folder;
        QVERIFY(failure != "folder" || writeFile(folder.filePath("vek-updater-config.txt"), catalogue));
        QString why;
        const std::optional<FirmwareSource> source = FirmwareSource::fromArgument(
            failure.endsWith("folder") ? folder.path() : server.origin() + "/" + failure, &why);
        QVERIFY2(source, qPrintable(why));
        MessageBoxWatcher watcher;
        MainWindow w(nullptr, *source, quickLimits());
        w.init(); // returns once the catalogue is read or its box closed
        QCOMPARE(w.statusBar()->currentMessage(),
                 (failure.endsWith("folder") ? "Firmware from the folder " : "Firmware from the mirror ")
                     + source->address());
        const bool read = failure == "read" || failure == "15" || failure == "folder";
        QCOMPARE(watcher.boxes().size(), read ? 0 : 1);
        if (read)
            return;
        const MessageBoxWatcher::SeenBox box = watcher.boxes().first();
        QCOMPARE(box.title, QString("No Internet Connection"));
        QCOMPARE(box.text, "Could not connect to " + source->address()
                               + " to download device firwmare versions. Please ensure you have proper internet "
                                 "connection and try again.");
        QVERIFY(box.icon == QMessageBox::Critical && box.parent == &w && !w.isVisible());
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
