// The shared test fixtures are only worth trusting if they do what the tests
// of the product assume: a server a real client accepts and that misbehaves on
// request, a watcher that sees real modal boxes, and mounts the system reports.

#include "cardlayout.h"
#include "httpsserver.h"
#include "messageboxwatcher.h"
#include "mountsandbox.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRandomGenerator>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {
struct Fetched
{
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    int status = 0;
    QByteArray data;
};

Fetched fetch(const QString &url, int transferTimeoutMs = 0)
{
    QNetworkAccessManager manager;
    QNetworkRequest request{QUrl(url)};
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(transferTimeoutMs);
    QNetworkReply *reply = manager.get(request);
    if (!QTest::qWaitFor([reply] { return reply->isFinished(); }, 60000))
        qWarning("fetch: no answer from %s", qPrintable(url));
    Fetched result{reply->error(),
                   reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                   reply->isOpen() ? reply->readAll() : QByteArray()};
    delete reply;
    return result;
}

QByteArray randomBytes(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(size);
    generator.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}
} // namespace

class TestSupport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { HttpsServer::trustTestCertificate(); }

    void serverDeliversBodiesIntact_data();
    void serverDeliversBodiesIntact();
    void serverMisbehavesOnRequest_data();
    void serverMisbehavesOnRequest();
    void serverRedirectsAndLogsRequests();
    void standaloneServerServesDirectoryUntilTerminated();
    void watcherRecordsAndClosesModalBoxes();
    void tmpfsMountsAreRealVolumes_data();
    void tmpfsMountsAreRealVolumes();
};

void TestSupport::serverDeliversBodiesIntact_data()
{
    QTest::addColumn<QString>("route");
    QTest::addColumn<QString>("host");
    QTest::newRow("in memory, by address") << "memory" << "127.0.0.1";
    QTest::newRow("in memory, by name") << "memory" << "localhost";
    QTest::newRow("paced") << "slow" << "127.0.0.1";
    QTest::newRow("from a file") << "file" << "127.0.0.1";
    QTest::newRow("from a directory") << "directory" << "localhost";
}

void TestSupport::serverDeliversBodiesIntact()
{
    QFETCH(QString, route);
    QFETCH(QString, host);
    const QByteArray body = randomBytes(route == "slow" ? 200 * 1024 : 3 * 1024 * 1024 + 17);
    QTemporaryDir files;
    QFile file(files.filePath("image.bin"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(body) == body.size());
    file.close();

    HttpsServer server;
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));
    if (route == "memory")
        server.serve("/image.bin", body);
    else if (route == "slow")
        server.serveSlowly("/image.bin", body, 16 * 1024, 5);
    else if (route == "file")
        server.serveFile("/image.bin", file.fileName());
    else
        server.serveDirectory(files.path());

    const Fetched got = fetch(QStringLiteral("https://%1:%2/image.bin?v=1").arg(host).arg(server.port()));
    QCOMPARE(got.error, QNetworkReply::NoError);
    QCOMPARE(got.status, 200);
    QCOMPARE(got.data.size(), body.size());
    QVERIFY(got.data == body);
    QCOMPARE(server.requestCount("/image.bin"), 1);
}

void TestSupport::serverMisbehavesOnRequest_data()
{
    QTest::addColumn<QString>("behaviour");
    QTest::addColumn<int>("expectedStatus");
    QTest::addColumn<QNetworkReply::NetworkError>("expectedError");
    QTest::newRow("unknown path") << "none" << 404 << QNetworkReply::ContentNotFoundError;
    QTest::newRow("status 500") << "500" << 500 << QNetworkReply::InternalServerError;
    QTest::newRow("status 403") << "403" << 403 << QNetworkReply::ContentAccessDenied;
    QTest::newRow("drop after 1000 bytes") << "drop" << 200 << QNetworkReply::RemoteHostClosedError;
    // The silent routes never finish; the client's inactivity timeout ends them.
    QTest::newRow("stall after 1000 bytes") << "stallAfter" << 200 << QNetworkReply::OperationCanceledError;
    QTest::newRow("stall") << "stall" << 0 << QNetworkReply::OperationCanceledError;
}

void TestSupport::serverMisbehavesOnRequest()
{
    QFETCH(QString, behaviour);
    QFETCH(int, expectedStatus);
    QFETCH(QNetworkReply::NetworkError, expectedError);
    const QByteArray body = randomBytes(64 * 1024);
    HttpsServer server;
    QVERIFY(server.start());
    if (behaviour == "500" || behaviour == "403")
        server.failWithStatus("/file", behaviour.toInt());
    else if (behaviour == "drop")
        server.dropAfter("/file", body, 1000);
    else if (behaviour == "stallAfter")
        server.stallAfter("/file", body, 1000);
    else if (behaviour == "stall")
        server.stall("/file");

    const Fetched got = fetch(server.url("/file"), behaviour.startsWith("stall") ? 1000 : 0);
    QCOMPARE(got.error, expectedError);
    QCOMPARE(got.status, expectedStatus);
    QVERIFY(got.data.size() < body.size());
    QCOMPARE(server.requestLog(), QStringList{"GET /file"});
}

void TestSupport::serverRedirectsAndLogsRequests()
{
    HttpsServer server;
    QVERIFY(server.start());
    server.redirect("/old", server.url("/new"));
    server.serve("/new", "moved here", "text/plain");

    const Fetched got = fetch(server.url("/old"));
    QCOMPARE(got.error, QNetworkReply::NoError);
    QCOMPARE(got.data, QByteArray("moved here"));
    QCOMPARE(server.requestLog(), (QStringList{"GET /old", "GET /new"}));

    server.stop();
    QCOMPARE(server.requestCount("/new"), 1);
}

void TestSupport::standaloneServerServesDirectoryUntilTerminated()
{
    QTemporaryDir base;
    QVERIFY(QDir(base.path()).mkpath("root/sub"));
    const QByteArray body = randomBytes(100 * 1024);
    QFile served(base.filePath("root/sub/image.bin"));
    QVERIFY(served.open(QIODevice::WriteOnly) && served.write(body) == body.size());
    served.close();
    QFile secret(base.filePath("secret.txt"));
    QVERIFY(secret.open(QIODevice::WriteOnly) && secret.write("secret") == 6);
    secret.close();

    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(VEK_HTTPS_SERVER, {"--root", base.filePath("root"), "--port-file",
                                     base.filePath("port")});
    QVERIFY(process.waitForReadyRead(30000));
    const QByteArray port = process.readLine().trimmed();
    QFile portFile(base.filePath("port"));
    QVERIFY(portFile.open(QIODevice::ReadOnly));
    QCOMPARE(portFile.readAll().trimmed(), port);

    const QString origin = "https://127.0.0.1:" + QString::fromLatin1(port);
    const Fetched got = fetch(origin + "/sub/image.bin");
    QCOMPARE(got.error, QNetworkReply::NoError);
    QVERIFY(got.data == body);
    for (const char *escape : {"/../secret.txt", "/%2E%2E/secret.txt", "/sub/%2E%2E/%2E%2E/secret.txt"}) {
        const Fetched outside = fetch(origin + escape);
        QVERIFY2(outside.status == 403 || outside.status == 404, escape);
    }
    QCOMPARE(fetch(origin + "/missing").status, 404);

    ::kill(pid_t(process.processId()), SIGTERM);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
}

void TestSupport::watcherRecordsAndClosesModalBoxes()
{
    QWidget window;
    window.show();
    MessageBoxWatcher watcher;
    watcher.setHoldMs(100);
    bool boxOpenInHook = false;
    // A box shown from under another one, as a poll tick under an open box
    // might: the watcher must still see it and close both.
    watcher.setOnShown([&](const MessageBoxWatcher::SeenBox &box) {
        if (box.title != "E10 - Update Failed")
            return;
        boxOpenInHook = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()) != nullptr;
        QMessageBox::information(nullptr, "Second", "Shown under the first.");
    });
    bool timerRanUnderBox = false;
    QTimer::singleShot(0, [&] { timerRanUnderBox = QApplication::activeModalWidget() != nullptr; });

    const auto answer = QMessageBox::critical(&window, "E10 - Update Failed", "Download failed.");
    QCOMPARE(answer, QMessageBox::Ok);
    QVERIFY(boxOpenInHook);
    QVERIFY(timerRanUnderBox);
    QVERIFY(watcher.waitForBoxes(2));
    const QList<MessageBoxWatcher::SeenBox> boxes = watcher.boxes();
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes[0].icon, QMessageBox::Critical);
    QCOMPARE(boxes[0].title, QString("E10 - Update Failed"));
    QCOMPARE(boxes[0].text, QString("Download failed."));
    QCOMPARE(boxes[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(boxes[0].parent, &window);
    QVERIFY(boxes[0].modal);
    QCOMPARE(boxes[1].icon, QMessageBox::Information);
    QCOMPARE(boxes[1].title, QString("Second"));
    QCOMPARE(boxes[1].parent, nullptr);

    watcher.clear();
    QVERIFY(watcher.boxes().isEmpty());
}

void TestSupport::tmpfsMountsAreRealVolumes_data()
{
    QTest::addColumn<bool>("mountedReadOnly");
    QTest::addColumn<bool>("remountedReadOnly");
    QTest::newRow("writable") << false << false;
    QTest::newRow("remounted read-only") << false << true;
    QTest::newRow("mounted read-only") << true << false;
}

void TestSupport::tmpfsMountsAreRealVolumes()
{
    VEK_REQUIRE_MOUNTS();
    QFETCH(bool, mountedReadOnly);
    QFETCH(bool, remountedReadOnly);
    const bool readOnly = mountedReadOnly || remountedReadOnly;
    QTemporaryDir base;
    const QString card = base.filePath("card");
    QVERIFY(QDir().mkpath(card));
    MountSandbox sandbox;
    QString error;
    QVERIFY2(sandbox.mountTmpfs(card, 4 * 1024 * 1024, mountedReadOnly, &error), qPrintable(error));

    if (mountedReadOnly)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^makeCard: cannot create "));
    const QString image = makeCard(card, "E10", "1.2.3\nORVA\n", true);
    if (mountedReadOnly) {
        QVERIFY(image.isEmpty());
    } else {
        QCOMPARE(image, card + "/DCIM/E10LOAD/E10UPDT.BIN");
        QFile version(card + "/DCIM/100E10/.version");
        QVERIFY(version.open(QIODevice::ReadOnly));
        QCOMPARE(version.readAll(), QByteArray("1.2.3\nORVA\n"));
        QVERIFY(makeCard(card, "E20", QByteArray(), false).endsWith("/DCIM/E20LOAD/E20UPDT.BIN"));
        QVERIFY(QFileInfo(card + "/DCIM/100E20").isDir());
        QVERIFY(!QFile::exists(card + "/DCIM/100E20/.version"));
        QVERIFY(!QFile::exists(card + "/DCIM/E20LOAD"));
    }

    if (remountedReadOnly)
        QVERIFY2(sandbox.remountReadOnly(card, &error), qPrintable(error));
    const auto volumes = QStorageInfo::mountedVolumes();
    const auto volume = std::find_if(volumes.cbegin(), volumes.cend(),
                                     [&](const QStorageInfo &v) { return v.rootPath() == card; });
    QVERIFY(volume != volumes.cend());
    QVERIFY(volume->isValid() && volume->isReady());
    QCOMPARE(volume->isReadOnly(), readOnly);
    QCOMPARE(QFile(card + "/probe").open(QIODevice::WriteOnly), !readOnly);

    QVERIFY2(sandbox.unmount(card, false, &error), qPrintable(error));
    QVERIFY(!QFile::exists(card + "/DCIM"));
}

VEK_TEST_MAIN_WITH_MOUNTS(TestSupport)
#include "tst_support.moc"
