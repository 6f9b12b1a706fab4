// installFirmware for a camera reached through adb, with the scripted adb first on
// PATH: how the push is judged, and that the staging file never stays behind.

#include "app/mainwindow.h"
#include "fake-adb/fakeadb.h"
#include "httpsserver.h"
#include "update/adbpush.h"
#include "updatefixture.h"

#include <QtTest>

namespace {
const QString code = QStringLiteral("TZ7K");
}

class AdbInstallTest : public QObject
{
    Q_OBJECT

    HttpsServer server;
    QTemporaryDir scratch;
    const QByteArray image = firmwareImage(1024 * 1024 + 3, 7);

private slots:
    void initTestCase()
    {
        HttpsServer::trustTestCertificate();
        QString why;
        QVERIFY2(server.start(&why), qPrintable(why));
        server.serve("/fw/TZ7000.bin", image);
        setAdbPushTimeoutMs(1500);
    }

    void pushOutcomes_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<int>("outcome");
        QTest::newRow("pushed, summary on stderr") << "attached" << 0;
        QTest::newRow("pushed, summary on stdout") << "stdout" << 0;
        QTest::newRow("push refused") << "push-fails" << -1;
        QTest::newRow("no update folder on the camera") << "no folder" << -1;
        QTest::newRow("camera gone") << "detached" << -1;
        QTest::newRow("adb hangs past the time limit") << "hold" << -1;
        QTest::newRow("adb not installed") << "uninstalled" << -1;
    }
    void pushOutcomes()
    {
        QFETCH(QString, situation);
        QFETCH(int, outcome);
        FakeAdb adb;
        adb.attach(situation != "detached");
        if (situation != "no folder")
            QVERIFY(QDir().mkpath(adb.cardPath() + "/DCIM/" + code + "LOAD"));
        if (situation == "stdout")
            adb.set("push-output", "stdout");
        if (situation == "push-fails")
            adb.set("push-fails", "");
        const QString staging = scratch.filePath(code + "UPDT.BIN");
        ASSET_INFORMATION camera = cameraRecord("TZ7000", code, server.url("/fw/TZ7000.bin"), checksumOf(image), staging);
        camera.ADB_Device = true;
        MainWindow w(nullptr, server.origin() + "/fw");
        if (situation == "hold")
            adb.hold(true);
        if (situation == "uninstalled")
            adb.uninstall();

        QCOMPARE(w.installFirmware(&camera), outcome);
        adb.hold(false);
        QVERIFY(!QFileInfo::exists(staging));
        const QString pushed = adb.cardPath() + "/DCIM/" + code + "LOAD/" + code + "UPDT.BIN";
        QCOMPARE(fileBytes(pushed) == image, outcome == 0);
        if (situation != "uninstalled")
            QCOMPARE(adb.log().last(), "push " + staging + " /mnt/SDCARD/DCIM/" + code + "LOAD");
    }

    void unwritableStagingFolder()
    {
        FakeAdb adb;
        adb.attach(true);
        ASSET_INFORMATION camera = cameraRecord("TZ7000", code, server.url("/fw/TZ7000.bin"), checksumOf(image),
                                                scratch.filePath("missing/" + code + "UPDT.BIN"));
        camera.ADB_Device = true;
        MainWindow w(nullptr, server.origin() + "/fw");

        QCOMPARE(w.installFirmware(&camera), -4);
        QCOMPARE(adb.count("push"), 0);
    }
};

QTEST_MAIN(AdbInstallTest)
#include "tst_adbinstall.moc"
