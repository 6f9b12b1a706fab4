// An update as the user runs it, against the loopback server, tmpfs cards and the scripted
// adb: each outcome's box, what card, workstation and server see, and the progress window.

#include "fake-adb/fakeadb.h"
#include "httpsserver.h"
#include "messageboxwatcher.h"
#include "testkit.h"

#include <QDirIterator>
#include <QLockFile>
#include <QProgressDialog>
#include <QPushButton>
#include <QSslConfiguration>
#include <QtTest>

namespace {
const QByteArray oldImage = "the image the camera got last time";
const QString persists = "\nIf error persists, contact customer support for more information.";
const QString unreachable = "The required link cannot be reached. BASE could be experiencing issues." + persists;
const QString notWritable =
    "Device is currently not writable.\nEnsure the SD card is not full or corrupted and try again." + persists;
const QString mismatch = "Firmware file downloaded but checksum mismatch occured.\nPlease ensure you have proper "
                         "internet connection and try again." + persists;
const QString installed = "Please disconnect the USB to finish the update process.";
const QString upToDate = "The device selected is up to date.";

// A file an earlier write left, last written ageSecs ago.
bool leftover(const QString &path, int ageSecs = 3600)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(oldImage) == oldImage.size() && file.flush()
           && file.setFileTime(QDateTime::currentDateTime().addSecs(-ageSecs), QFileDevice::FileModificationTime);
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
    QString cardRoot() const { return scratch.filePath("card" + QString::number(cards)); }
    // A tmpfs card holding the image of an earlier update; returns where the image goes.
    QString card(qint64 size = 16 << 20, bool withUpdateFolder = true)
    {
        ++cards;
        const QString root = cardRoot(),
                      path = mountCard(root, size) ? makeCard(root, "TZ41", "5.910\n", withUpdateFolder) : QString();
        return !withUpdateFolder || writeFile(path, oldImage) ? path : QString();
    }
    ASSET_INFORMATION record(const QString &updatePath)
    {
        ASSET_INFORMATION asset = camera("TZ4100", "TZ41", "5.910", updatePath);
        asset.Link = server.url("/fw/TZ4100.bin");
        asset.Checksum = checksumOf(image);
        return asset;
    }
    QStringList cachedImages() const
    {
        QStringList files;
        QDirIterator it(scratch.filePath("tmp/vek-updater"), {"image-*"}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next();
        return files;
    }
    // Runs the update command; checks its one box and the cursor under it. The title
    // follows from the text, as the model code or name is the device's.
    void update(MainWindow &w, ASSET_INFORMATION &asset, const QString &text, QString title = {})
    {
        if (title.isEmpty())
            title = text == installed ? "TZ4100 - Update Successful"
                    : text == upToDate ? "TZ4100 - No Update Required" : "TZ41 - Update Error";
        MessageBoxWatcher watcher;
        Qt::CursorShape cursorUnderBox = Qt::BitmapCursor;
        watcher.setOnShown([&](const MessageBoxWatcher::SeenBox &) { cursorUnderBox = w.cursor().shape(); });
        w.updateDevice(&asset);
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
        // The cache keeps its images below here, where the tests can see them.
        QVERIFY(QDir().mkpath(scratch.filePath("tmp")));
        qputenv("TMPDIR", QFile::encodeName(scratch.filePath("tmp")));
    }

    void cleanup()
    {
        const QStringList mounted = QDir(scratch.path()).entryList({"card*"}, QDir::Dirs) << "tmp/vek-updater";
        for (const QString &root : mounted)
            pullCard(scratch.filePath(root));
    }

    void oneCamera_data()
    {
        QTest::addColumn<QString>("link"); // a route on the server, or a link as it is
        QTest::addColumn<QString>("text"); // of the box; its title follows from it
        QTest::addColumn<QString>("logLine");
        const QString failed = "^Failure \"%1.*\"  Error: QNetworkReply::%2$",
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
        QTest::newRow("bare path") << "/etc/hostname" << unreachable << refused.arg("it names no scheme");
        QTest::newRow("temporary folder full") << "/fw/TZ4100.bin" << unreachable
                                               << "^Failure - the workstation's temporary folder cannot hold";
        QTest::newRow("truncated body") << "/fw/truncated.bin" << mismatch << "";
        for (const char *row : {"wrong checksum", "checksum a digit short", "checksum with a blank"})
            QTest::newRow(row) << "/fw/TZ4100.bin" << mismatch << "";
        for (const char *row : {"no update folder", "read-only card", "card full", "update folder links off the card"})
            QTest::newRow(row) << "/fw/TZ4100.bin" << notWritable << "";
        // A FUSE card that inverts the first byte read of the image: only reading it back can tell.
        QTest::newRow("FUSE card reading back other bytes") << "/fw/TZ4100.bin" << notWritable << "";
        QTest::newRow("FUSE card, honest") << "/fw/TZ4100.bin" << installed << "";
        // A server silent for a day: only the pull can end this update.
        QTest::newRow("card pulled mid-download") << "/fw/stalled.bin" << notWritable << "^Failure";
    }
    void oneCamera()
    {
        QFETCH(QString, link);
        QFETCH(QString, text);
        QFETCH(QString, logLine);
        const QString situation = QTest::currentDataTag();
        const bool noFolder = situation == "no update folder", pulled = situation.startsWith("card pulled");
        const QString imagePath = card(situation == "card full" ? 2 << 20 : 16 << 20, !noFolder);
        const QString folder = QFileInfo(imagePath).path(), root = cardRoot();
        ASSET_INFORMATION asset = record(imagePath);
        asset.Link = link.startsWith("/fw/") ? server.url(link) : link;
        const QMap<QString, QString> checksums{{"lower-case checksum", asset.Checksum.toLower()},
                                               {"wrong checksum", checksumOf(oldImage)},
                                               {"checksum a digit short", asset.Checksum.chopped(1)},
                                               {"checksum with a blank", " " + asset.Checksum}};
        asset.Checksum = checksums.value(situation, asset.Checksum);
        if (situation == "up to date")
            asset.Device_Version = asset.Version;
        if (situation == "temporary folder full")
            QVERIFY(mountCard(scratch.filePath("tmp/vek-updater"), 1 << 20));
        if (situation == "read-only card")
            QVERIFY(remountCard(root, true));
        const QSslConfiguration trusted = QSslConfiguration::defaultConfiguration();
        const auto trustAgain = qScopeGuard([&] { QSslConfiguration::setDefaultConfiguration(trusted); });
        if (situation == "CA store without a bundle file") {
            const QString store = scratch.filePath("ca-store");
            QVERIFY(QDir().mkpath(store) && QFile::copy(VEK_TEST_SUPPORT_DIR "/certs/test-server.crt", store + "/test.pem"));
            QVERIFY(QFile::link("test.pem", store + "/17615282.0")); // openssl x509 -subject_hash
            QVERIFY(::mount(QFile::encodeName(store).constData(), "/etc/ssl/certs", nullptr, MS_BIND, nullptr) == 0);
            QSslConfiguration::setDefaultConfiguration(untouched);
        }
        const auto storeBack = qScopeGuard([&] {
            if (situation == "CA store without a bundle file")
                ::umount2("/etc/ssl/certs", MNT_DETACH);
        });
        if (situation == "certificate not trusted") {
            QSslConfiguration systemRootsOnly = trusted;
            systemRootsOnly.setCaCertificates({});
            QSslConfiguration::setDefaultConfiguration(systemRootsOnly);
        }
        // Left by writes the card was pulled from: one an hour ago, one maybe still running.
        QStringList kept("TZ41UPDT.BIN");
        if (situation == "leftovers") {
            QVERIFY(leftover(imagePath + ".a1B2c3") && leftover(imagePath + ".x9Y8z7", 0));
            kept << "TZ41UPDT.BIN.x9Y8z7";
        }
        // Off the card, where an hour-old file looks like a leftover.
        if (situation == "update folder links off the card") {
            const QString elsewhere = scratch.filePath("elsewhere");
            QVERIFY(QDir(folder).removeRecursively() && QDir().mkpath(elsewhere) && QFile::link(elsewhere, folder));
            QVERIFY(leftover(imagePath) && leftover(imagePath + ".a1B2c3"));
            kept << "TZ41UPDT.BIN.a1B2c3";
        }
        QProcess fuse; // the card as the corrupting mirror shows it
        if (situation.startsWith("FUSE card")) {
#ifndef VEK_CORRUPTING_CARD
            QSKIP("the corrupting card needs libfuse3, which the build did not find");
#else
            QVERIFY(QDir().mkpath(root + "-fuse"));
            fuse.start(VEK_CORRUPTING_CARD, {root, root + "-fuse", situation.endsWith("honest") ? "nothing" : "UPDT"});
            asset.Update_Path = root + "-fuse" + imagePath.mid(root.size());
            if (!QTest::qWaitFor([&] { return QFileInfo::exists(asset.Update_Path); }))
                QSKIP("cannot mount a FUSE file system here");
#endif
        }
        const int idleMs = situation == "stall" ? 1500 : pulled ? 24 * 3600 * 1000 : 15000;
        MainWindow w(nullptr, base(), {{4 << 20, situation == "trickle" ? 1000 : 60000, 64 << 10, idleMs}, {}});
        // The poll cycle, finding the card gone, forgets where the camera's image goes.
        if (pulled)
            QTimer::singleShot(300, &w, [&] { pullCard(root), asset.Update_Path.clear(); });
        if (!logLine.isEmpty())
            QTest::ignoreMessage(QtDebugMsg, QRegularExpression(logLine));
        const int requestsBefore = server.requestLog().size();

        update(w, asset, text);
        const bool success = text == installed;
        QVERIFY(pulled || fileBytes(imagePath) == (success ? image : noFolder ? QByteArray() : oldImage));
        QVERIFY(pulled || filesIn(folder) == (noFolder ? QStringList() : kept));
        if (text != notWritable) // an image that a card refused may be kept for the next
            QCOMPARE(cachedImages().isEmpty(), !success);
        if (!link.startsWith("/fw/") || situation == "up to date")
            QCOMPARE(server.requestLog().size(), requestsBefore);
        fuse.terminate(), fuse.waitForFinished(); // unmounts
    }

    // The run's cache serves the second camera and fetches a rotten copy again; at start
    // it removes what a dead run kept and leaves a live run's alone.
    void cache()
    {
        const int requestsBefore = server.requestCount("/fw/TZ4100.bin");
        ASSET_INFORMATION cameras[] = {record(card()), record(card()), record(card())};
        const QString runs = scratch.filePath("tmp/vek-updater"), dead = runs + "/run-dead", live = runs + "/run-live";
        QVERIFY(QDir().mkpath(dead) && QDir().mkpath(live) && writeFile(dead + "/image-a1B2c3", image));
        QLockFile liveLock(live + ".lock");
        QVERIFY(liveLock.tryLock(0));
        QByteArray lock = fileBytes(live + ".lock"); // as if by a process above any pid_max: one gone
        QVERIFY(writeFile(dead + ".lock", lock.replace(0, lock.indexOf('\n'), "4194305")));
        {
            MainWindow w(nullptr, base(), quickLimits());
            for (int i = 0; i < 3; ++i) {
                if (i == 2) { // the copy gone bad since
                    QFile kept(cachedImages().value(0));
                    QVERIFY(kept.open(QIODevice::ReadWrite) && kept.seek(image.size() / 2) && kept.write("rot") == 3);
                }
                update(w, cameras[i], installed);
                QVERIFY(fileBytes(cameras[i].Update_Path) == image);
                QCOMPARE(server.requestCount("/fw/TZ4100.bin") - requestsBefore, i == 2 ? 2 : 1);
            }
            QVERIFY(!QFileInfo::exists(dead) && QFileInfo::exists(live));
        }
        QCOMPARE(cachedImages(), QStringList());
    }

    void adbPush_data()
    {
        // Also the scripted adb's "push" setting, by its first word.
        QTest::addColumn<bool>("pushed");
        for (const char *row : {"stderr summary", "stdout summary", "slow, within the time the image's size allows"})
            QTest::newRow(row) << true;
        for (const char *row : {"fails", "hangs", "crash-at-100", "vanish", "not installed"})
            QTest::newRow(row) << false;
    }
    // The staging file has a name of its own per update and is always removed.
    void adbPush()
    {
        QFETCH(bool, pushed);
        const QString situation = QTest::currentDataTag();
        FakeAdb adb;
        adb.attach(true);
        QVERIFY(QDir().mkpath(adb.cardPath() + "/DCIM/TZ41LOAD"));
        adb.set("push", situation.toUtf8());
        const QString staging = QDir::current().filePath("TZ41UPDT.BIN");
        ASSET_INFORMATION asset = record(staging);
        asset.ADB_Device = true;
        // 0.5 s, and 1.5 s for every MiB begun: 6.5 s for this image.
        MainWindow w(nullptr, base(), quickLimits(1500, {500, 1500}));
        adb.hold(situation == "hangs");
        adb.set("delay", situation.startsWith("slow") ? "2" : "");
        if (situation == "not installed")
            adb.uninstall();

        update(w, asset, pushed ? installed : "A problem occurred during the firmware upgrade.",
               pushed ? "" : "TZ4100 - Update Error - -1");
        adb.hold(false);
        QCOMPARE(QDir::current().entryList({"TZ41UPDT.BIN*"}, QDir::AllEntries | QDir::Hidden), QStringList());
        QCOMPARE(fileBytes(adb.cardPath() + "/DCIM/TZ41LOAD/TZ41UPDT.BIN") == image, pushed);
        QCOMPARE(adb.count("push " + staging + "."), situation == "not installed" ? 0 : 1);
    }

    // Update All takes the cameras in list order, each with its box; the progress window
    // tells camera, step, amount and a stall; Escape, a double-click or Update All start
    // nothing while an update runs; a window closed during Update All touches no more.
    void updateAll()
    {
        const QByteArray small = firmwareImage(256 * 1024, 3), other = firmwareImage(256 * 1024, 4);
        server.serveSlowly("/all/slow.bin", small, 16 * 1024, 100);
        server.serveSlowly("/all/uncached.bin", other, 16 * 1024, 100);
        server.serve("/all/image.bin", small);
        server.stallAfter("/all/stalled.bin", small, 64 * 1024);
        std::vector<ASSET_INFORMATION> cameras;
        const QStringList models{"TZ2200", "TZ4100", "TZ5500", "TZ7000"}, codes{"TZ22", "TZ41", "TZ55", "TZ7K"},
                          routes{"slow", "gone", "image", "stalled"};
        for (int i = 0; i < 4; ++i) {
            const QString imagePath = makeCard(scratch.filePath(models[i]), codes[i], "", true);
            cameras.push_back(camera(models[i], codes[i], "5.910", imagePath));
            cameras.back().Link = server.url("/all/" + routes[i] + ".bin");
            cameras.back().Checksum = checksumOf(small);
        }
        cameras[0].Device_Brand = "ORVA";
        cameras[2].Device_Version = cameras[2].Version;
        MainWindow w(nullptr, base(), quickLimits(4500));
        w.show();
        auto *updateAll = w.findChild<QPushButton *>("pushButton");
        for (ASSET_INFORMATION &device : cameras)
            w.handleDetection(&device);
        MessageBoxWatcher watcher;
        QStringList seen;
        bool meddled = false, progressStayed = false;
        QTimer look;
        connect(&look, &QTimer::timeout, this, [&] {
            auto *dialog = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget());
            if (dialog)
                seen << dialog->labelText();
            if (!dialog || std::exchange(meddled, true))
                return;
            QTest::keyClick(dialog, Qt::Key_Escape);
            progressStayed = dialog->isVisible();
            QMetaObject::invokeMethod(&w, "on_lw_DeviceView_doubleClicked",
                                      Q_ARG(QModelIndex, deviceView(w)->model()->index(3, 0)));
            QTest::mouseClick(updateAll, Qt::LeftButton);
        });
        look.start(50);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^Failure"));
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^Failure"));
        QTest::mouseClick(updateAll, Qt::LeftButton);
        QCOMPARE(watcher.titles(), QStringList({"TZ2200 - Update Successful", "TZ41 - Update Error",
                                                "TZ5500 - No Update Required", "TZ7K - Update Error"}));
        QVERIFY(progressStayed && fileBytes(cameras[0].Update_Path) == small);
        QCOMPARE(server.requestCount("/all/stalled.bin"), 1);
        // In this order; a loaded machine may add a stall notice of its own in between.
        const QString step = "\nDownloading the firmware\n[^|]*",
                      first = QRegularExpression::escape("TZ2200 - 5.910 (ORVA), camera 1 of 4") + step,
                      last = QRegularExpression::escape("TZ7000 - 5.910, camera 4 of 4") + step;
        const QRegularExpression inOrder(first + "B of 256.0 kB.*" + last + "B of 256.0 kB.*" + last + "No data for",
                                         QRegularExpression::DotMatchesEverythingOption);
        QVERIFY2(seen.join('|').contains(inOrder), qPrintable(seen.join(" | ")));

        watcher.clear();
        for (ASSET_INFORMATION &device : cameras)
            device.Device_Version = "5.910";
        cameras[0].Link = server.url("/all/uncached.bin");
        cameras[0].Checksum = checksumOf(other);
        QTimer::singleShot(300, &w, &QWidget::close);
        QTest::mouseClick(updateAll, Qt::LeftButton);
        QCOMPARE(watcher.titles(), QStringList());
        QCOMPARE(server.requestCount("/all/gone.bin"), 1);
    }
};

QTEST_MAIN(UpdateTest)
#include "tst_update.moc"
