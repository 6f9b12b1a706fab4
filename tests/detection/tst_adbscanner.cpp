#include "detection/adbscanner.h"

#include "cardlayout.h"
#include "fake-adb/fakeadb.h"

#include <QtTest>

namespace {
// Would run on the camera, in adb's working directory, if the path were not quoted.
// (Model codes hold no blanks: the listing must show the folder.)
const QString injection = QStringLiteral("A$(touch${IFS}injected)B'C'D");

CatalogueEntry adbEntry(const QString &code, const QString &brand = {})
{
    CatalogueEntry entry;
    entry.model = code + "00";
    entry.modelCode = code;
    entry.overAdb = true;
    entry.brand = brand;
    return entry;
}
}

class AdbScannerTest : public QObject
{
    Q_OBJECT

private slots:
    void cameraIsReadThroughAdb_data()
    {
        // A camera's shell-style ("v2" or "legacy", see fake-adb/adb), or "no adb".
        QTest::addColumn<QString>("adb");
        QTest::addColumn<QString>("modelCode");
        QTest::addColumn<QByteArray>("versionFile"); // null: no file on the card
        QTest::addColumn<QString>("dcimEntry");      // a folder beside 100{code}
        QTest::addColumn<QString>("reading");        // version|brand, or "none": no camera
        const QByteArray file = "5.917\nORVA\n";
        QTest::newRow("shell_v2") << "v2" << "TZ76" << file << "TZ76LOAD" << "5.917|ORVA";
        QTest::newRow("legacy: CR LF") << "legacy" << "TZ76" << file << "TZ76LOAD" << "5.917|ORVA";
        // A camera whose version cannot be read is still one: its detection error shows.
        QTest::newRow("shell_v2, no file: error on stderr") << "v2" << "TZ76" << QByteArray() << "TZ76LOAD" << "|";
        QTest::newRow("legacy, no file: error on stdout") << "legacy" << "TZ76" << QByteArray() << "TZ76LOAD" << "|";
        QTest::newRow("error text behind valid lines")
            << "v2" << "TZ76" << file + "No such file or directory\n" << "TZ76LOAD" << "|";
        // A camera that prints without end must not fill the workstation's memory.
        QTest::newRow("version file over the bound") << "v2" << "TZ76" << file + "\n" << "TZ76LOAD" << "|";
        QTest::newRow("no update folder") << "v2" << "TZ76" << file << "" << "none";
        QTest::newRow("update folder with a suffix") << "v2" << "TZ76" << file << "TZ76LOAD_old" << "none";
        QTest::newRow("update folder with a prefix") << "legacy" << "TZ76" << file << "XTZ76LOAD" << "none";
        QTest::newRow("update folder in other case") << "v2" << "TZ76" << file << "tz76load" << "none";
        QTest::newRow("path quoted for the device shell")
            << "v2" << injection << QByteArray("1.2\nTALM\n") << injection + "LOAD" << "1.2|TALM";
        QTest::newRow("adb not installed") << "no adb" << "TZ76" << file << "TZ76LOAD" << "none";
    }
    void cameraIsReadThroughAdb()
    {
        QFETCH(QString, adb);
        QFETCH(QString, modelCode);
        QFETCH(QByteArray, versionFile);
        QFETCH(QString, dcimEntry);
        FakeAdb fake;
        fake.attach(true);
        QVERIFY(!makeCard(fake.cardPath(), modelCode, versionFile, false).isEmpty());
        QVERIFY(dcimEntry.isEmpty() || QDir(fake.cardPath()).mkpath("DCIM/" + dcimEntry));
        if (QTest::currentDataTag() == QLatin1String("version file over the bound"))
            QVERIFY(QFile::resize(fake.cardPath() + "/DCIM/100TZ76/.version", 64 << 20));
        fake.set("shell-style", adb.toUtf8());
        if (adb == "no adb")
            fake.uninstall();
        QFile::remove("injected");

        const QVector<AttachedCamera> cameras =
            AdbScanner({adbEntry(modelCode)}, {}).readDevice("SERIAL1").value_or(QVector<AttachedCamera>());
        QTEST(cameras.isEmpty() ? "none" : cameras[0].installedVersion + '|' + cameras[0].reportedBrand, "reading");
        if (!cameras.isEmpty()) // staged where adb runs
            QCOMPARE(cameras[0].imagePath, QDir::current().canonicalPath() + "/" + modelCode + "UPDT.BIN");
        QVERIFY(!QFile::exists("injected"));
    }

    // Each device is asked by its serial, as the real adb insists on once there are two;
    // a device not ready is not asked, and one read before is not read again; of a model
    // under two brands, each camera is its own brand's.
    void devicesAreAskedBySerial()
    {
        FakeAdb fake;
        for (const QString serial : {"0123456789ABCDEF", "emulator-5554", "R58M", "UNAUTH"}) {
            fake.attach(true, serial);
            const QByteArray versionFile = serial.startsWith('e') ? "3.1\nTALM\n" : "3.1\nORVA\n";
            QVERIFY(!makeCard(fake.cardPath(serial), "TZ7K", versionFile, true).isEmpty());
        }
        fake.set("devices/UNAUTH/state", "unauthorized");
        const AdbPass pass = AdbScanner({adbEntry("TZ7K", "ORVA"), adbEntry("TZ7K", "TALM")}, {}).scan({"R58M"});
        QVERIFY(pass.answered);
        QStringList serials;
        for (const AdbDevice &device : pass.devices)
            serials << device.serial;
        QCOMPARE(serials, QStringList({"0123456789ABCDEF", "R58M", "emulator-5554"}));
        QCOMPARE(pass.readings.keys().size(), 2);
        QCOMPARE(pass.readings.value("emulator-5554").value(0).entryIndex, 1);
        QCOMPARE(pass.readings.value("0123456789ABCDEF").value(0).entryIndex, 0);
        for (const QString &line : fake.log().filter(" shell "))
            QVERIFY2(line.startsWith("-s 0123456789ABCDEF ") || line.startsWith("-s emulator-5554 "), qPrintable(line));
    }
};

QTEST_GUILESS_MAIN(AdbScannerTest)
#include "tst_adbscanner.moc"
