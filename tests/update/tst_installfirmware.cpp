// installFirmware against a real loopback HTTPS server, real tmpfs cards, a card that
// reads back other bytes, and the scripted adb: every outcome, what each leaves
// behind, and what the run's image cache asks of the server.

#include "app/mainwindow.h"
#include "quicklimits.h"
#include "outside/networkrequest.h"
#include "fake-adb/fakeadb.h"
#include "httpsserver.h"
#include "mountsandbox.h"
#include "update/adbpush.h"
#include "updatefixture.h"

#include <QDirIterator>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString code = QStringLiteral("TZ41");
const QString imageName = code + "UPDT.BIN";
const QString route = QStringLiteral("/fw/TZ4100.bin");
const QByteArray oldImage = "the image the camera got last time";
}

class InstallFirmwareTest : public QObject
{
    Q_OBJECT

    HttpsServer server;
    QTemporaryDir scratch;
    MountSandbox mounts;
    int cards = 0;
    const QByteArray image = firmwareImage(3 * 1024 * 1024 + 123);

    // A card holding an earlier image, on a tmpfs of its own when mounted is set.
    QString card(bool mounted = true, qint64 size = 16 * 1024 * 1024, bool withUpdateFolder = true)
    {
        const QString root = scratch.filePath("card" + QString::number(++cards));
        QString why;
        if (!QDir().mkpath(root) || (mounted && !mounts.mountTmpfs(root, size, false, &why)))
            qWarning("no card: %s", qPrintable(why));
        const QString imagePath = makeCard(root, code, "5.910\nORVA\n", withUpdateFolder);
        QFile old(imagePath);
        if (withUpdateFolder && !(old.open(QIODevice::WriteOnly) && old.write(oldImage) == oldImage.size()))
            qWarning("no old image on %s", qPrintable(root));
        return imagePath;
    }

    ASSET_INFORMATION camera(const QString &updatePath, const QString &path = route)
    {
        return cameraRecord("TZ4100", code, server.url(path), checksumOf(image), updatePath);
    }

    QStringList cachedImages() const
    {
        QStringList files;
        QDirIterator it(scratch.filePath("tmp/vek-updater"), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            if (!it.next().endsWith(".lock")) // the run's lock, there while the window is
                files << it.filePath();
        }
        return files;
    }

private slots:
    void initTestCase()
    {
        HttpsServer::trustTestCertificate();
        QString why;
        QVERIFY2(server.start(&why), qPrintable(why));
        server.serve(route, image);
        server.failWithStatus("/fw/gone.bin", 404);
        server.stallAfter("/fw/stalled.bin", image, 1000);
        server.dropAfter("/fw/dropped.bin", image, image.size() / 2);
        server.redirect("/fw/moved.bin", server.url(route));
        server.redirect("/fw/insecure.bin", "http://127.0.0.1:" + QString::number(server.port()) + route);
        server.redirect("/fw/to-file.bin", "file://" + QCoreApplication::applicationFilePath());
        server.serve("/fw/huge.bin", image + image);
        server.serveSlowly("/fw/trickle.bin", image, 512, 100);
        // The cache keeps its images below here, where the tests can find them.
        QVERIFY(QDir().mkpath(scratch.filePath("tmp")));
        qputenv("TMPDIR", QFile::encodeName(scratch.filePath("tmp")));
    }

    // The full temporary folder of one row; the window of the row has let go of it by now.
    void cleanup() { mounts.unmount(scratch.filePath("tmp/vek-updater")); }

    void imageReplacesTheOldOneWhole_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("lowerCaseChecksum");
        QTest::newRow("upper-case checksum") << route << false;
        QTest::newRow("lower-case checksum") << route << true;
        QTest::newRow("https redirect followed") << "/fw/moved.bin" << false;
    }
    void imageReplacesTheOldOneWhole()
    {
        VEK_REQUIRE_MOUNTS();
        QFETCH(QString, path);
        QFETCH(bool, lowerCaseChecksum);
        const QString imagePath = card();
        ASSET_INFORMATION asset = camera(imagePath, path);
        if (lowerCaseChecksum)
            asset.Checksum = asset.Checksum.toLower();
        MainWindow w(nullptr, server.origin() + "/fw", quickLimits());

        QCOMPARE(w.installFirmware(&asset), 0);
        QVERIFY(fileBytes(imagePath) == image);
        QCOMPARE(filesIn(QFileInfo(imagePath).path()), QStringList(imageName));
    }

    void nextWriteClearsWhatAPulledCardKept()
    {
        // Left by a write the card was pulled from: one long ago, one from a write
        // that may still be running.
        const QString imagePath = card(false);
        const QString folder = QFileInfo(imagePath).path();
        const QString stale = imagePath + ".a1B2c3", recent = imagePath + ".x9Y8z7";
        for (const QString &leftover : {stale, recent}) {
            QFile file(leftover);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(image.left(1000)) == 1000 && file.flush());
            if (leftover == stale)
                QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
        }
        ASSET_INFORMATION asset = camera(imagePath);
        MainWindow w(nullptr, server.origin() + "/fw", quickLimits());

        QCOMPARE(w.installFirmware(&asset), 0);
        QVERIFY(fileBytes(imagePath) == image);
        QCOMPARE(filesIn(folder), QStringList({imageName, QFileInfo(recent).fileName()}));
    }

    void failuresLeaveTheCardAsItWas_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("checksum");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("logLine");
        const QString right = checksumOf(image), failure = QStringLiteral("^Failure \".*\"  Error: QNetworkReply::%1$");
        QTest::newRow("empty link") << "" << right << -2 << "^Failure - Destination is empty$";
        QTest::newRow("HTTP error") << "/fw/gone.bin" << right << -3 << failure.arg("ContentNotFoundError");
        QTest::newRow("unreachable host") << "https://127.0.0.1:1/x.bin" << right << -3
                                          << failure.arg("ConnectionRefusedError");
        QTest::newRow("unusable link") << " " << right << -3 << failure.arg("\\w+");
        QTest::newRow("stalled server") << "/fw/stalled.bin" << right << -3 << failure.arg("OperationCanceledError");
        QTest::newRow("dropped connection") << "/fw/dropped.bin" << right << -3 << failure.arg("RemoteHostClosedError");
        QTest::newRow("redirect to http") << "/fw/insecure.bin" << right << -3 << failure.arg("InsecureRedirectError");
        QTest::newRow("redirect to a file") << "/fw/to-file.bin" << right << -3 << failure.arg("ProtocolUnknownError");
        const QString refused = "^Failure \"Refused the link: %1\"  Error: QNetworkReply::ProtocolUnknownError$";
        const QString cut = "^Failure \"%1.*\"  Error: QNetworkReply::OperationCanceledError$";
        QTest::newRow("http link") << server.url(route).replace("https:", "http:") << right << -3
                                   << refused.arg("its scheme is http, only https is used");
        QTest::newRow("file link") << "file://" + QCoreApplication::applicationFilePath() << right << -3
                                   << refused.arg("its scheme is file, only https is used");
        QTest::newRow("no scheme") << "127.0.0.1" + route << right << -3
                                   << refused.arg("it names no scheme, only https is used");
        QTest::newRow("bare path") << QCoreApplication::applicationFilePath() << right << -3
                                   << refused.arg("it names no scheme, only https is used");
        QTest::newRow("body over the bound") << "/fw/huge.bin" << right << -3 << cut.arg("The server sends more than ");
        QTest::newRow("trickling server") << "/fw/trickle.bin" << right << -3 << cut.arg("The server sent under ");
        QTest::newRow("temporary folder full") << route << right << -3
                                               << "^Failure - the workstation's temporary folder cannot hold the image";
        QTest::newRow("checksum mismatch") << route << checksumOf(oldImage) << -5 << "";
        QTest::newRow("checksum a digit short") << route << right.chopped(1) << -5 << "";
        QTest::newRow("checksum with a blank") << route << " " + right << -5 << "";
    }
    void failuresLeaveTheCardAsItWas()
    {
        VEK_REQUIRE_MOUNTS();
        QFETCH(QString, link);
        QFETCH(QString, checksum);
        QFETCH(int, outcome);
        QFETCH(QString, logLine);
        const QString imagePath = card();
        ASSET_INFORMATION asset = camera(imagePath);
        asset.Link = link.startsWith("/fw/") ? server.url(link) : link;
        asset.Checksum = checksum;
        // Bounds far below the product's, so that the bodies that break them stay small.
        MainWindow w(nullptr, server.origin() + "/fw", InstallLimits{{4 * 1024 * 1024, 1000, 64 * 1024, 1500}, {}});
        const int requestsBefore = server.requestLog().size();
        const QString runs = scratch.filePath("tmp/vek-updater");
        const bool tmpFull = QTest::currentDataTag() == QLatin1String("temporary folder full");
        if (tmpFull)
            QVERIFY(QDir().mkpath(runs) && mounts.mountTmpfs(runs, 1024 * 1024, false));
        if (!logLine.isEmpty())
            QTest::ignoreMessage(QtDebugMsg, QRegularExpression(logLine));

        QCOMPARE(w.installFirmware(&asset), outcome);
        QCOMPARE(fileBytes(imagePath), oldImage);
        QCOMPARE(filesIn(QFileInfo(imagePath).path()), QStringList(imageName));
        QCOMPARE(cachedImages(), QStringList());
        if (!link.startsWith("/fw/"))
            QCOMPARE(server.requestLog().size(), requestsBefore);
    }

    void unwritableDestinations_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::newRow("no update folder") << "missing folder";
        QTest::newRow("read-only card") << "read-only";
        QTest::newRow("card too small") << "small";
        QTest::newRow("no destination known") << "empty";
        QTest::newRow("update folder links off the card") << "linked";
    }
    void unwritableDestinations()
    {
        VEK_REQUIRE_MOUNTS();
        QFETCH(QString, destination);
        const bool hasFolder = destination != "missing folder";
        const QString imagePath = card(true, destination == "small" ? 2 * 1024 * 1024 : 16 * 1024 * 1024, hasFolder);
        if (destination == "read-only")
            QVERIFY(mounts.remountReadOnly(scratch.filePath("card" + QString::number(cards))));
        // The link leads to the workstation's disk, where an hour-old file looks like a leftover.
        QStringList files(imageName);
        if (destination == "linked") {
            const QString folder = QFileInfo(imagePath).path(), elsewhere = scratch.filePath("elsewhere");
            QVERIFY(QDir(folder).removeRecursively() && QDir().mkpath(elsewhere) && QFile::link(elsewhere, folder));
            files << imageName + ".a1B2c3";
            for (const QString &name : files) {
                QFile file(elsewhere + "/" + name);
                const QDateTime hourAgo = QDateTime::currentDateTime().addSecs(-3600);
                QVERIFY(file.open(QIODevice::WriteOnly) && file.write(oldImage) == oldImage.size()
                        && file.setFileTime(hourAgo, QFileDevice::FileModificationTime));
            }
        }
        ASSET_INFORMATION asset = camera(destination == "empty" ? QString() : imagePath);
        MainWindow w(nullptr, server.origin() + "/fw", quickLimits());

        QCOMPARE(w.installFirmware(&asset), -4);
        QCOMPARE(fileBytes(imagePath), hasFolder ? oldImage : QByteArray());
        QCOMPARE(filesIn(QFileInfo(imagePath).path()), hasFolder ? files : QStringList());
    }

    // The corrupting card is a FUSE file system that inverts the first byte of every
    // read of a file whose name holds the given text.
    void cardThatReadsBackOtherBytes_data()
    {
        QTest::addColumn<QString>("corruptedName");
        QTest::addColumn<int>("outcome");
        QTest::newRow("corrupting card") << "UPDT" << -4;
        QTest::newRow("same card, honest") << "nothing-is-named-so" << 0;
    }
    void cardThatReadsBackOtherBytes()
    {
        VEK_REQUIRE_MOUNTS(); // the FUSE mount must stay in this process's namespace
#ifndef VEK_CORRUPTING_CARD
        QSKIP("the corrupting card needs libfuse3, which the build did not find");
#else
        QFETCH(QString, corruptedName);
        QFETCH(int, outcome);
        const QString backingImagePath = card(false);
        const QString backing = scratch.filePath("card" + QString::number(cards)), mountPoint = backing + "-fuse";
        QVERIFY(QDir().mkpath(mountPoint));
        QProcess fuse;
        fuse.setProcessChannelMode(QProcess::ForwardedChannels);
        fuse.start(VEK_CORRUPTING_CARD, {backing, mountPoint, corruptedName});
        const QString imagePath = mountPoint + backingImagePath.mid(backing.size());
        if (!QTest::qWaitFor([&] { return QFileInfo::exists(imagePath) || fuse.state() == QProcess::NotRunning; })
            || fuse.state() == QProcess::NotRunning)
            QSKIP("cannot mount a FUSE file system here");
        ASSET_INFORMATION asset = camera(imagePath);
        MainWindow w(nullptr, server.origin() + "/fw", quickLimits());

        const int result = w.installFirmware(&asset);
        fuse.terminate();
        QVERIFY(fuse.waitForFinished(10000));
        QCOMPARE(result, outcome);
        QVERIFY(fileBytes(backingImagePath) == (outcome == 0 ? image : oldImage));
        QCOMPARE(filesIn(QFileInfo(backingImagePath).path()), QStringList(imageName));
#endif
    }

    void cacheServesTheSecondCameraAndRefetchesARottenCopy()
    {
        const int requestsBefore = server.requestCount(route);
        ASSET_INFORMATION first = camera(card(false)), second = camera(card(false)), third = camera(card(false));
        // Images of earlier runs: one killed (its lock names a process that is gone), one
        // still running (this test holds its lock).
        const QString runs = scratch.filePath("tmp/vek-updater");
        const QString killed = runs + "/run-killed", running = runs + "/run-running";
        QVERIFY(QDir().mkpath(killed) && QDir().mkpath(running));
        QLockFile runningLock(running + ".lock");
        QVERIFY(runningLock.tryLock(0));
        QProcess gone;
        gone.start("sh", {"-c", "echo $$"});
        QVERIFY(gone.waitForFinished());
        QByteArray lock = fileBytes(running + ".lock");
        QFile killedLock(killed + ".lock"), killedImage(killed + "/image-a1B2c3");
        lock.replace(0, lock.indexOf('\n'), gone.readAll().trimmed());
        QVERIFY(killedLock.open(QIODevice::WriteOnly) && killedLock.write(lock) == lock.size());
        QVERIFY(killedImage.open(QIODevice::WriteOnly) && killedImage.write(image) == image.size());
        killedLock.close();
        killedImage.close();
        {
            MainWindow w(nullptr, server.origin() + "/fw", quickLimits());
            QCOMPARE(w.installFirmware(&first), 0);
            QVERIFY(!QFileInfo::exists(killed) && QFileInfo::exists(running));
            QCOMPARE(w.installFirmware(&second), 0);
            QCOMPARE(server.requestCount(route) - requestsBefore, 1);

            QCOMPARE(cachedImages().size(), 1);
            QFile kept(cachedImages().first());
            QVERIFY(kept.open(QIODevice::ReadWrite) && kept.seek(image.size() / 2) && kept.write("rot") == 3);
            kept.close();
            QCOMPARE(w.installFirmware(&third), 0);
            QCOMPARE(server.requestCount(route) - requestsBefore, 2);
            for (ASSET_INFORMATION *camera : {&first, &second, &third})
                QVERIFY(fileBytes(camera->Update_Path) == image);
        }
        QCOMPARE(cachedImages(), QStringList());
    }

    void adbPush_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<int>("outcome");
        QTest::newRow("pushed, summary on stderr") << "attached" << 0;
        QTest::newRow("pushed, summary on stdout") << "stdout" << 0;
        QTest::newRow("push refused") << "push-fails" << -1;
        QTest::newRow("no update folder on the camera") << "no folder" << -1;
        QTest::newRow("camera gone") << "detached" << -1;
        QTest::newRow("adb hangs past the time limit") << "hold" << -1;
        QTest::newRow("slow link, within the image's allowance") << "slow" << 0;
        QTest::newRow("adb not installed") << "uninstalled" << -1;
        QTest::newRow("staging folder missing") << "no staging folder" << -4;
    }
    void adbPush()
    {
        QFETCH(QString, situation);
        QFETCH(int, outcome);
        FakeAdb adb;
        adb.attach(situation != "detached");
        if (situation != "no folder")
            QVERIFY(QDir().mkpath(adb.cardPath() + "/DCIM/TZ41LOAD"));
        if (situation == "stdout")
            adb.set("push-output", "stdout");
        if (situation == "push-fails")
            adb.set("push-fails", "");
        const QString staging = scratch.filePath((situation == "no staging folder" ? "missing/" : "") + imageName);
        ASSET_INFORMATION asset = camera(staging);
        asset.ADB_Device = true;
        // 0.5 s, and 1.5 s for every MiB begun: 6.5 s for this image.
        MainWindow w(nullptr, server.origin() + "/fw", quickLimits(1500, {500, 1500}));
        adb.hold(situation == "hold");
        adb.set("delay", situation == "slow" ? "2" : "");
        if (situation == "uninstalled")
            adb.uninstall();

        QCOMPARE(w.installFirmware(&asset), outcome);
        adb.hold(false);
        QCOMPARE(QDir(scratch.path()).entryList({imageName + "*"}, QDir::AllEntries | QDir::Hidden), QStringList());
        QCOMPARE(fileBytes(adb.cardPath() + "/DCIM/TZ41LOAD/" + imageName) == image, outcome == 0);
        QCOMPARE(adb.count("push " + staging + "."),
                 situation == "uninstalled" || outcome == -4 ? 0 : 1);
    }

    void runProcessReturnsStandardOutputOnly()
    {
        MainWindow w(nullptr, server.origin() + "/fw", quickLimits());
        QCOMPARE(w.runProcess("sh", {"-c", "printf out; printf err >&2"}), QByteArray("out"));
        QCOMPARE(w.runProcess("no-such-program-anywhere", {"x"}), QByteArray());
    }
};

VEK_TEST_MAIN_WITH_MOUNTS(InstallFirmwareTest)
#include "tst_installfirmware.moc"
