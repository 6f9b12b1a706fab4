#include "app/mainwindow.h"
#include "quicklimits.h"
#include "outside/networkrequest.h"
#include "httpsserver.h"
#include "messageboxwatcher.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {
const QString folder = QStringLiteral("/wp-content/uploads/vek-updater");
const QString cataloguePath = folder + "/vek-updater-config.txt";

const QByteArray catalogue = "{"
                             "\"A\": {\"Version\": \"9.9\", \"Link\": \"never read\"},"
                             "\"TZ7000\": {\"Version\": \"5.920\", \"Link\": \"https://h/7.bin\", \"Checksum\": \"AB\"},"
                             "\"tz4100\": [{\"Version\": \"5.917\", \"Brand\": \"ORVA\"},"
                             "             {\"Version\": \"5.918\", \"ADB_Device\": true}],"
                             "\"VEK\": \"not an entry\"}";

QStringList models(const MainWindow &w)
{
    QStringList list;
    for (const ASSET_INFORMATION *a : w.catalogueAssets())
        list << a->Model + "/" + a->Model_Code + "/" + a->Version;
    return list;
}
} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

    HttpsServer server;
    QString base;

private slots:
    void initTestCase()
    {
        HttpsServer::trustTestCertificate();
        QString error;
        QVERIFY2(server.start(&error), qPrintable(error));
        base = server.origin() + folder;
    }

    void formMatchesTheDesign()
    {
        MainWindow w(nullptr, base, quickLimits());
        QCOMPARE(w.objectName(), QString("MainWindow"));
        QCOMPARE(w.windowTitle(), QString("Check Firmware"));
        QCOMPARE(w.size(), QSize(431, 414));
        QCOMPARE(w.styleSheet(), QString("MainWindow\n{\n\tbackground-color: white;\n}\n"));
        QVERIFY(!w.menuWidget() && !w.statusBar()->isVisible());
        QCOMPARE(w.centralWidget()->objectName(), QString("centralWidget"));

        auto *banner = w.findChild<QLabel *>("lbl_brandlogo");
        auto *list = w.findChild<QListWidget *>("lw_DeviceView");
        auto *label = w.findChild<QLabel *>("label");
        auto *button = w.findChild<QPushButton *>("pushButton");
        QVERIFY(banner && list && label && button);
        QCOMPARE(banner->text(), QString());
        QCOMPARE(label->text(), QString("Version 1.34"));
        QCOMPARE(label->alignment() & (Qt::AlignRight | Qt::AlignVCenter), Qt::AlignRight | Qt::AlignVCenter);
        QCOMPARE(button->text(), QString("Update All"));
        QCOMPARE(list->font().pointSize(), 18);

        const QList<QPair<QWidget *, QRect>> fixed = {{banner, {90, 20, 237, 55}},
                                                      {list, {10, 90, 411, 291}},
                                                      {label, {320, 390, 101, 16}},
                                                      {button, {347, 65, 75, 23}}};
        w.show();
        w.resize(900, 700);
        QCoreApplication::processEvents();
        for (const auto &widget : fixed) {
            QCOMPARE(widget.first->parentWidget(), w.centralWidget());
            QCOMPARE(widget.first->geometry(), widget.second);
        }
    }

    void initSetsBannerIconsAndReadsTheCatalogue()
    {
        server.serve(cataloguePath, catalogue, "text/plain");
        MessageBoxWatcher boxes;
        MainWindow w(nullptr, base, quickLimits());
        w.init();
        QVERIFY(boxes.boxes().isEmpty());
        // Key order: "A" (never read), "TZ7000", "VEK" (no entry), then "tz4100" as lower case sorts last.
        QCOMPARE(models(w), QStringList({"TZ7000/TZ7K/5.920", "TZ4100/TZ41/5.917", "TZ4100/TZ41/5.918"}));
        QCOMPARE(w.catalogueAssets().at(1)->Brand, QString("ORVA"));
        QVERIFY(w.catalogueAssets().at(2)->ADB_Device);

        auto *list = w.findChild<QListWidget *>("lw_DeviceView");
        QCOMPARE(list->iconSize(), QSize(96, 96));
        const QPixmap banner = w.findChild<QLabel *>("lbl_brandlogo")->pixmap(Qt::ReturnByValue);
        QVERIFY(!banner.isNull());
        QVERIFY(banner.width() <= 237 && banner.height() <= 55);
        QVERIFY(banner.width() == 237 || banner.height() == 55);
    }

    void redirectWithinHttpsIsFollowed()
    {
        server.serve("/moved/vek-updater-config.txt", catalogue);
        server.redirect(cataloguePath, server.url("/moved/vek-updater-config.txt"), 301);
        MessageBoxWatcher boxes;
        MainWindow w(nullptr, base, quickLimits());
        w.init();
        QVERIFY(boxes.boxes().isEmpty());
        QCOMPARE(w.catalogueAssets().size(), 3);
    }

    void failedDownloadShowsNoInternetConnection_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("http error") << "status";
        QTest::newRow("server stalls") << "stall";
        QTest::newRow("connection dropped mid body") << "drop";
        QTest::newRow("redirect to plain http") << "downgrade";
        QTest::newRow("malformed json") << "malformed";
        QTest::newRow("empty body") << "empty";
        QTest::newRow("top-level array") << "array";
        QTest::newRow("host not found") << "nohost";
        QTest::newRow("certificate not trusted") << "untrusted";
    }
    void failedDownloadShowsNoInternetConnection()
    {
        QFETCH(QString, failure);
        QString windowBase = base;
        if (failure == "status")
            server.failWithStatus(cataloguePath, 503);
        else if (failure == "stall")
            server.stall(cataloguePath);
        else if (failure == "drop")
            server.dropAfter(cataloguePath, catalogue, 20);
        else if (failure == "downgrade")
            server.redirect(cataloguePath, "http://127.0.0.1:" + QString::number(server.port()) + "/x");
        else if (failure == "malformed")
            server.serve(cataloguePath, "{\"A\":1,\"TZ22\":");
        else if (failure == "empty")
            server.serve(cataloguePath, "");
        else if (failure == "array")
            server.serve(cataloguePath, "[{\"A\":1},{\"TZ2200\":{}}]");
        else if (failure == "untrusted") {
            server.serve(cataloguePath, catalogue);
            QSslConfiguration systemRootsOnly = QSslConfiguration::defaultConfiguration();
            systemRootsOnly.setCaCertificates(QSslConfiguration::systemCaCertificates());
            QSslConfiguration::setDefaultConfiguration(systemRootsOnly);
        } else
            windowBase = "https://no-such-host.invalid" + folder;

        const auto trustAgain = qScopeGuard(&HttpsServer::trustTestCertificate);
        expectNoInternetConnection(windowBase);
    }

    void tlsFailureShowsNoInternetConnection()
    {
        // A server that answers in plain text where TLS is expected.
        QTcpServer plain;
        QVERIFY(plain.listen(QHostAddress::LocalHost));
        connect(&plain, &QTcpServer::newConnection, &plain, [&plain] {
            QTcpSocket *socket = plain.nextPendingConnection();
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n{}");
            socket->disconnectFromHost();
        });
        expectNoInternetConnection("https://127.0.0.1:" + QString::number(plain.serverPort()) + folder);
    }

    void shutdownAfterFailedStartIsClean()
    {
        server.failWithStatus(cataloguePath, 404);
        MessageBoxWatcher boxes;
        auto *w = new MainWindow(nullptr, base, quickLimits());
        w->init();
        w->show();
        QTest::qWait(50);
        delete w; // sanitizer builds report leaks and use-after-free here
        QCOMPARE(boxes.boxes().size(), 1);
    }

private:
    void expectNoInternetConnection(const QString &windowBase)
    {
        MessageBoxWatcher boxes;
        MainWindow w(nullptr, windowBase, quickLimits());
        w.init();
        QVERIFY(!w.isVisible());
        QCOMPARE(boxes.boxes().size(), 1);
        const auto box = boxes.boxes().first();
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.title, QString("No Internet Connection"));
        QCOMPARE(box.text, "Could not connect to " + windowBase
                               + " to download device firwmare versions. Please ensure you have proper internet "
                                 "connection and try again.");
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(box.parent, &w);
        QVERIFY(w.catalogueAssets().isEmpty());
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
