#include "detection/adbscanner.h"

#include "cardlayout.h"
#include "fake-adb/fakeadb.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {
struct Answer
{
    ASSET_INFORMATION *record = nullptr;
    AdbReading reading;
};

// One request, served the way the worker serves it; the slot answers before it returns.
Answer ask(adbscanner &scanner, ASSET_INFORMATION *record, const QString &modelCode)
{
    QList<Answer> answers;
    QObject receiver;
    QObject::connect(&scanner, &adbscanner::resultReady, &receiver,
                     [&](ASSET_INFORMATION *result, const AdbReading &reading) { answers.append({result, reading}); });
    scanner.getAdbDevice(record, modelCode);
    return answers.size() == 1 ? answers.first() : Answer();
}

bool isEmpty(const AdbReading &reading)
{
    return reading.version.isEmpty() && reading.brand.isEmpty() && reading.updatePath.isEmpty();
}
} // namespace

class AdbScannerTest : public QObject
{
    Q_OBJECT

private slots:
    void cameraIsReadThroughAdb_data()
    {
        QTest::addColumn<QByteArray>("shellStyle");
        QTest::addColumn<bool>("attached");
        QTest::addColumn<QByteArray>("versionFile"); // null: no file on the card
        QTest::addColumn<QString>("updateFolder");   // empty: none on the card
        QTest::addColumn<QByteArray>("delaySeconds");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("brand");
        QTest::addColumn<bool>("hasDestination");

        const QByteArray file = "5.917\nORVA\n";
        QTest::newRow("camera with update folder") << QByteArray("v2") << true << file << "TZ76LOAD" << QByteArray() << "5.917" << "ORVA" << true;
        QTest::newRow("old device: CR LF") << QByteArray("legacy") << true << file << "TZ76LOAD" << QByteArray() << "5.917" << "ORVA" << true;
        QTest::newRow("slow answers") << QByteArray("v2") << true << file << "TZ76LOAD" << QByteArray("0.7") << "5.917" << "ORVA" << true;
        QTest::newRow("no version file, error on stderr") << QByteArray("v2") << true << QByteArray() << "TZ76LOAD" << QByteArray() << "" << "" << true;
        QTest::newRow("no version file, error on stdout") << QByteArray("legacy") << true << QByteArray() << "TZ76LOAD" << QByteArray() << "" << "" << true;
        QTest::newRow("missing-file text behind valid lines") << QByteArray("v2") << true << QByteArray("5.917\nORVA\nNo such file or directory\n") << "TZ76LOAD" << QByteArray() << "" << "" << true;
        QTest::newRow("no update folder") << QByteArray("v2") << true << file << "" << QByteArray() << "5.917" << "ORVA" << false;
        QTest::newRow("update folder with a suffix only") << QByteArray("v2") << true << file << "TZ76LOAD_old" << QByteArray() << "5.917" << "ORVA" << false;
        QTest::newRow("update folder with a prefix only") << QByteArray("legacy") << true << file << "XTZ76LOAD" << QByteArray() << "5.917" << "ORVA" << false;
        QTest::newRow("update folder in other case") << QByteArray("v2") << true << file << "tz76load" << QByteArray() << "5.917" << "ORVA" << false;
        QTest::newRow("no device") << QByteArray("v2") << false << file << "TZ76LOAD" << QByteArray() << "" << "" << false;
    }

    void cameraIsReadThroughAdb()
    {
        QFETCH(QByteArray, shellStyle);
        QFETCH(bool, attached);
        QFETCH(QByteArray, versionFile);
        QFETCH(QString, updateFolder);
        QFETCH(QByteArray, delaySeconds);

        FakeAdb adb;
        QVERIFY(!makeCard(adb.cardPath(), "TZ76", versionFile, false).isEmpty());
        if (!updateFolder.isEmpty())
            QVERIFY(QDir(adb.cardPath()).mkpath("DCIM/" + updateFolder));
        adb.set("shell-style", shellStyle);
        adb.set("delay", delaySeconds);
        adb.attach(attached);

        ASSET_INFORMATION record;
        const ASSET_INFORMATION untouched = record;
        adbscanner scanner;
        const Answer answer = ask(scanner, &record, "TZ76");

        QCOMPARE(answer.record, &record);
        QTEST(answer.reading.version, "version");
        QTEST(answer.reading.brand, "brand");
        QTEST(!answer.reading.updatePath.isEmpty(), "hasDestination");
        if (!answer.reading.updatePath.isEmpty())
            QCOMPARE(answer.reading.updatePath, QDir::currentPath() + "/TZ76UPDT.BIN");
        // The record is the GUI thread's: the scanner only names it in its answer.
        QCOMPARE(record.Device_Version, untouched.Device_Version);
        QCOMPARE(record.Update_Path, untouched.Update_Path);
        QCOMPARE(record.Attached, untouched.Attached);
    }

    void devicePathsReachTheDeviceShellAsOneWord()
    {
        FakeAdb adb;
        const QString code = "A'B $(touch injected) C";
        QVERIFY(!makeCard(adb.cardPath(), code, "1.2\nTALM\n", true).isEmpty());
        adb.attach(true);
        QTemporaryDir workingDirectory;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(workingDirectory.path()));

        adbscanner scanner;
        const Answer answer = ask(scanner, nullptr, code);
        QDir::setCurrent(previous);

        QCOMPARE(answer.reading.version, QString("1.2"));
        QCOMPARE(answer.reading.brand, QString("TALM"));
        QVERIFY(!QFile::exists(workingDirectory.filePath("injected")));
        QVERIFY(!QFile::exists(adb.cardPath() + "/injected"));
    }

    void stagingPathFollowsTheWorkingDirectoryOfTheRequest()
    {
        FakeAdb adb;
        QVERIFY(!makeCard(adb.cardPath(), "TZ76", "5.917\n", true).isEmpty());
        adb.attach(true);
        adbscanner scanner;
        QTemporaryDir elsewhere;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(elsewhere.path()));
        const Answer answer = ask(scanner, nullptr, "TZ76");
        QDir::setCurrent(previous);

        QCOMPARE(answer.reading.updatePath, QDir(elsewhere.path()).canonicalPath() + "/TZ76UPDT.BIN");
    }

    void serverStartsAndStopsWithTheScanner()
    {
        FakeAdb adb;
        {
            adbscanner scanner;
            QCOMPARE(adb.log(), QStringList({"start-server"}));
            ask(scanner, nullptr, "TZ76");
        }
        const QStringList log = adb.log();
        QCOMPARE(log.size(), 4);
        QCOMPARE(log.last(), QString("kill-server"));
        QCOMPARE(log.at(1), QString("shell cat '/mnt/SDCARD/DCIM/100TZ76/.version'"));
        QCOMPARE(log.at(2), QString("shell ls '/mnt/SDCARD/DCIM/'"));
    }

    void withoutAdbEveryAnswerIsEmpty()
    {
        FakeAdb adb;
        QVERIFY(!makeCard(adb.cardPath(), "TZ76", "5.917\n", true).isEmpty());
        adb.attach(true);
        adb.uninstall();
        ASSET_INFORMATION record;
        {
            adbscanner scanner;
            const Answer answer = ask(scanner, &record, "TZ76");
            QCOMPARE(answer.record, &record);
            QVERIFY(isEmpty(answer.reading));
            QVERIFY(!answer.reading.isUsable());
        }
        QVERIFY(adb.log().isEmpty());
    }
};

QTEST_GUILESS_MAIN(AdbScannerTest)
#include "tst_adbscanner.moc"
