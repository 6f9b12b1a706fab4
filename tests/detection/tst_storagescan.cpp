#include "app/mainwindow.h"

#include "cardlayout.h"
#include "messageboxwatcher.h"
#include "mountsandbox.h"

#include <QDir>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString unreachableBase = QStringLiteral("https://127.0.0.1:9");

ASSET_INFORMATION record(const QString &model, const QString &code, const QString &brand = QString())
{
    ASSET_INFORMATION asset;
    asset.Model = model;
    asset.Model_Code = code;
    asset.Brand = brand;
    return asset;
}

// One storage scan of the record, as the poll pass makes it.
bool scan(MainWindow &w, ASSET_INFORMATION &asset)
{
    return QMetaObject::invokeMethod(&w, "pollUsbDevices", Qt::DirectConnection,
                                     Q_ARG(ASSET_INFORMATION *, &asset));
}

QStringList rowTexts(MainWindow &w)
{
    const QListWidget *view = w.findChild<QListWidget *>("lw_DeviceView");
    QStringList texts;
    for (int row = 0; row < view->count(); ++row)
        texts << view->item(row)->text();
    return texts;
}

class Cards
{
public:
    QString mount(const QString &name)
    {
        const QString root = folder.path() + "/" + name;
        QString error;
        if (!QDir().mkpath(root) || !sandbox.mountTmpfs(root, 1 << 20, false, &error)) {
            qWarning("cannot mount %s: %s", qPrintable(root), qPrintable(error));
            return QString();
        }
        return root;
    }
    bool unmount(const QString &root) { return sandbox.unmount(root); }

private:
    QTemporaryDir folder;
    MountSandbox sandbox; // after the folder: unmounts before the folder goes
};
} // namespace

class StorageScanTest : public QObject
{
    Q_OBJECT

private slots:
    void mountedCardIsListedUntilUnmounted()
    {
        VEK_REQUIRE_MOUNTS();
        ASSET_INFORMATION tz7000 = record("TZ7000", "TZ7K"), tz4100 = record("TZ4100", "TZ41", "ORVA"),
                          tz2200 = record("TZ2200", "TZ22");
        Cards cards;
        MainWindow w(nullptr, unreachableBase);
        const QString card7 = cards.mount("tz7000"), card41 = cards.mount("tz4100"), card22 = cards.mount("tz2200");
        QVERIFY(!card7.isEmpty() && !card41.isEmpty() && !card22.isEmpty());
        const QString image7 = makeCard(card7, "TZ7K", "5.920\n\n", true);
        QVERIFY(!makeCard(card41, "TZ41", "5.917\r\nORVA\r\n", true).isEmpty());
        QVERIFY(!makeCard(card22, "TZ22", "5.800\n", true).isEmpty());

        for (ASSET_INFORMATION *asset : {&tz4100, &tz7000, &tz2200})
            QVERIFY(scan(w, *asset));
        QVERIFY(tz7000.Attached);
        QCOMPARE(tz7000.Device_Version, QString("5.920"));
        QCOMPARE(tz7000.Update_Path, image7);
        QCOMPARE(rowTexts(w), QStringList({" TZ4100 - 5.917", " TZ7000 - 5.920", " TZ2200 - 5.800"}));
        const QListWidgetItem *row = w.findChild<QListWidget *>("lw_DeviceView")->item(1);
        QCOMPARE(row->icon().pixmap(row->icon().availableSizes().value(0)).toImage(),
                 QPixmap(":/TZ7000.png").toImage());

        QVERIFY(cards.unmount(card7));
        for (ASSET_INFORMATION *asset : {&tz4100, &tz7000, &tz2200})
            QVERIFY(scan(w, *asset));
        QVERIFY(!tz7000.Attached);
        QVERIFY(tz7000.Device_Version.isEmpty() && tz7000.Device_Brand.isEmpty() && tz7000.Update_Path.isEmpty());
        QCOMPARE(rowTexts(w), QStringList({" TZ4100 - 5.917", " TZ2200 - 5.800"}));
        QCOMPARE(w.attachedDeviceList(), QVector<ASSET_INFORMATION *>({&tz4100, &tz2200}));
    }

    void twoCardsOfOneModelMakeOneRow()
    {
        VEK_REQUIRE_MOUNTS();
        ASSET_INFORMATION tz7000 = record("TZ7000", "TZ7K");
        Cards cards;
        MainWindow w(nullptr, unreachableBase);
        const QString first = cards.mount("first"), second = cards.mount("second");
        QVERIFY(!first.isEmpty() && !second.isEmpty());
        QVERIFY(!makeCard(first, "TZ7K", "5.901\n", true).isEmpty());
        QVERIFY(!makeCard(second, "TZ7K", "5.902\n", true).isEmpty());

        QVERIFY(scan(w, tz7000));
        QCOMPARE(rowTexts(w).size(), 1);
        QCOMPARE(w.attachedDeviceList(), QVector<ASSET_INFORMATION *>({&tz7000}));
    }

    void cardWithoutVersionBringsTheDetectionError()
    {
        VEK_REQUIRE_MOUNTS();
        ASSET_INFORMATION tz7000 = record("TZ7000", "TZ7K");
        MessageBoxWatcher boxes;
        Cards cards;
        MainWindow w(nullptr, unreachableBase);
        const QString card = cards.mount("blank");
        QVERIFY(!card.isEmpty());
        QVERIFY(!makeCard(card, "TZ7K", QByteArray(), true).isEmpty());

        QVERIFY(scan(w, tz7000));
        QVERIFY(scan(w, tz7000));
        QCOMPARE(boxes.boxes().size(), 1);
        QCOMPARE(boxes.boxes().constFirst().title, QString("TZ7000 - Detection Error"));
        QVERIFY(rowTexts(w).isEmpty());
    }

    void nothingFoundStillReachesTheList()
    {
        ASSET_INFORMATION tz7000 = record("TZ7000", "QXNONE");
        MainWindow w(nullptr, unreachableBase);
        tz7000.Attached = true;
        tz7000.Device_Version = "5.9";
        tz7000.Update_Path = "/gone/DCIM/QXNONELOAD/QXNONEUPDT.BIN";
        w.handleDetection(&tz7000);
        QCOMPARE(rowTexts(w).size(), 1);

        QVERIFY(scan(w, tz7000));
        QVERIFY(!tz7000.Attached && tz7000.Update_Path.isEmpty());
        QVERIFY(rowTexts(w).isEmpty());
    }
};

VEK_TEST_MAIN_WITH_MOUNTS(StorageScanTest)
#include "tst_storagescan.moc"
