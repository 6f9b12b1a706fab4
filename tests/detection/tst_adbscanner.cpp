#include "detection/adbscanner.h"

#include "cardlayout.h"
#include "fake-adb/fakeadb.h"

#include <QtTest>

namespace {
// Would run on the camera, in adb's working directory, if the path were not quoted.
const QString injection = QStringLiteral("A'B $(touch injected) C");
}

class AdbScannerTest : public QObject
{
    Q_OBJECT

private slots:
    void cameraIsReadThroughAdb_data()
    {
        // A camera's shell-style ("v2" or "legacy", see fake-adb/adb), "no device" or "no adb".
        QTest::addColumn<QByteArray>("adb");
        QTest::addColumn<QString>("modelCode");
        QTest::addColumn<QByteArray>("versionFile");  // null: no file on the card
        QTest::addColumn<QString>("dcimEntry");       // a folder beside 100{code}
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("brand");
        QTest::addColumn<bool>("updatable");
        const QByteArray file = "5.917\nORVA\n";
        QTest::newRow("shell_v2") << QByteArray("v2") << "TZ76" << file << "TZ76LOAD" << "5.917" << "ORVA" << true;
        QTest::newRow("legacy: CR LF")
            << QByteArray("legacy") << "TZ76" << file << "TZ76LOAD" << "5.917" << "ORVA" << true;
        QTest::newRow("shell_v2, no file: error on stderr")
            << QByteArray("v2") << "TZ76" << QByteArray() << "TZ76LOAD" << "" << "" << true;
        QTest::newRow("legacy, no file: error on stdout")
            << QByteArray("legacy") << "TZ76" << QByteArray() << "TZ76LOAD" << "" << "" << true;
        QTest::newRow("error text behind valid lines")
            << QByteArray("v2") << "TZ76" << file + "No such file or directory\n" << "TZ76LOAD" << "" << "" << true;
        QTest::newRow("no update folder") << QByteArray("v2") << "TZ76" << file << "" << "5.917" << "ORVA" << false;
        QTest::newRow("update folder with a suffix")
            << QByteArray("v2") << "TZ76" << file << "TZ76LOAD_old" << "5.917" << "ORVA" << false;
        QTest::newRow("update folder with a prefix")
            << QByteArray("legacy") << "TZ76" << file << "XTZ76LOAD" << "5.917" << "ORVA" << false;
        QTest::newRow("update folder in other case")
            << QByteArray("v2") << "TZ76" << file << "tz76load" << "5.917" << "ORVA" << false;
        QTest::newRow("path quoted for the device shell")
            << QByteArray("v2") << injection << QByteArray("1.2\nTALM\n") << "" << "1.2" << "TALM" << false;
        QTest::newRow("no device") << QByteArray("no device") << "TZ76" << file << "TZ76LOAD" << "" << "" << false;
        QTest::newRow("adb not installed")
            << QByteArray("no adb") << "TZ76" << file << "TZ76LOAD" << "" << "" << false;
    }
    void cameraIsReadThroughAdb()
    {
        QFETCH(QByteArray, adb);
        QFETCH(QString, modelCode);
        QFETCH(QByteArray, versionFile);
        QFETCH(QString, dcimEntry);
        QFETCH(bool, updatable);
        FakeAdb fake;
        QVERIFY(!makeCard(fake.cardPath(), modelCode, versionFile, false).isEmpty());
        QVERIFY(dcimEntry.isEmpty() || QDir(fake.cardPath()).mkpath("DCIM/" + dcimEntry));
        fake.set("shell-style", adb);
        fake.attach(adb != "no device");
        if (adb == "no adb")
            fake.uninstall();
        // The image is staged in the working directory the request finds.
        QTemporaryDir workingDirectory;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(workingDirectory.path()));

        ASSET_INFORMATION record;
        QVector<QPair<ASSET_INFORMATION *, AdbReading>> answers;
        {
            adbscanner scanner;
            connect(&scanner, &adbscanner::resultReady, this,
                    [&](ASSET_INFORMATION *named, const AdbReading &reading) { answers.append({named, reading}); });
            scanner.getAdbDevice(&record, modelCode);
        }
        QDir::setCurrent(previous);
        QCOMPARE(answers.size(), 1);
        QCOMPARE(answers[0].first, &record);
        QTEST(answers[0].second.version, "version");
        QTEST(answers[0].second.brand, "brand");
        QCOMPARE(answers[0].second.updatePath,
                 updatable ? QDir(workingDirectory.path()).canonicalPath() + "/TZ76UPDT.BIN" : QString());
        // The record is the GUI thread's: the scanner only names it in its answer.
        QVERIFY(record.Device_Version.isEmpty() && record.Device_Brand.isEmpty() && record.Update_Path.isEmpty());
        QVERIFY(!QFile::exists(workingDirectory.filePath("injected")));
        // The adb server runs exactly as long as the scanner.
        if (adb != "no adb")
            QCOMPARE(fake.log().first() + ' ' + fake.log().last(), QString("start-server kill-server"));
    }
};

QTEST_GUILESS_MAIN(AdbScannerTest)
#include "tst_adbscanner.moc"
