// Updates as the technician runs them, against the loopback server, tmpfs and FUSE cards
// and the scripted adb: each outcome's box, what card, workstation and server see, and
// Update All with cameras side by side.

#include "fake-adb/fakeadb.h"
#include "httpsserver.h"
#include "messageboxwatcher.h"
#include "testkit.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLockFile>
#include <QPushButton>
#include <QSslConfiguration>
#include <QtTest>

#include <csignal>
#include <unistd.h>

namespace {
const QByteArray oldImage = "the image the camera got last time";
const QString persists = "\nIf error persists, contact customer support for more information.";
const QString unreachable = "The required link cannot be reached. BASE could be experiencing issues." + persists;
const QString notWritable =
    "Device is currently not writable.\nEnsure the SD card is not full or corrupted and try again." + persists;
const QString mismatch = "Firmware file downloaded but checksum mismatch occured.\nPlease ensure you have proper "
                         "internet connection and try again." + persists;
const QString workstationFull = "The firmware file cannot be kept on this workstation.\nFree some space on the "
                                "workstation's disk and try again." + persists;
const QString installed = "Please disconnect the USB to finish the update process.";
const QString upToDate = "The device selected is up to date.";
constexpr int boxMs = 30000; // generous, for the sanitizers; a fault fails in that time

// A file an earlier write left, last written ageSecs ago.
bool leftover(const QString &path, int ageSecs = 3600)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(oldImage) == oldImage.size() && file.flush()
           && file.setFileTime(QDateTime::currentDateTime().addSecs(-ageSecs), QFileDevice::FileModificationTime);
}

QPushButton *stopButton()
{
    const QWidget *progress = QApplication::activeModalWidget();
    return progress ? progress->findChild<QPushButton *>() : nullptr;
}
}

class UpdateTest : public QObject
{
    Q_OBJECT
    const QSslConfiguration untouched = QSslConfiguration::defaultConfiguration();
    HttpsServer server;
    QTemporaryDir scratch;
    int cards = 0;
    const QByteArray image = firmwareImage(3 * 1024 * 1024 + 123);

    QString base() const { return server.origin() + "/fw"; }
    FirmwareSource source() const { return *FirmwareSource::fromArgument(base(), nullptr); }
    QString cacheFolder() const { return scratch.filePath("cache/tst_update"); }
    // A tmpfs card holding the image of an earlier update; returns its root.
    QString card(qint64 size = 16 << 20, bool withUpdateFolder = true, const QString &code = "TZ41")
    {
        const QString root = scratch.filePath("card" + QString::number(++cards));
        const QString path = mountCard(root, size) ? makeCard(root, code, "5.910\n", withUpdateFolder) : QString();
        return path.isEmpty() || (withUpdateFolder && !writeFile(path, oldImage)) ? QString() : root;
    }
    AttachedCamera camera(const QString &root, const QString &route = "/fw/TZ4100.bin")
    {
        AttachedCamera tz41 = cardCamera("TZ4100", "TZ41", root);
        tz41.entry.link = server.url(route);
        tz41.entry.checksum = checksumOf(image);
        return tz41;
    }
    QStringList cachedImages() const
    {
        QStringList files;
        QDirIterator it(cacheFolder() + "/runs", QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next();
        return files.filter(QRegularExpression("/run-[^/]*/[0-9A-F]{64}$"));
    }
    // Runs the update command; checks its one box and the cursor under it. The title
    // follows from the text, as the model code or name is the camera's.
    void update(MainWindow &w, const AttachedCamera &camera, const QString &text,
                const std::function<void()> &atBox = {})
    {
        const QString title = text == installed ? "TZ4100 - Update Successful"
                              : text == upToDate ? "TZ4100 - No Update Required" : "TZ41 - Update Error";
        MessageBoxWatcher watcher;
        Qt::CursorShape cursorUnderBox = Qt::BitmapCursor;
        watcher.setOnShown([&](const MessageBoxWatcher::SeenBox &) {
            cursorUnderBox = w.cursor().shape();
            if (atBox)
                atBox();
        });
        w.updateDevice(camera);
        QTRY_COMPARE_WITH_TIMEOUT(watcher.titles().size(), 1, boxMs);
        QTest::qWait(50); // no second box follows
        QCOMPARE(watcher.titles(), QStringList(title));
        const MessageBoxWatcher::SeenBox box = watcher.boxes().first();
        QCOMPARE(box.text, QString(text).replace("BASE", base()));
        QCOMPARE(box.icon, title.contains(" - Update Error") ? QMessageBox::Critical : QMessageBox::Information);
        QVERIFY(box.parent == &w && box.modal && box.buttons == QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(cursorUnderBox, Qt::ArrowCursor);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(server.start());
        server.serve("/fw/TZ4100.bin", image);
        server.route("/fw/gone.bin", {{"status", 404}});
        server.stallAfter("/fw/stalled.bin", image, 1000);
        server.route("/fw/dropped.bin", {{"send", image.size() / 2}}, image);
        server.serve("/fw/truncated.bin", image.left(image.size() / 2));
        server.redirect("/fw/moved.bin", server.url("/fw/TZ4100.bin"));
        server.redirect("/fw/insecure.bin", server.url("/fw/TZ4100.bin").replace("https:", "http:"));
        server.redirect("/fw/loop.bin", server.url("/fw/loop.bin"));
        server.serve("/fw/huge.bin", image + image);
        server.serveSlowly("/fw/trickle.bin", image, 512, 100);
        server.serveSlowly("/fw/slow.bin", image, 256 * 1024, 150);
        qputenv("XDG_CACHE_HOME", QFile::encodeName(scratch.filePath("cache")));
    }

    void cleanup()
    {
        for (int i = 1; i <= cards; ++i)
            pullCard(scratch.filePath("card" + QString::number(i)));
        pullCard(cacheFolder() + "/partial");
        QDir(cacheFolder()).removeRecursively();
    }

    void oneCamera_data()
    {
        QTest::addColumn<QString>("link"); // a route on the server, or a link as it is
        QTest::addColumn<QString>("text"); // of the box; its title follows from it
        QTest::addColumn<QString>("logLine");
        const QString failed = "^Failure %1.*(?:%2)?",
                      refused = failed.arg("Refused the link: %1, only https is used", "ProtocolUnknownError");
        for (const char *row : {"installed", "lower-case checksum", "leftovers"})
            QTest::newRow(row) << "/fw/TZ4100.bin" << installed << "";
        QTest::newRow("https redirect") << "/fw/moved.bin" << installed << "";
        // Trusted as Qt trusts it: by subject hash in the system's folder, with no bundle file.
        QTest::newRow("CA store without a bundle file") << "/fw/TZ4100.bin" << installed << "";
        QTest::newRow("up to date") << "/fw/TZ4100.bin" << upToDate << "";
        QTest::newRow("no link") << "" << "The required link is not populated." + persists << "^Failure";
        QTest::newRow("HTTP error") << "/fw/gone.bin" << unreachable << failed.arg("", "ContentNotFoundError");
        QTest::newRow("unreachable") << "https://127.0.0.1:1/x.bin" << unreachable
                                     << failed.arg("", "ConnectionRefusedError");
        QTest::newRow("stall") << "/fw/stalled.bin" << unreachable << failed.arg("", "OperationCanceledError");
        QTest::newRow("trickle") << "/fw/trickle.bin" << unreachable
                                 << failed.arg("The server sent under ", "OperationCanceledError");
        QTest::newRow("drop") << "/fw/dropped.bin" << unreachable << failed.arg("", "RemoteHostClosedError");
        QTest::newRow("certificate not trusted") << "/fw/TZ4100.bin" << unreachable
                                                 << failed.arg("", "SslHandshakeFailedError");
        QTest::newRow("https to http") << "/fw/insecure.bin" << unreachable << failed.arg("", "InsecureRedirectError");
        QTest::newRow("redirect loop") << "/fw/loop.bin" << unreachable << failed.arg("", "TooManyRedirectsError");
        QTest::newRow("over-size body") << "/fw/huge.bin" << unreachable
                                        << failed.arg("The server sends more than ", "OperationCanceledError");
        QTest::newRow("http link") << "http://127.0.0.1/fw/a.bin" << unreachable << refused.arg("its scheme is http");
        QTest::newRow("file link") << "file:///etc/hostname" << unreachable << refused.arg("its scheme is file");
        QTest::newRow("no scheme") << "127.0.0.1/fw/a.bin" << unreachable << refused.arg("it names no scheme");
        // The workstation's own trouble never keeps the image from a card with room.
        QTest::newRow("workstation disk full") << "/fw/TZ4100.bin" << installed << "";
        QTest::newRow("cache folder of another user") << "/fw/TZ4100.bin" << installed << "";
        QTest::newRow("truncated body") << "/fw/truncated.bin" << mismatch << "";
        for (const char *row : {"wrong checksum", "checksum a digit short", "checksum with a blank"})
            QTest::newRow(row) << "/fw/TZ4100.bin" << mismatch << "";
        for (const char *row : {"no update folder", "read-only card", "card full", "update folder links off the card"})
            QTest::newRow(row) << "/fw/TZ4100.bin" << notWritable << "";
        // A FUSE card that inverts the first byte read of the image: only reading it back can tell.
        QTest::newRow("FUSE card reading back other bytes") << "/fw/TZ4100.bin" << notWritable << "";
        // The image and its folder are on the medium before the box says so.
        QTest::newRow("FUSE card, flushed") << "/fw/TZ4100.bin" << installed << "";
        // A server silent for a day: only the pull can end this update.
        QTest::newRow("card pulled mid-download") << "/fw/stalled.bin" << notWritable << "";
        // Another card in its place: never the old camera's image on it.
        QTest::newRow("card swapped mid-download") << "/fw/slow.bin" << notWritable << "";
    }
    void oneCamera()
    {
        QFETCH(QString, link);
        QFETCH(QString, text);
        QFETCH(QString, logLine);
        const QString situation = QTest::currentDataTag();
        const bool noFolder = situation == "no update folder", pulled = situation.startsWith("card pulled"),
                   swapped = situation.startsWith("card swapped");
        const QString root = card(situation == "card full" ? 2 << 20 : 16 << 20, !noFolder);
        QVERIFY(!root.isEmpty());
        AttachedCamera tz41 = camera(root);
        tz41.entry.link = link.startsWith("/fw/") ? server.url(link) : link;
        const QMap<QString, QString> checksums{{"lower-case checksum", tz41.entry.checksum.toLower()},
                                               {"wrong checksum", checksumOf(oldImage)},
                                               {"checksum a digit short", tz41.entry.checksum.chopped(1)},
                                               {"checksum with a blank", " " + tz41.entry.checksum}};
        tz41.entry.checksum = checksums.value(situation, tz41.entry.checksum);
        // Where the card keeps the image, whatever mirror the camera is seen through.
        const QString imagePath = tz41.imagePath, folder = QFileInfo(imagePath).path();
        if (situation == "up to date")
            tz41.installedVersion = tz41.entry.version;
        if (situation == "workstation disk full")
            QVERIFY(mountCard(cacheFolder() + "/partial", 1 << 20));
        if (situation == "cache folder of another user") {
            QVERIFY(QDir().mkpath(cacheFolder()));
            if (::chown(QFile::encodeName(cacheFolder()).constData(), 4321, 4321) != 0)
                QSKIP("giving a folder to another user needs root outside a user namespace");
        }
        if (situation == "read-only card")
            QVERIFY(remountCard(root, true));
        const QSslConfiguration trusted = QSslConfiguration::defaultConfiguration();
        const auto trustAgain = qScopeGuard([&] {
            QSslConfiguration::setDefaultConfiguration(trusted);
            if (situation == "CA store without a bundle file")
                ::umount2("/etc/ssl/certs", MNT_DETACH);
        });
        if (situation == "CA store without a bundle file") {
            const QString store = scratch.filePath("ca-store");
            QVERIFY(QDir().mkpath(store) && QFile::copy(VEK_TEST_SUPPORT_DIR "/certs/test-server.crt", store + "/test.pem"));
            QVERIFY(QFile::link("test.pem", store + "/17615282.0")); // openssl x509 -subject_hash
            QVERIFY(::mount(QFile::encodeName(store).constData(), "/etc/ssl/certs", nullptr, MS_BIND, nullptr) == 0);
            QSslConfiguration::setDefaultConfiguration(untouched);
        }
        if (situation == "certificate not trusted") {
            QSslConfiguration systemRootsOnly = trusted;
            systemRootsOnly.setCaCertificates({});
            QSslConfiguration::setDefaultConfiguration(systemRootsOnly);
        }
        // Left by writes the card was pulled from: one an hour ago, one maybe still running.
        QStringList kept("TZ41UPDT.BIN");
        if (situation == "leftovers") {
            QVERIFY(leftover(tz41.imagePath + ".a1B2c3") && leftover(tz41.imagePath + ".x9Y8z7", 0));
            kept << "TZ41UPDT.BIN.x9Y8z7";
        }
        // Off the card, where an hour-old file looks like a leftover.
        if (situation == "update folder links off the card") {
            const QString elsewhere = scratch.filePath("elsewhere");
            QVERIFY(QDir(folder).removeRecursively() && QDir().mkpath(elsewhere) && QFile::link(elsewhere, folder));
            QVERIFY(leftover(tz41.imagePath) && leftover(tz41.imagePath + ".a1B2c3"));
            kept << "TZ41UPDT.BIN.a1B2c3";
        }
        QProcess fuse; // the card as the FUSE mirror shows it
        const QString flushes = scratch.filePath("flushes.log");
        QFile::remove(flushes);
        if (situation.startsWith("FUSE card")) {
            const QString option = situation.endsWith("flushed") ? "log=" + flushes : "corrupt=UPDT";
            if (!mountFuseCard(fuse, root, root + "-fuse", {option}))
                QSKIP("cannot mount a FUSE file system here");
            tz41 = camera(root + "-fuse");
        }
        const auto unmount = qScopeGuard([&] { fuse.terminate(), fuse.waitForFinished(); });
        const int idleMs = situation == "stall" ? 1500 : pulled ? 24 * 3600 * 1000 : 15000;
        MainWindow w(nullptr, source(), {{4 << 20, situation == "trickle" ? 1000 : 60000, 64 << 10, idleMs}, {}});
        if (pulled || swapped)
            QTimer::singleShot(300, &w, [&] {
                pullCard(root);
                QVERIFY(!swapped || (mountCard(root) && makeCard(root, "TZ41", "5.910\n", true) == imagePath
                                     && writeFile(imagePath, oldImage)));
            });
        if (!logLine.isEmpty())
            QTest::ignoreMessage(QtDebugMsg, QRegularExpression(logLine));
        const int requestsBefore = server.requestCount();
        QStringList flushedBeforeBox;

        update(w, tz41, text, [&] { flushedBeforeBox = QString(fileBytes(flushes)).split('\n', Qt::SkipEmptyParts); });
        const bool success = text == installed;
        QVERIFY(pulled || fileBytes(imagePath) == (success ? image : noFolder ? QByteArray() : oldImage));
        QVERIFY(pulled || filesIn(folder) == (noFolder ? QStringList() : kept));
        if (situation.endsWith("flushed")) {
            QCOMPARE(flushedBeforeBox.size(), 3);
            QVERIFY(flushedBeforeBox[0].startsWith("fsync /DCIM/TZ41LOAD/TZ41UPDT.BIN."));
            QVERIFY(flushedBeforeBox[1].startsWith("rename /DCIM/TZ41LOAD/TZ41UPDT.BIN."));
            QCOMPARE(flushedBeforeBox[2], QString("fsyncdir /DCIM/TZ41LOAD"));
        }
        if (text != notWritable) // an image that a card refused may be kept for the next
            QCOMPARE(cachedImages().isEmpty(), !success || situation == "workstation disk full"
                                                   || situation == "cache folder of another user");
        if (situation == "cache folder of another user")
            QCOMPARE(QDir(cacheFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
        if (!link.startsWith("/fw/") || situation == "up to date")
            QCOMPARE(server.requestCount(), requestsBefore);
    }

    // The run's cache serves the second camera and fetches a rotten copy again; at start
    // it removes what a dead run kept and leaves a live run's alone.
    void cache()
    {
        const int requestsBefore = server.requestCount("/fw/TZ4100.bin");
        const QString runs = cacheFolder() + "/runs", dead = runs + "/run-dead", live = runs + "/run-live";
        QVERIFY(QDir().mkpath(dead) && QDir().mkpath(live) && writeFile(dead + "/" + checksumOf(image), image));
        QLockFile liveLock(live + ".lock");
        QVERIFY(liveLock.tryLock(0));
        QByteArray lock = fileBytes(live + ".lock"); // as if by a process above any pid_max: one gone
        QVERIFY(writeFile(dead + ".lock", lock.replace(0, lock.indexOf('\n'), "4194305")));
        {
            MainWindow w(nullptr, source(), quickLimits());
            QTRY_VERIFY(!QFileInfo::exists(dead)); // at start, in the background
            QVERIFY(QFileInfo::exists(live));
            for (int i = 0; i < 3; ++i) {
                if (i == 2) { // the copy gone bad since
                    QFile kept(cachedImages().value(0));
                    QVERIFY(kept.open(QIODevice::ReadWrite) && kept.seek(image.size() / 2) && kept.write("rot") == 3);
                }
                const AttachedCamera tz41 = camera(card());
                update(w, tz41, installed);
                QVERIFY(fileBytes(tz41.imagePath) == image);
                QCOMPARE(server.requestCount("/fw/TZ4100.bin") - requestsBefore, i == 2 ? 2 : 1);
            }
        }
        QCOMPARE(cachedImages(), QStringList());
    }

    // A download that broke off goes on from where it stopped, with a range request; a
    // server that ignores ranges still gives a whole image.
    void resume_data()
    {
        QTest::addColumn<bool>("rangesHonoured");
        QTest::newRow("ranges honoured") << true;
        QTest::newRow("ranges ignored") << false;
    }
    void resume()
    {
        QFETCH(bool, rangesHonoured);
        const QString path = rangesHonoured ? "/fw/resumed.bin" : "/fw/whole.bin";
        server.route(path, {{"send", image.size() / 2}}, image);
        const AttachedCamera tz41 = camera(card(), path);
        MainWindow w(nullptr, source(), quickLimits());
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^Failure"));
        update(w, tz41, unreachable);
        server.route(path, {{"ignore_ranges", !rangesHonoured}}, image);
        update(w, tz41, installed);
        QVERIFY(fileBytes(tz41.imagePath) == image);
        QCOMPARE(server.requestLog().contains("GET " + path + " from " + QString::number(image.size() / 2)), true);
        QCOMPARE(server.bytesSent(path), image.size() / 2 + (rangesHonoured ? image.size() - image.size() / 2 : image.size()));
    }

    // With nowhere on the workstation to keep the image, memory holds only the few MiB a
    // slow card lags behind the download, whatever the image's size.
    void memoryStaysFlat()
    {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("AddressSanitizer keeps freed memory in quarantine: its own leak check judges memory here");
#endif
        const QByteArray large = firmwareImage(64 << 20, 5);
        server.serve("/fw/large.bin", large);
        const QString root = card(96 << 20);
        QProcess fuse;
        if (!mountFuseCard(fuse, root, root + "-fuse", {"rate=" + QString::number(24 << 20)}))
            QSKIP("cannot mount a FUSE file system here");
        const auto unmount = qScopeGuard([&] { fuse.terminate(), fuse.waitForFinished(); });
        QVERIFY(mountCard(cacheFolder() + "/partial", 1 << 20));
        AttachedCamera slow = camera(root + "-fuse", "/fw/large.bin");
        slow.entry.checksum = checksumOf(large);
        MainWindow w(nullptr, source(), quickLimits(15000));
        const auto kib = [](const char *field) {
            const QByteArray status = fileBytes("/proc/self/status");
            return QRegularExpression(QString(field) + ":\\s*(\\d+)").match(status).captured(1).toLongLong();
        };
        QVERIFY(writeFile("/proc/self/clear_refs", "5")); // the peak starts from here
        const qint64 before = kib("VmRSS");
        update(w, slow, installed);
        QVERIFY2(kib("VmHWM") - before < 24 * 1024, qPrintable(QString::number(kib("VmHWM") - before) + " KiB more"));
        QVERIFY(fileBytes(root + "/DCIM/TZ41LOAD/TZ41UPDT.BIN") == large);
    }

    void adbPush_data()
    {
        // Also the scripted adb's "push" setting, by its first word.
        QTest::addColumn<QString>("text");
        for (const char *row : {"stderr summary", "stdout summary", "slow, within the time the image's size allows"})
            QTest::newRow(row) << installed;
        for (const char *row : {"fails", "hangs", "crash-at-100", "vanish", "not installed"})
            QTest::newRow(row) << "A problem occurred during the firmware upgrade.";
        QTest::newRow("working folder full") << workstationFull;
        QTest::newRow("stopped during the push") << notWritable;
    }
    // The staging file has a name of its own per update and is always removed.
    void adbPush()
    {
        QFETCH(QString, text);
        const QString situation = QTest::currentDataTag();
        FakeAdb adb;
        adb.attach(true);
        QVERIFY(QDir().mkpath(adb.cardPath() + "/DCIM/TZ41LOAD"));
        adb.set("push", situation.toUtf8());
        QString staging = QDir::current().filePath("TZ41UPDT.BIN");
        if (situation == "working folder full") {
            QVERIFY(mountCard(scratch.filePath("small"), 1 << 20));
            staging = scratch.filePath("small/TZ41UPDT.BIN");
        }
        AttachedCamera tz41 = camera({});
        tz41.route = CameraRoute::Adb;
        tz41.location = "SERIAL1";
        tz41.volumeIdentity.clear();
        tz41.imagePath = staging;
        // 0.5 s, and 1.5 s for every MiB begun: 6.5 s for this image.
        MainWindow w(nullptr, source(), quickLimits(1500, {500, 1500}));
        w.show();
        adb.hold(situation == "hangs");
        adb.set("delay", situation.startsWith("slow") ? "2" : "");
        adb.set("push-seconds", situation.startsWith("stopped") ? "30" : "");
        if (situation == "not installed")
            adb.uninstall();
        if (situation.startsWith("stopped"))
            QTimer::singleShot(2000, &w, [&] {
                if (QPushButton *stop = stopButton())
                    stop->click();
            });

        const QString title = text.startsWith("A problem") ? "TZ4100 - Update Error - -1" : "";
        MessageBoxWatcher watcher;
        w.updateDevice(tz41);
        QTRY_COMPARE_WITH_TIMEOUT(watcher.titles().size(), 1, boxMs);
        QCOMPARE(watcher.boxes()[0].text, text);
        QVERIFY(title.isEmpty() || watcher.titles()[0] == title);
        adb.hold(false);
        pullCard(scratch.filePath("small"));
        QCOMPARE(QDir::current().entryList({"TZ41UPDT.BIN*"}, QDir::AllEntries | QDir::Hidden), QStringList());
        QCOMPARE(fileBytes(adb.cardPath() + "/DCIM/TZ41LOAD/TZ41UPDT.BIN") == image, text == installed);
        QCOMPARE(filesIn(adb.cardPath() + "/DCIM/TZ41LOAD").size(), text == installed ? 1 : 0);
        const bool pushed = situation != "not installed" && situation != "working folder full";
        QCOMPARE(adb.count("-s SERIAL1 push " + staging + "."), int(pushed));
    }

    // Update All runs every camera at once, cameras of one image on one download, and
    // tells each in its box in list order, while the ones below carry on behind a box.
    void updateAll()
    {
        const QByteArray small = firmwareImage(256 * 1024, 3), other = firmwareImage(200 * 1024, 4);
        server.serveSlowly("/all/tz22.bin", small, 32 * 1024, 100);
        server.serve("/all/tz55.bin", other);
        server.route("/all/tz41.bin", {{"status", 404}});
        const auto entry = [&](const QString &route, const QByteArray &bytes) {
            return QJsonObject{{"Version", "5.920"}, {"Link", server.url(route)}, {"Checksum", checksumOf(bytes)}};
        };
        server.serve("/all/vek-updater-config.txt",
                     QJsonDocument(QJsonObject{{"!", 0}, {"TZ2200", entry("/all/tz22.bin", small)},
                                               {"TZ4100", entry("/all/tz41.bin", small)},
                                               {"TZ5500", entry("/all/tz55.bin", other)},
                                               {"TZ7000", entry("/all/tz7k.bin", small)}})
                         .toJson());
        // In the order they are plugged in: three TZ2200, the failing TZ4100, an up-to-date
        // TZ7000, a TZ5500 with an image of its own.
        QStringList roots;
        for (const QString code : {"TZ22", "TZ22", "TZ41", "TZ22", "TZ7K", "TZ55"}) {
            roots << card(16 << 20, true, code);
            if (code == "TZ7K")
                QVERIFY(writeFile(roots.last() + "/DCIM/100TZ7K/.version", "5.920\n"));
        }
        MainWindow w(nullptr, *FirmwareSource::fromArgument(server.origin() + "/all", nullptr), quickLimits(5000));
        w.init();
        w.show();
        QTRY_COMPARE_WITH_TIMEOUT(rows(w).size(), 6, boxMs);
        MessageBoxWatcher watcher;
        QStringList progressLines;
        bool escapeLeftIt = false, lowerWrittenBehindTheBox = false;
        watcher.setOnShown([&](const MessageBoxWatcher::SeenBox &) {
            if (watcher.boxes().size() == 1)
                lowerWrittenBehindTheBox = QTest::qWaitFor([&] {
                    return fileBytes(roots[5] + "/DCIM/TZ55LOAD/TZ55UPDT.BIN") == other;
                }, boxMs);
        });
        QTimer::singleShot(500, &w, [&] {
            QWidget *progress = QApplication::activeModalWidget();
            QVERIFY(progress);
            for (const QLabel *label : progress->findChildren<QLabel *>())
                progressLines << label->text();
            QTest::keyClick(progress, Qt::Key_Escape);
            escapeLeftIt = progress->isVisible();
        });
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^Failure"));
        QTest::mouseClick(w.findChild<QPushButton *>("pushButton"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(watcher.titles().size(), 6, boxMs);
        QCOMPARE(watcher.titles(), QStringList({"TZ2200 - Update Successful", "TZ2200 - Update Successful",
                                                "TZ41 - Update Error", "TZ2200 - Update Successful",
                                                "TZ7000 - No Update Required", "TZ5500 - Update Successful"}));
        QVERIFY(lowerWrittenBehindTheBox && escapeLeftIt);
        QCOMPARE(server.requestCount("/all/tz22.bin"), 1);
        for (const int i : {0, 1, 3})
            QVERIFY(fileBytes(roots[i] + "/DCIM/TZ22LOAD/TZ22UPDT.BIN") == small);
        QCOMPARE(progressLines.filter(QRegularExpression("^TZ2200 - 5.910 \u00b7 ")).size(), 3);
        // The slow image keeps the three on their download; the others may still be on
        // theirs when the machine is slow.
        QVERIFY(progressLines.filter(QRegularExpression("^Downloading the firmware \u00b7 ")).size() >= 3);
        // Each row tells how its camera came out, until it is unplugged.
        QListWidget *view = deviceView(w);
        QVERIFY(view->item(0)->data(Qt::UserRole + 1).toString().endsWith(QString::fromUtf8("updated to 5.920 \u2014 unplug to install")));
        QVERIFY(view->item(2)->data(Qt::UserRole + 1).toString().endsWith("failed: server unreachable"));
    }

    // Two cards of one image written at once: one pulled, or stopped, or the window
    // closed, ends each only as far as it has to, and no card holds a part of an image.
    void stopping_data()
    {
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("second card pulled") << QStringList{"TZ4100 - Update Successful", "TZ41 - Update Error"};
        QTest::newRow("Stop") << QStringList{"TZ41 - Update Error", "TZ41 - Update Error"};
        QTest::newRow("window closed") << QStringList();
        QTest::newRow("second card hangs") << QStringList{"TZ4100 - Update Successful", "TZ41 - Update Error"};
    }
    void stopping()
    {
        QFETCH(QStringList, titles);
        const QString situation = QTest::currentDataTag();
        const QString first = card(), second = card();
        QProcess fuse;
        AttachedCamera hung = camera(second, "/fw/slow.bin");
        if (situation.endsWith("hangs")) {
            if (!mountFuseCard(fuse, second, second + "-fuse"))
                QSKIP("cannot mount a FUSE file system here");
            hung = camera(second + "-fuse", "/fw/slow.bin");
        }
        const auto unmount = qScopeGuard([&] {
            ::kill(pid_t(fuse.processId()), SIGCONT);
            fuse.terminate(), fuse.waitForFinished();
        });
        MessageBoxWatcher watcher;
        auto w = std::make_unique<MainWindow>(nullptr, source(), quickLimits(3000));
        w->show();
        QTimer::singleShot(400, w.get(), [&] {
            if (situation.endsWith("pulled"))
                pullCard(second);
            if (situation == "Stop")
                stopButton()->click();
            if (situation.endsWith("closed"))
                w->close();
            if (situation.endsWith("hangs"))
                ::kill(pid_t(fuse.processId()), SIGSTOP);
        });
        w->installFirmware({camera(first, "/fw/slow.bin"), hung});
        QTRY_COMPARE_WITH_TIMEOUT(watcher.titles(), titles, boxMs);
        QTest::qWait(titles.isEmpty() ? 3000 : 100);
        QCOMPARE(watcher.titles(), titles);
        QCOMPARE(fileBytes(first + "/DCIM/TZ41LOAD/TZ41UPDT.BIN"), titles.value(0).endsWith("Successful") ? image : oldImage);
        if (situation.endsWith("hangs")) {
            w.reset(); // the program ends at once, hung card or not
            ::kill(pid_t(fuse.processId()), SIGCONT);
            QTest::qWait(1000); // the abandoned write, woken, puts nothing in place
            QCOMPARE(fileBytes(second + "/DCIM/TZ41LOAD/TZ41UPDT.BIN"), oldImage);
        }
    }
};

QTEST_MAIN(UpdateTest)
#include "tst_update.moc"
