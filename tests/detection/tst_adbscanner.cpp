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
        QTest::addColumn<QString>("adb");
        QTest::addColumn<QString>("modelCode");
        QTest::addColumn<QByteArray>("versionFile"); // null: no file on the card
        QTest::addColumn<QString>("dcimEntry");      // a folder beside 100{code}
        QTest::addColumn<QString>("reading");        // version|brand
        const QByteArray file = "5.917\nORVA\n";
        QTest::newRow("shell_v2") << "v2" << "TZ76" << file << "TZ76LOAD" << "5.917|ORVA";
        QTest::newRow("legacy: CR LF") << "legacy" << "TZ76" << file << "TZ76LOAD" << "5.917|ORVA";
        QTest::newRow("shell_v2, no file: error on stderr") << "v2" << "TZ76" << QByteArray() << "TZ76LOAD" << "|";
        QTest::newRow("legacy, no file: error on stdout") << "legacy" << "TZ76" << QByteArray() << "TZ76LOAD" << "|";
        QTest::newRow("error text behind valid lines")
            << "v2" << "TZ76" << file + "No such file or directory\n" << "TZ76LOAD" << "|";
        QTest::newRow("no update folder") << "v2" << "TZ76" << file << "" << "5.917|ORVA";
        QTest::newRow("update folder with a suffix") << "v2" << "TZ76" << file << "TZ76LOAD_old" << "5.917|ORVA";
        QTest::newRow("update folder with a prefix") << "legacy" << "TZ76" << file << "XTZ76LOAD" << "5.917|ORVA";
        QTest::newRow("update folder in other case") << "v2" << "TZ76" << file << "tz76load" << "5.917|ORVA";
        QTest::newRow("path quoted for the device shell")
            << "v2" << injection << QByteArray("1.2\nTALM\n") << "" << "1.2|TALM";
        // A camera that prints without end must not fill the workstation's memory.
        QTest::newRow("version file over the bound") << "v2" << "TZ76" << file + "\n" << "TZ76LOAD" << "|";
        QTest::newRow("no device") << "no device" << "TZ76" << file << "TZ76LOAD" << "|";
        QTest::newRow("adb not installed") << "no adb" << "TZ76" << file << "TZ76LOAD" << "|";
    }
    void cameraIsReadThroughAdb()
    {
        QFETCH(QString, adb);
        QFETCH(QString, modelCode);
        QFETCH(QByteArray, versionFile);
        QFETCH(QString, dcimEntry);
        const bool updatable = dcimEntry == "TZ76LOAD" && (adb == "v2" || adb == "legacy");
        FakeAdb fake;
        QVERIFY(!makeCard(fake.cardPath(), modelCode, versionFile, false).isEmpty());
        if (QTest::currentDataTag() == QLatin1String("version file over the bound"))
            QVERIFY(QFile::resize(fake.cardPath() + "/DCIM/100TZ76/.version", 64 << 20));
        QVERIFY(dcimEntry.isEmpty() || QDir(fake.cardPath()).mkpath("DCIM/" + dcimEntry));
        fake.set("shell-style", adb.toUtf8());
        fake.attach(adb != "no device");
        if (adb == "no adb")
            fake.uninstall();
        QFile::remove("injected");

        ASSET_INFORMATION record;
        QVector<QPair<ASSET_INFORMATION *, AdbReading>> answers;
        {
            adbscanner scanner;
            connect(&scanner, &adbscanner::resultReady, this,
                    [&](ASSET_INFORMATION *named, const AdbReading &reading) { answers.append({named, reading}); });
            scanner.getAdbDevice(&record, modelCode);
        }
        QCOMPARE(answers.size(), 1);
        QCOMPARE(answers[0].first, &record);
        QTEST(answers[0].second.version + '|' + answers[0].second.brand, "reading");
        QCOMPARE(answers[0].second.updatePath,
                 updatable ? QDir::current().canonicalPath() + "/TZ76UPDT.BIN" : QString()); // staged where adb runs
        // The record is the GUI thread's: the scanner only names it in its answer.
        QVERIFY(record.Device_Version.isEmpty() && record.Device_Brand.isEmpty() && record.Update_Path.isEmpty());
        QVERIFY(!QFile::exists("injected"));
        // The adb server runs exactly as long as the scanner.
        if (adb != "no adb")
            QCOMPARE(fake.log().first() + ' ' + fake.log().last(), QString("start-server kill-server"));
    }
};

QTEST_GUILESS_MAIN(AdbScannerTest)
#include "tst_adbscanner.moc"
