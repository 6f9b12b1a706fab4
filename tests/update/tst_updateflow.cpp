// Whole updates as a technician runs them: the window loads the catalogue, the poll
// cycle finds cameras on mounted cards and through adb, and the user updates from the
// list while cameras come and go.

#include "app/mainwindow.h"
#include "quicklimits.h"
#include "fake-adb/fakeadb.h"
#include "httpsserver.h"
#include "messageboxwatcher.h"
#include "mountsandbox.h"
#include "updatefixture.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QStringList sortedRows(MainWindow &w)
{
    QStringList texts;
    const auto *view = w.findChild<QListWidget *>("lw_DeviceView");
    for (int row = 0; row < view->count(); ++row)
        texts << view->item(row)->text();
    texts.sort();
    return texts;
}

QStringList titles(const MessageBoxWatcher &watcher)
{
    QStringList seen;
    for (const MessageBoxWatcher::SeenBox &box : watcher.boxes())
        seen << box.title;
    return seen;
}
}

class UpdateFlowTest : public QObject
{
    Q_OBJECT

    HttpsServer server;
    QTemporaryDir scratch;
    MountSandbox mounts;

    QString mountCard(const QString &name, const QString &code, const QByteArray &versionFile)
    {
        const QString root = scratch.filePath(name);
        QString why;
        if (!QDir().mkpath(root) || !mounts.mountTmpfs(root, 16 * 1024 * 1024, false, &why))
            qWarning("cannot mount %s: %s", qPrintable(root), qPrintable(why));
        return makeCard(root, code, versionFile, true);
    }

private slots:
    void camerasComeAndGoWhileUpdatesRun()
    {
        VEK_REQUIRE_MOUNTS();
        HttpsServer::trustTestCertificate();
        QVERIFY(server.start());
        const QByteArray image41 = firmwareImage(3 * 1024 * 1024, 41), image7K = firmwareImage(1024 * 1024, 70);
        const QByteArray image7KOrva = firmwareImage(1024 * 1024, 71);
        server.serveSlowly("/fw/TZ4100.bin", image41, 256 * 1024, 200);
        server.serve("/fw/TZ7000.bin", image7K);
        server.serve("/fw/TZ7000-ORVA.bin", image7KOrva);
        // The first key in sorted order is never read; "!" sorts before every model name.
        const QJsonObject catalogue{
            {"!meta", QJsonObject()},
            {"TZ4100", QJsonObject{{"Version", "5.920"}, {"Link", server.url("/fw/TZ4100.bin")},
                                   {"Checksum", checksumOf(image41)}, {"Brand", "ORVA"}}},
            {"TZ2200", QJsonObject{{"Version", "5.920"}}},
            // One adb model under two brands: the camera is a TALM one.
            {"TZ7000", QJsonArray{QJsonObject{{"Version", "5.920"}, {"Link", server.url("/fw/TZ7000-ORVA.bin")},
                                              {"Checksum", checksumOf(image7KOrva)}, {"ADB_Device", true},
                                              {"Brand", "ORVA"}},
                                  QJsonObject{{"Version", "5.920"}, {"Link", server.url("/fw/TZ7000.bin")},
                                              {"Checksum", checksumOf(image7K)}, {"ADB_Device", true},
                                              {"Brand", "TALM"}}}}};
        server.serve("/fw/vek-updater-config.txt", QJsonDocument(catalogue).toJson(), "text/plain");
        FakeAdb adb;
        adb.attach(true);
        QVERIFY(!makeCard(adb.cardPath(), "TZ7K", "5.910\nTALM\n", true).isEmpty());
        const QString image41Path = mountCard("tz4100", "TZ41", "5.910\nORVA\n");
        MainWindow w(nullptr, server.origin() + "/fw", quickLimits());
        w.init();
        QTRY_COMPARE(sortedRows(w), QStringList({" TZ4100 - 5.910", " TZ7000 - 5.910"}));

        // A TZ2200 card goes in while the TZ4100 image downloads; the TZ4100 card comes
        // out, as the technician is told, while the success box is open.
        QTimer plugIn;
        connect(&plugIn, &QTimer::timeout, this, [&] {
            if (server.requestCount("/fw/TZ4100.bin") > 0 && plugIn.isActive()) {
                plugIn.stop();
                mountCard("tz2200", "TZ22", "5.920\n");
            }
        });
        plugIn.start(20);
        MessageBoxWatcher watcher;
        watcher.setHoldMs(2500);
        QStringList rowsUnderBox;
        QByteArray writtenImage;
        watcher.setOnShown([&](const MessageBoxWatcher::SeenBox &) {
            if (!rowsUnderBox.isEmpty())
                return;
            rowsUnderBox = sortedRows(w);
            writtenImage = fileBytes(image41Path);
            mounts.unmount(scratch.filePath("tz4100"), true);
        });
        auto *view = w.findChild<QListWidget *>("lw_DeviceView");
        const QListWidgetItem *tz4100Row = view->findItems(" TZ4100 - 5.910", Qt::MatchExactly).value(0);
        QVERIFY(QMetaObject::invokeMethod(&w, "on_lw_DeviceView_doubleClicked",
                                          Q_ARG(QModelIndex, view->model()->index(view->row(tz4100Row), 0))));
        QCOMPARE(titles(watcher), QStringList({"TZ4100 - Update Successful"}));
        QVERIFY(writtenImage == image41);
        QCOMPARE(rowsUnderBox, QStringList({" TZ2200 - 5.920", " TZ4100 - 5.910", " TZ7000 - 5.910"}));
        QCOMPARE(sortedRows(w), QStringList({" TZ2200 - 5.920", " TZ7000 - 5.910"}));

        // Update All: the adb camera, found first, then the TZ2200 that is up to date.
        // While the push hangs, Escape on the progress window, a double-click and
        // Update All again start nothing; then, in a second Update All, the window is
        // closed during the push and nothing goes on unseen.
        watcher.clear();
        watcher.setHoldMs(0);
        bool progressStayed = false;
        const auto duringPush = [&](int pushes, const std::function<void()> &act) {
            adb.hold(true);
            auto *meddler = new QTimer(this);
            connect(meddler, &QTimer::timeout, this, [&, meddler, pushes, act] {
                auto *progress = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget());
                if (adb.count("push") < pushes || !progress)
                    return;
                delete meddler;
                QTest::keyClick(progress, Qt::Key_Escape);
                progressStayed = progress->isVisible();
                act();
                adb.hold(false);
            });
            meddler->start(20);
        };
        auto *button = w.findChild<QPushButton *>("pushButton");
        duringPush(1, [&] {
            const QListWidgetItem *row = view->findItems(" TZ7000 - 5.910", Qt::MatchExactly).value(0);
            QMetaObject::invokeMethod(&w, "on_lw_DeviceView_doubleClicked",
                                      Q_ARG(QModelIndex, view->model()->index(view->row(row), 0)));
            QTest::mouseClick(button, Qt::LeftButton);
        });
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(titles(watcher), QStringList({"TZ7000 - Update Successful", "TZ2200 - No Update Required"}));
        QVERIFY(progressStayed);
        QCOMPARE(adb.count("push"), 1);
        QVERIFY(fileBytes(adb.cardPath() + "/DCIM/TZ7KLOAD/TZ7KUPDT.BIN") == image7K);
        QCOMPARE(QDir::current().entryList({"TZ7KUPDT.BIN*"}, QDir::AllEntries | QDir::Hidden), QStringList());

        watcher.clear();
        duringPush(2, [&] { w.close(); });
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(titles(watcher), QStringList());
        QVERIFY(!w.isVisible());
        QCOMPARE(adb.count("push"), 2);
    }
};

VEK_TEST_MAIN_WITH_MOUNTS(UpdateFlowTest)
#include "tst_updateflow.moc"
