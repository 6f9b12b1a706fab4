// The run's image cache, seen from installFirmware: what the server is asked for
// when several cameras of a model are updated, and what happens to a bad copy.

#include "app/mainwindow.h"
#include "httpsserver.h"
#include "updatefixture.h"

#include <QDirIterator>
#include <QtTest>

namespace {
const QString code = QStringLiteral("TZ22");
const QString imageRoute = QStringLiteral("/fw/TZ2200.bin");

// The images the cache keeps below a temporary folder.
QStringList cachedFiles(const QString &temporaryFolder)
{
    QStringList files;
    QDirIterator it(temporaryFolder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    return files;
}
}

class FirmwareCacheTest : public QObject
{
    Q_OBJECT

    HttpsServer server;
    QTemporaryDir scratch;
    MountSandbox mounts;
    QByteArray savedTemporaryFolder;
    int cardNumber = 0;
    const QByteArray image = firmwareImage(2 * 1024 * 1024 + 7, 22);

    QString newCard()
    {
        QString why;
        const QString imagePath =
            mountCard(mounts, scratch, "card" + QString::number(++cardNumber), code, 8 * 1024 * 1024, true, &why);
        if (imagePath.isEmpty())
            qWarning("no card: %s", qPrintable(why));
        return imagePath;
    }

    ASSET_INFORMATION camera(const QString &imagePath, const QByteArray &published)
    {
        return cameraRecord("TZ2200", code, server.url(imageRoute), checksumOf(published), imagePath);
    }

private slots:
    void initTestCase()
    {
        HttpsServer::trustTestCertificate();
        QString why;
        QVERIFY2(server.start(&why), qPrintable(why));
    }

    // Each test gets a private temporary folder, so that it can find the cache's files.
    void init()
    {
        savedTemporaryFolder = qgetenv("TMPDIR");
        const QString folder = scratch.filePath("tmp" + QString::number(++cardNumber));
        QVERIFY(QDir().mkpath(folder));
        qputenv("TMPDIR", QFile::encodeName(folder));
        server.serve(imageRoute, image);
    }
    void cleanup() { qputenv("TMPDIR", savedTemporaryFolder); }

    void secondCameraOfAModelNeedsNoDownload()
    {
        VEK_REQUIRE_MOUNTS();
        const int requestsBefore = server.requestCount(imageRoute);
        const QString first = newCard(), second = newCard();
        ASSET_INFORMATION firstCamera = camera(first, image), secondCamera = camera(second, image);
        {
            MainWindow w(nullptr, server.origin() + "/fw");
            QCOMPARE(w.installFirmware(&firstCamera), 0);
            QCOMPARE(w.installFirmware(&secondCamera), 0);
            QVERIFY(fileBytes(first) == image);
            QVERIFY(fileBytes(second) == image);
            QCOMPARE(server.requestCount(imageRoute) - requestsBefore, 1);
        }
        QCOMPARE(cachedFiles(qEnvironmentVariable("TMPDIR")), QStringList());
    }

    void corruptedCopyIsFetchedAgain()
    {
        VEK_REQUIRE_MOUNTS();
        const int requestsBefore = server.requestCount(imageRoute);
        const QString first = newCard(), second = newCard();
        ASSET_INFORMATION firstCamera = camera(first, image), secondCamera = camera(second, image);
        MainWindow w(nullptr, server.origin() + "/fw");
        QCOMPARE(w.installFirmware(&firstCamera), 0);

        const QStringList kept = cachedFiles(qEnvironmentVariable("TMPDIR"));
        QCOMPARE(kept.size(), 1);
        QFile copy(kept.first());
        QVERIFY(copy.open(QIODevice::ReadWrite));
        copy.seek(image.size() / 2);
        copy.write("rot");
        copy.close();

        QCOMPARE(w.installFirmware(&secondCamera), 0);
        QVERIFY(fileBytes(second) == image);
        QCOMPARE(server.requestCount(imageRoute) - requestsBefore, 2);
    }

    void mismatchedImageIsNeverKept()
    {
        VEK_REQUIRE_MOUNTS();
        const int requestsBefore = server.requestCount(imageRoute);
        const QString card = newCard();
        ASSET_INFORMATION published = camera(card, firmwareImage(100, 5));
        MainWindow w(nullptr, server.origin() + "/fw");

        QCOMPARE(w.installFirmware(&published), -5);
        QCOMPARE(w.installFirmware(&published), -5);
        QCOMPARE(server.requestCount(imageRoute) - requestsBefore, 2);
        QCOMPARE(cachedFiles(qEnvironmentVariable("TMPDIR")), QStringList());
        QVERIFY(!QFileInfo::exists(card));
    }
};

VEK_TEST_MAIN_WITH_MOUNTS(FirmwareCacheTest)
#include "tst_firmwarecache.moc"
