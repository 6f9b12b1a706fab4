// Faults a technician meets, injected under the real window: cards that go away, fill
// up or turn read-only while an image is written; a server that drops, stalls,
// truncates, loops or floods; an adb that hangs, crashes, vanishes or talks nonsense.
// Each must end in one clear message, lose nothing on the camera, leave nothing behind
// on the workstation, and keep the window finding cameras.

#include "../update/updatefixture.h"
#include "app/mainwindow.h"
#include "quicklimits.h"
#include "cardpuller.h"
#include "outside/networkrequest.h"
#include "fake-adb/fakeadb.h"
#include "messageboxwatcher.h"
#include "update/adbpush.h"
#include "workbench.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {
const QString persists = QStringLiteral("\nIf error persists, contact customer support for more information.");
const QString notWritable =
    "Device is currently not writable.\nEnsure the SD card is not full or corrupted and try again." + persists;
const QString checksumMismatch = "Firmware file downloaded but checksum mismatch occured.\n"
                                 "Please ensure you have proper internet connection and try again."
                                 + persists;
const QString tz4100Row = QStringLiteral(" TZ4100 - 5.910");
const QString tz7000Row = QStringLiteral(" TZ7000 - 3.10");
const QByteArray tz4100VersionFile = "5.910\nORVA\n";

// The image each camera got from its previous update.
const QByteArray previousImage = firmwareImage(300 * 1024, 7);

QString cannotReach(const QString &baseUrl)
{
    return "The required link cannot be reached. " + baseUrl + " could be experiencing issues." + persists;
}

QList<MessageBoxWatcher::SeenBox> pressUpdateAll(MainWindow &w)
{
    MessageBoxWatcher watcher;
    QTest::mouseClick(w.findChild<QPushButton *>("pushButton"), Qt::LeftButton);
    return watcher.boxes();
}
}

class FaultInjectionTest : public QObject
{
    Q_OBJECT

    Workbench bench;
    int lateCards = 0;
    int serverCards = 0;

    std::unique_ptr<MainWindow> openWindow(const QString &baseUrl = QString())
    {
        // A hung push is given up after 1.5 s rather than half a minute.
        auto w = std::make_unique<MainWindow>(nullptr, baseUrl.isEmpty() ? bench.baseUrl() : baseUrl,
                                              quickLimits(1500, {1500, 0}));
        w->init();
        pollOnce(*w);
        return w;
    }

    static void expectOneBox(const QList<MessageBoxWatcher::SeenBox> &boxes, QMessageBox::Icon icon,
                             const QString &title, const QString &text)
    {
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().icon, icon);
        QCOMPARE(boxes.first().title, title);
        QCOMPARE(boxes.first().text, text);
        QCOMPARE(boxes.first().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }

    // The update folder holds the image it held before the update, whole, and nothing else.
    static void expectPreviousImageOnly(const QString &updateFolder, const QString &code)
    {
        QCOMPARE(filesIn(updateFolder), QStringList(code + "UPDT.BIN"));
        QVERIFY(fileBytes(updateFolder + "/" + code + "UPDT.BIN") == previousImage);
    }

    // The window's own timer still polls: a card plugged in now is listed.
    void expectLateCardListed(MainWindow &w)
    {
        const QString slot = "late" + QString::number(++lateCards);
        QVERIFY(!bench.insertCard(slot, "TZ22", "5.920\n").isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(listedRows(w).contains(" TZ2200 - 5.920"), 10000);
        QVERIFY(bench.removeCard(slot));
    }

    // Once the window is closed: no staged image in the working directory, no download kept.
    void expectNothingLeftOnTheWorkstation()
    {
        QCOMPARE(filesIn(QDir::currentPath()), QStringList());
        QCOMPARE(bench.updaterFilesInDownloadFolder(), QStringList());
    }

private slots:
    void initTestCase()
    {
        QString why;
        QVERIFY2(bench.start(&why), qPrintable(why));
        qputenv("VEK_SCRIPTED_ADB", VEK_FAKE_ADB_DIR "/adb");
    }

    void cleanup()
    {
        bench.removeAllCards();
        bench.server().serve(bench.imageRoute("TZ4100"), bench.image("TZ4100"));
    }

    void cardPulledWhileTheImageIsWritten()
    {
        VEK_REQUIRE_MOUNTS();
        const QString root = bench.insertCard("pulled", "TZ41", tz4100VersionFile, previousImage);
        QVERIFY(!root.isEmpty());
        auto w = openWindow();
        QCOMPARE(listedRows(*w), QStringList(tz4100Row));
        // The card goes the moment the new image's file is opened on it.
        CardPuller puller(root, "TZ41UPDT.BIN.");
        QString why;
        if (!puller.isArmed(&why))
            QSKIP(qPrintable(why));

        const auto boxes = pressUpdateAll(*w);
        QVERIFY(puller.hasPulled());
        expectOneBox(boxes, QMessageBox::Critical, "TZ41 - Update Error", notWritable);
        // The card as it is when plugged back in: the camera reads only TZ41UPDT.BIN.
        const QString updateFolder = puller.onCard("DCIM/TZ41LOAD");
        QVERIFY(fileBytes(updateFolder + "/TZ41UPDT.BIN") == previousImage);
        const QStringList others = filesIn(updateFolder).filter(QRegularExpression("^(?!TZ41UPDT\\.BIN$)"));
        QCOMPARE(others.filter(QRegularExpression("^TZ41UPDT\\.BIN\\.\\w{6}$")), others);
        QEXPECT_FAIL("", "the writer cannot delete its temporary file from a card that is gone; the next "
                         "write to the card, once the file is old, removes it",
                     Continue);
        QCOMPARE(others, QStringList());
        QTRY_COMPARE(listedRows(*w), QStringList());
        expectLateCardListed(*w);
        w.reset();
        expectNothingLeftOnTheWorkstation();
    }

    void cardFullBeforeTheImageFits()
    {
        VEK_REQUIRE_MOUNTS();
        // 1 MiB holds the previous image but not the 2 MiB new one beside it.
        const QString root = bench.insertCard("full", "TZ41", tz4100VersionFile, previousImage, 1024 * 1024);
        QVERIFY(!root.isEmpty());
        auto w = openWindow();
        QCOMPARE(listedRows(*w), QStringList(tz4100Row));

        expectOneBox(pressUpdateAll(*w), QMessageBox::Critical, "TZ41 - Update Error", notWritable);
        expectPreviousImageOnly(root + "/DCIM/TZ41LOAD", "TZ41");
        QCOMPARE(listedRows(*w), QStringList(tz4100Row));
        expectLateCardListed(*w);
        w.reset();
        expectNothingLeftOnTheWorkstation();
    }

    void cardTurnsReadOnlyAfterDetection()
    {
        VEK_REQUIRE_MOUNTS();
        const QString root = bench.insertCard("readonly", "TZ41", tz4100VersionFile, previousImage);
        QVERIFY(!root.isEmpty());
        auto w = openWindow();
        QCOMPARE(listedRows(*w), QStringList(tz4100Row));
        // Right after a pass, so that the camera is still listed when the image is written.
        QSignalSpy ticks(pollTimerOf(*w), &QTimer::timeout);
        QTRY_VERIFY(!ticks.isEmpty());
        QVERIFY(bench.setCardReadOnly("readonly", true));

        expectOneBox(pressUpdateAll(*w), QMessageBox::Critical, "TZ41 - Update Error", notWritable);
        expectPreviousImageOnly(root + "/DCIM/TZ41LOAD", "TZ41");
        // A write-protected card is no camera to update; writable again, it is.
        QTRY_COMPARE(listedRows(*w), QStringList());
        QVERIFY(bench.setCardReadOnly("readonly", false));
        QTRY_COMPARE(listedRows(*w), QStringList(tz4100Row));
        expectOneBox(pressUpdateAll(*w), QMessageBox::Information, "TZ4100 - Update Successful",
                     "Please disconnect the USB to finish the update process.");
        QVERIFY(fileBytes(root + "/DCIM/TZ41LOAD/TZ41UPDT.BIN") == bench.image("TZ4100"));
        QCOMPARE(filesIn(root + "/DCIM/TZ41LOAD"), QStringList("TZ41UPDT.BIN"));
        w.reset();
        expectNothingLeftOnTheWorkstation();
    }

    void serverMisbehaves_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("checksumFails");
        QTest::addColumn<QString>("networkError");
        QTest::newRow("drops the connection half way") << "drop" << false << "RemoteHostClosedError";
        QTest::newRow("stalls before answering") << "stall" << false << "OperationCanceledError";
        QTest::newRow("stalls half way") << "stall half way" << false << "OperationCanceledError";
        QTest::newRow("sends a truncated body") << "truncate" << true << "";
        QTest::newRow("redirects in a loop") << "loop" << false << "TooManyRedirectsError";
    }
    void serverMisbehaves()
    {
        VEK_REQUIRE_MOUNTS();
        QFETCH(QString, fault);
        QFETCH(bool, checksumFails);
        QFETCH(QString, networkError);
        HttpsServer &server = bench.server();
        const QString route = bench.imageRoute("TZ4100");
        const QByteArray image = bench.image("TZ4100");
        if (fault == "drop")
            server.dropAfter(route, image, image.size() / 2);
        else if (fault == "stall")
            server.stall(route);
        else if (fault == "stall half way")
            server.stallAfter(route, image, image.size() / 2);
        else if (fault == "truncate")
            server.serve(route, image.left(image.size() / 2)); // a whole answer, half an image
        if (fault == "loop") {
            server.redirect(route, server.url("/fw/elsewhere.bin"));
            server.redirect("/fw/elsewhere.bin", server.url(route));
        }
        const QString slot = "server" + QString::number(++serverCards);
        const QString root = bench.insertCard(slot, "TZ41", tz4100VersionFile, previousImage);
        QVERIFY(!root.isEmpty());
        auto w = openWindow();
        QCOMPARE(listedRows(*w), QStringList(tz4100Row));
        if (!networkError.isEmpty())
            QTest::ignoreMessage(QtDebugMsg,
                                 QRegularExpression("^Failure \".*\"  Error: QNetworkReply::" + networkError + "$"));

        expectOneBox(pressUpdateAll(*w), QMessageBox::Critical, "TZ41 - Update Error",
                     checksumFails ? checksumMismatch : cannotReach(bench.baseUrl()));
        expectPreviousImageOnly(root + "/DCIM/TZ41LOAD", "TZ41");
        expectLateCardListed(*w);
        w.reset();
        expectNothingLeftOnTheWorkstation();
        QVERIFY(bench.removeCard(slot));
    }

    // The catalogue loader gives up on anything above 16 MiB; a big catalogue below it is read.
    void hugeCatalogue_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("17 MiB") << 17 * 1024 * 1024;
        QTest::newRow("15 MiB") << 15 * 1024 * 1024;
    }
    void hugeCatalogue()
    {
        VEK_REQUIRE_MOUNTS();
        QFETCH(int, size);
        const bool overLimit = size > 16 * 1024 * 1024;
        const QString baseUrl = bench.server().origin() + "/huge";
        bench.server().serve("/huge/vek-updater-config.txt", bench.catalogue(size), "text/plain");
        QVERIFY(!bench.insertCard("huge", "TZ41", tz4100VersionFile, previousImage).isEmpty());
        MessageBoxWatcher watcher;
        auto w = openWindow(baseUrl);

        if (overLimit) {
            expectOneBox(watcher.boxes(), QMessageBox::Critical, "No Internet Connection",
                         "Could not connect to " + baseUrl
                             + " to download device firwmare versions. Please ensure you have proper internet "
                               "connection and try again.");
            QVERIFY(w->catalogueAssets().isEmpty());
            // With no catalogue there is nothing to look for, but the window goes on polling.
            QSignalSpy ticks(pollTimerOf(*w), &QTimer::timeout);
            QTRY_VERIFY(ticks.size() >= 2);
            QCOMPARE(listedRows(*w), QStringList());
        } else {
            QCOMPARE(watcher.boxes().size(), 0);
            QCOMPARE(w->catalogueAssets().size(), 4);
            QCOMPARE(listedRows(*w), QStringList(tz4100Row));
        }
        w.reset();
        QVERIFY(bench.removeCard("huge"));
    }

    void adbMisbehavesDuringThePush_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("hangs") << "hang";
        QTest::newRow("crashes half way") << "crash";
        QTest::newRow("crashes after printing 100%") << "crash-at-100";
        QTest::newRow("vanishes") << "vanish";
        QTest::newRow("prints garbage") << "garbage";
    }
    void adbMisbehavesDuringThePush()
    {
        VEK_REQUIRE_MOUNTS();
        QFETCH(QString, fault);
        FakeAdb adb;
        const QString updateFolder = prepareAdbCamera(adb);
        QVERIFY(!updateFolder.isEmpty());
        QTemporaryDir programs;
        QVERIFY(installFaultyAdb(programs.path()));
        auto w = openWindow();
        QTRY_COMPARE(listedRows(*w), QStringList(tz7000Row));
        if (fault == "hang")
            adb.hold(true);
        else
            adb.set("fault", fault.toUtf8());

        expectOneBox(pressUpdateAll(*w), QMessageBox::Critical, "TZ7000 - Update Error - -1",
                     "A problem occurred during the firmware upgrade.");
        QCOMPARE(adb.count("push " + QDir::current().filePath("TZ7KUPDT.BIN")), 1);
        expectPreviousImageOnly(updateFolder, "TZ7K");
        QVERIFY(!QFileInfo::exists(QDir::current().filePath("TZ7KUPDT.BIN")));
        // Cards are still found while adb hangs or is gone.
        expectLateCardListed(*w);
        if (fault == "vanish") {
            QVERIFY(!QFileInfo::exists(programs.filePath("adb")));
            QTRY_COMPARE_WITH_TIMEOUT(listedRows(*w), QStringList(), 10000);
            QVERIFY(installFaultyAdb(programs.path()));
        }
        adb.hold(false);
        adb.set("fault", "");
        QTRY_COMPARE_WITH_TIMEOUT(listedRows(*w), QStringList(tz7000Row), 10000);
        w.reset();
        expectNothingLeftOnTheWorkstation();
    }

    void adbAnswersGarbage()
    {
        VEK_REQUIRE_MOUNTS();
        FakeAdb adb;
        QVERIFY(!prepareAdbCamera(adb).isEmpty());
        QTemporaryDir programs;
        QVERIFY(installFaultyAdb(programs.path()));
        MessageBoxWatcher watcher;
        auto w = openWindow();
        QTRY_COMPARE(listedRows(*w), QStringList(tz7000Row));

        adb.set("fault", "garbage-shell");
        QTRY_COMPARE_WITH_TIMEOUT(listedRows(*w), QStringList(), 10000);
        expectLateCardListed(*w);
        adb.set("fault", "");
        QTRY_COMPARE_WITH_TIMEOUT(listedRows(*w), QStringList(tz7000Row), 10000);
        QCOMPARE(watcher.boxes().size(), 0);
    }

private:
    // An adb camera one version behind, holding its previous image, with adb printing
    // garbage on request. Returns the camera's update folder.
    static QString prepareAdbCamera(FakeAdb &adb)
    {
        const QString imagePath = makeCard(adb.cardPath(), "TZ7K", "3.10\n", true);
        QFile image(imagePath);
        if (imagePath.isEmpty() || !image.open(QIODevice::WriteOnly) || image.write(previousImage) != previousImage.size())
            return QString();
        // Random bytes: NULs, broken UTF-8, no line structure, and neither "100%" nor "LOAD".
        QByteArray garbage = firmwareImage(64 * 1024, 99);
        garbage.replace("100%", "1OO%").replace("LOAD", "L0AD");
        adb.set("garbage", garbage);
        adb.attach(true);
        return QFileInfo(imagePath).path();
    }

    // Puts the faulty adb (a copy, since it may delete itself) on PATH, in front of the
    // scripted one it passes on to by name, with only the tools that one uses beside
    // it: once it is gone, no adb at all is found, not even an installed one.
    static bool installFaultyAdb(const QString &folder)
    {
        const QString program = folder + "/adb";
        QFile::remove(program);
        if (!QFile::copy(VEK_FAULTY_ADB, program)
            || !QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
            return false;
        const QString tools = folder + "/tools";
        QDir().mkpath(tools);
        for (const QString tool : {"sh", "cat", "ls", "sleep", "sed", "cp", "wc", "rm"})
            QFile::link(QStandardPaths::findExecutable(tool), tools + "/" + tool);
        qputenv("PATH", QFile::encodeName(folder + ":" + tools));
        return true;
    }
};

VEK_TEST_MAIN_WITH_MOUNTS(FaultInjectionTest)
#include "tst_faultinjection.moc"
