// installFirmware against a real loopback HTTPS server and real tmpfs cards: every
// outcome, and what each one leaves on the card.

#include "app/mainwindow.h"
#include "catalogue/networkrequest.h"
#include "httpsserver.h"
#include "updatefixture.h"

#include <QProcess>
#include <QtTest>

namespace {
const QString code = QStringLiteral("TZ41");
const QByteArray oldImage = "the image the camera got last time";
}

class InstallFirmwareTest : public QObject
{
    Q_OBJECT

    HttpsServer server;
    QTemporaryDir scratch;
    MountSandbox mounts;
    int cardNumber = 0;
    const QByteArray image = firmwareImage(3 * 1024 * 1024 + 123);

    // A fresh card holding an earlier image; skips the test when cards cannot be mounted.
    QString cardWithOldImage(qint64 sizeBytes = 16 * 1024 * 1024, bool withUpdateFolder = true)
    {
        QString why;
        const QString imagePath = mountCard(mounts, scratch, QString::number(++cardNumber), code, sizeBytes,
                                            withUpdateFolder, &why);
        if (imagePath.isEmpty() || (withUpdateFolder && !writeFile(imagePath, oldImage)))
            qWarning("no card: %s", qPrintable(why));
        return imagePath;
    }

    ASSET_INFORMATION record(const QString &path, const QString &updatePath, const QByteArray &published)
    {
        return cameraRecord("TZ4100", code, server.url(path), checksumOf(published), updatePath);
    }

private slots:
    void initTestCase()
    {
        HttpsServer::trustTestCertificate();
        QString why;
        QVERIFY2(server.start(&why), qPrintable(why));
        server.serve("/fw/TZ4100.bin", image);
        setNetworkIdleTimeoutMs(1500);
    }

    void imageReplacesTheOldOneWhole_data()
    {
        QTest::addColumn<bool>("lowerCaseChecksum");
        QTest::addColumn<bool>("redirected");
        QTest::newRow("upper-case checksum") << false << false;
        QTest::newRow("lower-case checksum") << true << false;
        QTest::newRow("https redirect followed") << false << true;
    }
    void imageReplacesTheOldOneWhole()
    {
        VEK_REQUIRE_MOUNTS();
        QFETCH(bool, lowerCaseChecksum);
        QFETCH(bool, redirected);
        const QString imagePath = cardWithOldImage();
        server.redirect("/fw/moved.bin", server.url("/fw/TZ4100.bin"));
        ASSET_INFORMATION asset = record(redirected ? "/fw/moved.bin" : "/fw/TZ4100.bin", imagePath, image);
        if (lowerCaseChecksum)
            asset.Checksum = asset.Checksum.toLower();
        MainWindow w(nullptr, server.origin() + "/fw");

        QCOMPARE(w.installFirmware(&asset), 0);
        QVERIFY(fileBytes(imagePath) == image);
        QCOMPARE(filesIn(QFileInfo(imagePath).path()), QStringList(code + "UPDT.BIN"));
    }

    void failuresLeaveTheCardAsItWas_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("checksumForm");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("logLine");
        const QString failure = QStringLiteral("^Failure \".*\"  Error: QNetworkReply::%1$");
        QTest::newRow("empty link") << "" << "right" << -2 << "^Failure - Destination is empty$";
        QTest::newRow("HTTP error") << "/fw/gone.bin" << "right" << -3 << failure.arg("ContentNotFoundError");
        QTest::newRow("unreachable host") << "https://127.0.0.1:1/fw/TZ4100.bin" << "right" << -3
                                          << failure.arg("ConnectionRefusedError");
        QTest::newRow("unusable link") << " " << "right" << -3 << failure.arg("\\w+");
        QTest::newRow("stalled server") << "/fw/stalled.bin" << "right" << -3 << failure.arg("OperationCanceledError");
        QTest::newRow("dropped connection") << "/fw/dropped.bin" << "right" << -3
                                            << failure.arg("RemoteHostClosedError");
        QTest::newRow("redirect to http") << "/fw/insecure.bin" << "right" << -3 << failure.arg("InsecureRedirectError");
        QTest::newRow("checksum mismatch") << "/fw/TZ4100.bin" << "another image's" << -5 << "";
        QTest::newRow("checksum a digit short") << "/fw/TZ4100.bin" << "short" << -5 << "";
        QTest::newRow("checksum with a blank") << "/fw/TZ4100.bin" << "padded" << -5 << "";
    }
    void failuresLeaveTheCardAsItWas()
    {
        VEK_REQUIRE_MOUNTS();
        QFETCH(QString, link);
        QFETCH(QString, checksumForm);
        QFETCH(int, outcome);
        QFETCH(QString, logLine);
        server.failWithStatus("/fw/gone.bin", 404);
        server.stallAfter("/fw/stalled.bin", image, 1000);
        server.dropAfter("/fw/dropped.bin", image, image.size() / 2);
        server.redirect("/fw/insecure.bin", "http://127.0.0.1:" + QString::number(server.port()) + "/fw/TZ4100.bin");
        const QString imagePath = cardWithOldImage();
        ASSET_INFORMATION asset = record("", imagePath, checksumForm == "right" ? image : oldImage);
        if (checksumForm == "short" || checksumForm == "padded")
            asset.Checksum = checksumForm == "short" ? checksumOf(image).chopped(1) : " " + checksumOf(image);
        asset.Link = link.startsWith('/') ? server.url(link) : link;
        MainWindow w(nullptr, server.origin() + "/fw");
        const int requestsBefore = server.requestLog().size();
        if (!logLine.isEmpty())
            QTest::ignoreMessage(QtDebugMsg, QRegularExpression(logLine));

        QCOMPARE(w.installFirmware(&asset), outcome);
        QCOMPARE(fileBytes(imagePath), oldImage);
        QCOMPARE(filesIn(QFileInfo(imagePath).path()), QStringList(code + "UPDT.BIN"));
        if (outcome == -2)
            QCOMPARE(server.requestLog().size(), requestsBefore);
    }

    void unwritableDestinations_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::newRow("no update folder") << "missing folder";
        QTest::newRow("read-only card") << "read-only";
        QTest::newRow("card too small") << "small";
        QTest::newRow("no destination known") << "empty";
    }
    void unwritableDestinations()
    {
        VEK_REQUIRE_MOUNTS();
        QFETCH(QString, destination);
        const bool hasFolder = destination != "missing folder";
        const QString imagePath = cardWithOldImage(destination == "small" ? 2 * 1024 * 1024 : 16 * 1024 * 1024, hasFolder);
        QVERIFY(!imagePath.isEmpty());
        if (destination == "read-only") {
            QString why;
            QVERIFY2(mounts.remountReadOnly(scratch.filePath(QString::number(cardNumber)), &why), qPrintable(why));
        }
        ASSET_INFORMATION asset = record("/fw/TZ4100.bin", destination == "empty" ? QString() : imagePath, image);
        MainWindow w(nullptr, server.origin() + "/fw");

        QCOMPARE(w.installFirmware(&asset), -4);
        if (hasFolder) {
            QCOMPARE(fileBytes(imagePath), oldImage);
            QCOMPARE(filesIn(QFileInfo(imagePath).path()), QStringList(code + "UPDT.BIN"));
        } else {
            QVERIFY(!QFileInfo::exists(QFileInfo(imagePath).path()));
        }
    }

    // A card whose reads return other bytes than were written: a FUSE file system that
    // inverts the first byte of every read of a file named like the image.
    void cardThatReadsBackOtherBytes_data()
    {
        QTest::addColumn<QString>("corruptedName");
        QTest::addColumn<int>("outcome");
        QTest::newRow("corrupting card") << "UPDT" << -4;
        QTest::newRow("same card, honest") << "nothing-is-named-so" << 0;
    }
    void cardThatReadsBackOtherBytes()
    {
        VEK_REQUIRE_MOUNTS();
#ifndef VEK_CORRUPTING_CARD
        QSKIP("the corrupting card needs libfuse3, which the build did not find");
#else
        QFETCH(QString, corruptedName);
        QFETCH(int, outcome);
        const QString backingImagePath = cardWithOldImage();
        const QString backing = scratch.filePath(QString::number(cardNumber));
        const QString mountPoint = scratch.filePath("fuse" + QString::number(cardNumber));
        QVERIFY(QDir().mkpath(mountPoint));
        QProcess card;
        card.setProcessChannelMode(QProcess::ForwardedChannels);
        card.start(VEK_CORRUPTING_CARD, {backing, mountPoint, corruptedName});
        const QString imagePath = mountPoint + backingImagePath.mid(backing.size());
        if (!QTest::qWaitFor([&] { return QFileInfo::exists(imagePath) || card.state() == QProcess::NotRunning; }, 10000)
            || card.state() == QProcess::NotRunning)
            QSKIP("cannot mount a FUSE file system here");
        ASSET_INFORMATION asset = record("/fw/TZ4100.bin", imagePath, image);
        MainWindow w(nullptr, server.origin() + "/fw");

        const int result = w.installFirmware(&asset);
        card.terminate();
        QVERIFY(card.waitForFinished(10000));
        QCOMPARE(result, outcome);
        QCOMPARE(fileBytes(backingImagePath), outcome == 0 ? image : oldImage);
        QCOMPARE(filesIn(QFileInfo(backingImagePath).path()), QStringList(code + "UPDT.BIN"));
#endif
    }

    void runProcessReturnsStandardOutput()
    {
        MainWindow w(nullptr, server.origin() + "/fw");
        QCOMPARE(w.runProcess("sh", {"-c", "printf out; printf err >&2"}), QByteArray("out"));
        QCOMPARE(w.runProcess("sh -c \"printf 'two words'\"", {}), QByteArray("two words"));
        QCOMPARE(w.runProcess("no-such-program-anywhere", {"x"}), QByteArray());
    }
};

VEK_TEST_MAIN_WITH_MOUNTS(InstallFirmwareTest)
#include "tst_installfirmware.moc"
