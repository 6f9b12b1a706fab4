// Whole updates as a technician runs them: the window loads the catalogue, the poll
// cycle finds the cameras on mounted cards or through adb, and the user updates from
// the list while cameras come and go.

#include "app/mainwindow.h"
#include "fake-adb/fakeadb.h"
#include "httpsserver.h"
#include "messageboxwatcher.h"
#include "updatefixture.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QtTest>

namespace {
QStringList rowTexts(MainWindow &w)
{
    QStringList texts;
    const auto *view = w.findChild<QListWidget *>("lw_DeviceView");
    for (int row = 0; row < view->count(); ++row)
        texts << view->item(row)->text();
    return texts;
}

void doubleClickRow(MainWindow &w, const QString &text)
{
    auto *view = w.findChild<QListWidget *>("lw_DeviceView");
    const QList<QListWidgetItem *> items = view->findItems(text, Qt::MatchExactly);
    QVERIFY2(items.size() == 1, qPrintable(text));
    QVERIFY(QMetaObject::invokeMethod(&w, "on_lw_DeviceView_doubleClicked", Q_ARG(QModelIndex, view->model()->index(view->row(items.first()), 0))));
}
}

class UpdateFlowTest : public QObject
{
    Q_OBJECT

    HttpsServer server;
    QTemporaryDir scratch;
    MountSandbox mounts;
    const QByteArray image41 = firmwareImage(3 * 1024 * 1024, 41), image7K = firmwareImage(1024 * 1024, 70);

    void publish(bool tz7000OverAdb)
    {
        // The first key in sorted order is never read; "!" sorts before every model name.
        QJsonObject catalogue{{"!meta", QJsonObject{{"generated", "for a test"}}}};
        catalogue["TZ4100"] = QJsonObject{{"Version", "5.920"}, {"Link", server.url("/fw/TZ4100.bin")},
                                          {"Checksum", checksumOf(image41)}, {"Brand", "ORVA"}};
        catalogue["TZ7000"] = QJsonObject{{"Version", "5.920"}, {"Link", server.url("/fw/TZ7000.bin")},
                                          {"Checksum", checksumOf(image7K)}, {"ADB_Device", tz7000OverAdb}};
        server.serve("/fw/vek-updater-config.txt", QJsonDocument(catalogue).toJson(), "text/plain");
    }

    QString card(const QString &name, const QString &code)
    {
        const QString root = scratch.filePath(name);
        QString why;
        if (!QDir().mkpath(root) || !mounts.mountTmpfs(root, 16 * 1024 * 1024, false, &why))
            qWarning("cannot mount %s: %s", qPrintable(root), qPrintable(why));
        return makeCard(root, code, "5.910\nORVA\n", true);
    }

private slots:
    void initTestCase()
    {
        HttpsServer::trustTestCertificate();
        QString why;
        QVERIFY2(server.start(&why), qPrintable(why));
        server.serve("/fw/TZ7000.bin", image7K);
    }

    void camerasComeAndGoWhileAnUpdateWaits()
    {
        VEK_REQUIRE_MOUNTS();
        publish(false);
        server.serveSlowly("/fw/TZ4100.bin", image41, 256 * 1024, 200);
        const QString image41Path = card("tz4100", "TZ41");
        MainWindow w(nullptr, server.origin() + "/fw");
        w.init();
        QTRY_COMPARE(rowTexts(w), QStringList({" TZ4100 - 5.910"}));
        QString tz7000Path;
        // Plugged in while the image downloads.
        QTimer plugIn;
        connect(&plugIn, &QTimer::timeout, this, [&] {
            if (server.requestCount("/fw/TZ4100.bin") == 0)
                return;
            plugIn.stop();
            tz7000Path = card("tz7000", "TZ7K");
        });
        plugIn.start(20);
        MessageBoxWatcher watcher;
        watcher.setHoldMs(2500);
        QStringList rowsUnderBox;
        watcher.setOnShown([&](const MessageBoxWatcher::SeenBox &) {
            rowsUnderBox = rowTexts(w);
            // Unplugged while the box is open.
            mounts.unmount(scratch.filePath("tz7000"), true);
        });

        doubleClickRow(w, " TZ4100 - 5.910");
        QCOMPARE(watcher.boxes().size(), 1);
        QCOMPARE(watcher.boxes().first().title, QString("TZ4100 - Update Successful"));
        QVERIFY(fileBytes(image41Path) == image41);
        QCOMPARE(rowsUnderBox, QStringList({" TZ4100 - 5.910", " TZ7000 - 5.910"}));
        QCOMPARE(rowTexts(w), QStringList({" TZ4100 - 5.910"}));
        QVERIFY(!QFileInfo::exists(tz7000Path));
    }

    void cameraOverAdbIsUpdatedFromTheList()
    {
        publish(true);
        FakeAdb adb;
        adb.attach(true);
        QVERIFY(!makeCard(adb.cardPath(), "TZ7K", "5.910\n", true).isEmpty());
        MainWindow w(nullptr, server.origin() + "/fw");
        w.init();
        QTRY_VERIFY(rowTexts(w).contains(" TZ7000 - 5.910"));
        MessageBoxWatcher watcher;

        doubleClickRow(w, " TZ7000 - 5.910");
        QCOMPARE(watcher.boxes().size(), 1);
        QCOMPARE(watcher.boxes().first().title, QString("TZ7000 - Update Successful"));
        QVERIFY(fileBytes(adb.cardPath() + "/DCIM/TZ7KLOAD/TZ7KUPDT.BIN") == image7K);
        QVERIFY(!QFileInfo::exists(QDir::current().filePath("TZ7KUPDT.BIN")));
    }
};

VEK_TEST_MAIN_WITH_MOUNTS(UpdateFlowTest)
#include "tst_updateflow.moc"
