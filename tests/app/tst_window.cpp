// What only the window does, driven as a technician drives it (mouse, keys, the window
// manager's close): the catalogue it loads or refuses, runs that lock nothing, a box for
// one camera and a summary for several, the failed ones again, and updates as cameras
// are plugged in.

#include "httpsserver.h"
#include "messageboxwatcher.h"
#include "catalogue/truststore.h"
#include "outside/settings.h"
#include "outside/signing.h"
#include "windowkit.h"

#include <QAbstractButton>
#include <QDialog>
#include <QJsonDocument>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSslConfiguration>
#include <QStatusBar>
#include <QTreeWidget>
#include <QtTest>
#include <qpa/qwindowsysteminterface.h>

#include <sys/stat.h>

namespace {
constexpr int waitMs = 30000; // generous, for the sanitizers; a fault fails in that time

QWidget *shownWindow(const QString &title)
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->windowTitle() == title)
            return widget;
    }
    return nullptr;
}
}

class WindowTest : public QObject
{
    Q_OBJECT
    HttpsServer server;
    QTemporaryDir scratch;
    const QByteArray slowImage = firmwareImage(2 << 20, 1), fastImage = firmwareImage(100000, 2);
    int cards = 0;

    QString card(const QString &code, const QByteArray &versionFile = "5.910\n")
    {
        const QString root = scratch.filePath("card" + QString::number(++cards));
        return mountCard(root, 8 << 20) && !makeCard(root, code, versionFile, true).isEmpty() ? root : QString();
    }
    // The window over the test server's catalogue, shown once it has read it.
    std::unique_ptr<MainWindow> window()
    {
        auto w = std::make_unique<MainWindow>(nullptr, *FirmwareSource::fromArgument(server.origin() + "/fw", nullptr),
                                              quickLimits(15000));
        w->init();
        if (!QTest::qWaitFor([&] { return w->isVisible(); }, waitMs))
            qWarning("the window did not show");
        return w;
    }
    static QByteArray image(const QString &root, const QString &code)
    {
        return fileBytes(root + "/DCIM/" + code + "LOAD/" + code + "UPDT.BIN");
    }

private slots:
    void initTestCase()
    {
        QVERIFY(server.start());
        server.serveSlowly("/fw/slow.bin", slowImage, 64 * 1024, 100);
        server.serve("/fw/fast.bin", fastImage);
        // TZ2200 takes a slow image, TZ5500 a fast one, TZ4100 one that is not there at first.
        server.serveCatalogue("/fw/vek-updater-config.txt", {{"TZ2200", "/fw/slow.bin", slowImage},
                                                             {"TZ4100", "/fw/flaky.bin", fastImage},
                                                             {"TZ5500", "/fw/fast.bin", fastImage}});
        server.route("/fw/flaky.bin", {{"status", 404}});
    }

    void cleanup()
    {
        for (int i = 1; i <= cards; ++i)
            pullCard(scratch.filePath("card" + QString::number(i)));
        server.route("/fw/flaky.bin", {{"status", 404}});
        workstationSettings()->clear();
    }

    // Every card its own row, in the order plugged in; a row follows its card's version
    // and leaves with it; a card without a readable version file gets one box per
    // plug-in, and detection goes on under it.
    void rowsFollowCards()
    {
        MessageBoxWatcher watcher;
        auto w = window();
        QStringList expected;
        for (const QByteArray version : {"5.910", "5.917"}) {
            QVERIFY(!card("TZ22", version + "\n").isEmpty());
            expected << " TZ2200 - " + version;
            QTRY_COMPARE_WITH_TIMEOUT(rows(*w), expected, waitMs);
        }
        QVERIFY(writeFile(scratch.filePath("card1/DCIM/100TZ22/.version"), "5.911\n"));
        expected[0] = " TZ2200 - 5.911";
        QTRY_COMPARE_WITH_TIMEOUT(rows(*w), expected, waitMs);
        QVERIFY(deviceView(*w)->item(1)->toolTip().endsWith("Found on: " + scratch.filePath("card2")));
        // A card whose lock switch is on is listed, says so, and is never written.
        const QString locked = card("TZ55");
        QVERIFY(remountCard(locked, true));
        expected << " TZ5500 - 5.910";
        QTRY_COMPARE_WITH_TIMEOUT(rows(*w), expected, waitMs);
        QCOMPARE(rowStates(*w).last(), QString("write-protected \u2014 slide the card's lock switch"));
        watcher.setHoldMs(3000);
        const QString unreadable = card("TZ55", {});
        QTRY_COMPARE_WITH_TIMEOUT(watcher.titles(), QStringList("TZ5500 - Detection Error"), waitMs);
        pullCard(scratch.filePath("card1"));
        pullCard(locked);
        expected.removeFirst();
        expected.removeLast();
        QTRY_COMPARE_WITH_TIMEOUT(rows(*w), expected, waitMs); // while the box is open
        QTest::qWait(4000);
        QCOMPARE(watcher.titles().size(), 1);
        pullCard(unreadable);
        QTest::qWait(2500);
        QVERIFY(mountCard(unreadable, 8 << 20) && !makeCard(unreadable, "TZ55", {}, true).isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(watcher.titles().size(), 2, waitMs);
    }

    void catalogue_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("read") << "read";
        QTest::newRow("just below the size cap") << "15";
        QTest::newRow("over the size cap") << "17";
        QTest::newRow("HTTP error") << "status";
        QTest::newRow("bad JSON") << "badjson";
        QTest::newRow("stall") << "stall";
        QTest::newRow("trickle") << "trickle";
        QTest::newRow("TLS failure") << "untrusted";
        QTest::newRow("from a folder") << "folder";
        QTest::newRow("from a folder without one") << "empty folder";
        QTest::newRow("a FIFO in the folder") << "fifo folder";
        QTest::newRow("an unsigned folder where a key is trusted") << "unsigned folder";
    }
    // Refused, one box says so before the window shows; a source other than the maker's
    // server is named beside the form.
    void catalogue()
    {
        QFETCH(QString, failure);
        const QString path = "/" + failure + "/vek-updater-config.txt";
        // "!" sorts first: the member that is never read pads the file to its size.
        const QByteArray catalogue = "{\"!\": \"" + QByteArray(failure.toInt() << 20, '#')
                                     + "\", \"TZ7600\": {\"Version\": \"3.20\", \"ADB_Device\": true}}";
        QJsonObject plan{{"status", failure == "status" ? 503 : 200}, {"silent", failure == "stall"}};
        if (failure == "trickle") // a byte now and then: never silent, never done
            plan.insert("chunk", 1), plan.insert("interval_ms", 400);
        server.route(path, plan, failure == "badjson" ? catalogue.chopped(2) : catalogue);
        if (failure == "untrusted") {
            QSslConfiguration systemRootsOnly = QSslConfiguration::defaultConfiguration();
            systemRootsOnly.setCaCertificates({});
            QSslConfiguration::setDefaultConfiguration(systemRootsOnly);
        }
        const auto trustAgain = qScopeGuard(&HttpsServer::trustTestCertificate);
        QTemporaryDir folder;
        QVERIFY((failure != "folder" && failure != "unsigned folder")
                || writeFile(folder.filePath("vek-updater-config.txt"), catalogue));
        const QString trustList = TrustStore::defaultUserFolder();
        const auto untrust = qScopeGuard([&] { QDir(trustList).removeRecursively(); });
        QString why;
        QVERIFY(failure != "unsigned folder" || TrustStore().trust(generateSigningKey(&why)->publicPem, "bench", &why));
        QVERIFY(failure != "fifo folder" || ::mkfifo(QFile::encodeName(folder.filePath("vek-updater-config.txt")), 0600) == 0);
        const std::optional<FirmwareSource> source = FirmwareSource::fromArgument(
            failure.endsWith("folder") ? folder.path() : server.origin() + "/" + failure, &why);
        QVERIFY2(source, qPrintable(why));
        MessageBoxWatcher watcher;
        bool windowShownUnderTheBox = true;
        // Short limits: a silent or trickling server is given up on in a few seconds.
        InstallLimits limits = quickLimits(1500);
        limits.download.rateWindowMs = 3000;
        limits.download.minBytesPerWindow = 1024;
        MainWindow w(nullptr, *source, limits);
        watcher.setOnShown([&](const MessageBoxWatcher::SeenBox &) { windowShownUnderTheBox = w.isVisible(); });
        w.init();
        const bool read = failure == "read" || failure == "15" || failure == "folder";
        QTRY_VERIFY_WITH_TIMEOUT(w.isVisible() || !watcher.boxes().isEmpty(), waitMs);
        QCOMPARE(w.statusBar()->currentMessage(),
                 (failure.endsWith("folder") ? "Firmware from the folder " : "Firmware from the mirror ")
                     + source->address());
        QCOMPARE(watcher.boxes().size(), read ? 0 : 1);
        if (read)
            return;
        const MessageBoxWatcher::SeenBox box = watcher.boxes().first();
        if (failure == "unsigned folder") {
            QCOMPARE(box.title, QString("Firmware Source Not Trusted"));
            QVERIFY2(box.text.contains("is unsigned"), qPrintable(box.text));
        } else {
            QCOMPARE(box.title, QString("No Internet Connection"));
            QCOMPARE(box.text, "Could not connect to " + source->address()
                                   + " to download device firwmare versions. Please ensure you have proper internet "
                                     "connection and try again.");
        }
        QVERIFY(box.icon == QMessageBox::Critical && box.parent == &w && !windowShownUnderTheBox);
        QTRY_VERIFY(w.isVisible()); // once the box is closed
    }

    // The window manager's close during a run of three slow cameras: the updates stop as
    // Stop stops them, no box follows, the window goes within the time the program
    // allows, and every card holds its old image or the whole new one.
    void closeDuringRun()
    {
        QStringList roots;
        for (int i = 0; i < 3; ++i)
            roots << card("TZ22");
        auto w = window();
        QTRY_COMPARE_WITH_TIMEOUT(rows(*w).size(), 3, waitMs);
        MessageBoxWatcher watcher;
        QTest::mouseClick(w->findChild<QPushButton *>("pushButton"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(rowStates(*w).filter(QRegularExpression("^updating \\d")).size() == 3, waitMs);
        QVERIFY(shownWindow("Updating camera firmware"));
        // Delivered as a window manager's close is, through the same modality check; it
        // returns once the window has waited for its updates, as long as it allows.
        QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::SynchronousDelivery>(w->windowHandle());
        QVERIFY(!w->isVisible());
        QTest::qWait(1000);
        QCOMPARE(watcher.titles(), QStringList());
        QVERIFY(!shownWindow("Update summary"));
        for (const QString &root : roots) {
            const QByteArray held = image(root, "TZ22");
            QVERIFY2(held.isEmpty() || held == slowImage, qPrintable(root + " holds a part of the image"));
        }
    }

    // A camera plugged in while others update is updated beside them with a double-click,
    // and gets its own box; the run of the others ends on one summary, not a box each,
    // and "Update failed again" starts the failed camera alone.
    void besideAndAgain()
    {
        const QString first = card("TZ22"), second = card("TZ41");
        auto w = window();
        QTRY_COMPARE_WITH_TIMEOUT(rows(*w).size(), 2, waitMs);
        MessageBoxWatcher watcher;
        QTest::mouseClick(w->findChild<QPushButton *>("pushButton"), Qt::LeftButton);
        const QString third = card("TZ55");
        QTRY_COMPARE_WITH_TIMEOUT(rows(*w).size(), 3, waitMs);
        QVERIFY(rowStates(*w).at(0).startsWith("updating"));
        doubleClickRow(*w, 2);
        QTRY_COMPARE_WITH_TIMEOUT(watcher.titles(), QStringList("TZ5500 - Update Successful"), waitMs);
        QVERIFY(rowStates(*w).at(0).startsWith("updating")); // the first run went on under the box
        QTRY_VERIFY_WITH_TIMEOUT(shownWindow("Update summary"), waitMs);
        QWidget *summary = shownWindow("Update summary");
        QCOMPARE(watcher.titles().size(), 1);
        QCOMPARE(summary->findChildren<QLabel *>().value(0)->text(), QString("1 updated, 0 up to date, 1 failed"));
        QTreeWidgetItem *failed = summary->findChild<QTreeWidget *>()->topLevelItem(1);
        QVERIFY(failed->text(2).contains("failed: server unreachable"));
        QVERIFY(failed->toolTip(2).startsWith("TZ41 - Update Error\nThe required link cannot be reached."));
        QVERIFY(image(first, "TZ22") == slowImage && image(third, "TZ55") == fastImage);
        QVERIFY(rowStates(*w).at(1).startsWith("failed: server unreachable"));

        server.serve("/fw/flaky.bin", fastImage);
        const int slowRequests = server.requestCount("/fw/slow.bin");
        QPushButton *again = nullptr;
        for (QPushButton *button : summary->findChildren<QPushButton *>())
            again = button->text() == "Update failed again" ? button : again;
        QTest::mouseClick(again, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(watcher.titles().size(), 2, waitMs);
        QCOMPARE(watcher.titles().last(), QString("TZ4100 - Update Successful"));
        QVERIFY(image(second, "TZ41") == fastImage);
        QCOMPARE(server.requestCount("/fw/slow.bin"), slowRequests);
    }

    void contextMenu_data()
    {
        QTest::addColumn<int>("key"); // none: the right button
        QTest::addColumn<int>("modifiers");
        QTest::newRow("right button") << 0 << 0;
        QTest::newRow("Menu key") << int(Qt::Key_Menu) << 0;
        QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier);
    }
    // The list's menu, from the mouse where the pointer is, from the keyboard under the
    // chosen row; a context menu event the platform makes of the Menu key besides the
    // key itself opens no second one.
    void contextMenu()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QVERIFY(!card("TZ22").isEmpty() && !card("TZ55").isEmpty());
        auto w = window();
        QTRY_COMPARE_WITH_TIMEOUT(rows(*w).size(), 2, waitMs);
        QListWidget *view = deviceView(*w);
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        view->setFocus();
        view->setCurrentRow(1);
        const QRect row(view->viewport()->mapToGlobal(view->visualItemRect(view->item(1)).topLeft()),
                        view->visualItemRect(view->item(1)).size());
        const QPoint pointer = view->viewport()->mapToGlobal(QPoint(5, 5));
        if (key == 0) {
            QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), pointer);
            QApplication::sendEvent(view->viewport(), &click);
        } else {
            QTest::keyClick(view, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
            QContextMenuEvent platform(QContextMenuEvent::Keyboard, QPoint(5, 5), pointer);
            QApplication::sendEvent(view, &platform);
        }
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QCOMPARE(menu->actions(), view->actions());
        QVERIFY2(key == 0 ? menu->pos() == pointer : row.contains(menu->pos()), qPrintable(QString::number(menu->y())));
        menu->close();
        QVERIFY(!QApplication::activePopupWidget());
    }

    // With "Update cameras as they are plugged in" on (Ctrl+Shift+U), each camera is
    // updated once as it comes; one that failed is left alone until it is plugged in
    // again. No box interrupts the bench.
    void updatesOnArrival()
    {
        auto w = window();
        MessageBoxWatcher watcher;
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QTest::keyClick(w.get(), Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
        const int flaky = server.requestCount("/fw/flaky.bin"), fast = server.requestCount("/fw/fast.bin");
        const QString good = card("TZ55"), failing = card("TZ41");
        QTRY_VERIFY_WITH_TIMEOUT(image(good, "TZ55") == fastImage, waitMs);
        QTRY_COMPARE_WITH_TIMEOUT(server.requestCount("/fw/flaky.bin"), flaky + 1, waitMs);
        QTest::qWait(2500); // passes go on: neither is started again
        QCOMPARE(server.requestCount("/fw/flaky.bin"), flaky + 1);
        QCOMPARE(server.requestCount("/fw/fast.bin"), fast + 1);
        QVERIFY(w->statusBar()->findChild<QLabel *>()->text().endsWith(": 1 updated"));
        pullCard(failing);
        QTRY_COMPARE_WITH_TIMEOUT(rows(*w).size(), 1, waitMs);
        QVERIFY(mountCard(failing, 8 << 20) && !makeCard(failing, "TZ41", "5.910\n", true).isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(server.requestCount("/fw/flaky.bin"), flaky + 2, waitMs);
        QCOMPARE(watcher.titles(), QStringList());
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
