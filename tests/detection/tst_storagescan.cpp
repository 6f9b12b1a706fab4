#include "app/mainwindow.h"
#include "quicklimits.h"
#include "detection/storagevolumesource.h"
#include "detection/versionfile.h"
#include "detection/volumescan.h"

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

// One storage scan of the record, as a poll pass makes it.
void scan(MainWindow &w, ASSET_INFORMATION &asset)
{
    QVERIFY(QMetaObject::invokeMethod(&w, "pollUsbDevices", Qt::DirectConnection,
                                      Q_ARG(ASSET_INFORMATION *, &asset)));
}

QStringList rowTexts(MainWindow &w)
{
    const QListWidget *view = w.findChild<QListWidget *>("lw_DeviceView");
    QStringList texts;
    for (int row = 0; row < view->count(); ++row)
        texts << view->item(row)->text();
    return texts;
}

int volumePosition(const QString &root)
{
    const QVector<MountedVolume> volumes = StorageVolumeSource().mountedVolumes();
    for (int i = 0; i < volumes.size(); ++i) {
        if (volumes.at(i).rootPath == root)
            return i;
    }
    return -1;
}

// Camera cards as tmpfs volumes, each mounted on a folder of its own.
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
    bool makeReadOnly(const QString &root) { return sandbox.remountReadOnly(root); }
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
    void volumesThatCannotHoldACameraArePassedOver()
    {
        QTemporaryDir card;
        QVERIFY(!makeCard(card.path(), "TZ41", "5.917\nORVA\n", true).isEmpty());
        const QString root = card.path();
        const auto scanFor = [](const QVector<MountedVolume> &volumes, const QString &code) {
            return scanVolumesForCamera(volumes, code, "ORVA",
                                        [code](const QString &root) { return readCardVersionFile(root, code); });
        };

        QVERIFY(!scanFor({{root, false, true, false}}, "TZ41").attached);
        QVERIFY(!scanFor({{root, true, false, false}}, "TZ41").attached);
        QVERIFY(!scanFor({{root, true, true, false}}, "TZ43").attached);
        QVERIFY(!scanFor({}, "TZ41").attached);
        const VolumeScanResult driveRoot = scanFor({{root + "/", true, true, false}}, "TZ41");
        QVERIFY(driveRoot.attached);
        QCOMPARE(driveRoot.updatePath, root + "/DCIM/TZ41LOAD/TZ41UPDT.BIN");
    }

    void mountedCardsAreListedUntilUnmounted()
    {
        VEK_REQUIRE_MOUNTS();
        ASSET_INFORMATION tz7000 = record("TZ7000", "TZ7K"), tz4100 = record("TZ4100", "TZ41", "ORVA"),
                          tz2200 = record("TZ2200", "TZ22");
        Cards cards;
        MainWindow w(nullptr, unreachableBase, quickLimits());
        const QString card7 = cards.mount("tz7000"), card41 = cards.mount("tz4100"), card22 = cards.mount("tz2200");
        QVERIFY(!card7.isEmpty() && !card41.isEmpty() && !card22.isEmpty());
        const QString image7 = makeCard(card7, "TZ7K", "5.920\n\n", true);
        QVERIFY(!makeCard(card41, "TZ41", "5.917\r\n \tORVA \r\n", true).isEmpty());
        const QString image22 = makeCard(card22, "TZ22", "5.800\n", false);

        for (ASSET_INFORMATION *asset : {&tz4100, &tz7000, &tz2200})
            scan(w, *asset);
        QVERIFY(tz7000.Attached);
        QCOMPARE(tz7000.Device_Version, QString("5.920"));
        QCOMPARE(tz7000.Update_Path, image7);
        QCOMPARE(tz4100.Device_Brand, QString("ORVA"));
        // The update folder is made when an image is written, not looked for here.
        QCOMPARE(tz2200.Update_Path, image22);
        QVERIFY(!QFileInfo::exists(QFileInfo(image22).path()));
        QCOMPARE(rowTexts(w), QStringList({" TZ4100 - 5.917", " TZ7000 - 5.920", " TZ2200 - 5.800"}));
        const QIcon icon = w.findChild<QListWidget *>("lw_DeviceView")->item(1)->icon();
        QCOMPARE(icon.pixmap(icon.availableSizes().value(0)).toImage(), QPixmap(":/TZ7000.png").toImage());

        QVERIFY(cards.unmount(card7));
        for (ASSET_INFORMATION *asset : {&tz4100, &tz7000, &tz2200})
            scan(w, *asset);
        QVERIFY(!tz7000.Attached);
        QVERIFY(tz7000.Device_Version.isEmpty() && tz7000.Device_Brand.isEmpty() && tz7000.Update_Path.isEmpty());
        QCOMPARE(rowTexts(w), QStringList({" TZ4100 - 5.917", " TZ2200 - 5.800"}));
    }

    void cardsThatDoNotMatchAreNotDetected()
    {
        VEK_REQUIRE_MOUNTS();
        ASSET_INFORMATION locked = record("TZ7000", "TZ7K"), lowerCase = record("TZ4100", "TZ41", "ORVA"),
                          otherBrand = record("TZ4300", "TZ43", "ORVA"), noFile = record("VEK", "VEK", "ORVA");
        Cards cards;
        MainWindow w(nullptr, unreachableBase, quickLimits());
        const QString root = cards.mount("cards"), lockedRoot = cards.mount("locked");
        QVERIFY(!root.isEmpty() && !lockedRoot.isEmpty());
        QVERIFY(!makeCard(lockedRoot, "TZ7K", "5.920\n", true).isEmpty());
        QVERIFY(cards.makeReadOnly(lockedRoot));
        QVERIFY(!makeCard(root, "TZ41", "5.917\norva\n", true).isEmpty());
        QVERIFY(!makeCard(root, "TZ43", "5.917\nPELKA\n", true).isEmpty());
        QVERIFY(!makeCard(root, "VEK", QByteArray(), true).isEmpty());

        for (ASSET_INFORMATION *asset : {&locked, &lowerCase, &otherBrand, &noFile}) {
            scan(w, *asset);
            QVERIFY2(!asset->Attached, qPrintable(asset->Model));
        }
        QVERIFY(w.attachedDeviceList().isEmpty());

        // Without a catalogue brand any card of the model will do.
        lowerCase.Brand.clear();
        scan(w, lowerCase);
        QVERIFY(lowerCase.Attached);
        QCOMPARE(lowerCase.Device_Brand, QString("orva"));
    }

    void cardWithoutVersionBringsTheDetectionError()
    {
        VEK_REQUIRE_MOUNTS();
        ASSET_INFORMATION vek = record("VEK", "VEK");
        MessageBoxWatcher boxes;
        Cards cards;
        MainWindow w(nullptr, unreachableBase, quickLimits());
        const QString card = cards.mount("blank");
        QVERIFY(!card.isEmpty());
        QVERIFY(!makeCard(card, "VEK", QByteArray(), true).isEmpty());

        scan(w, vek);
        scan(w, vek);
        QVERIFY(vek.Attached && vek.Device_Version.isEmpty());
        QCOMPARE(boxes.boxes().size(), 1);
        QCOMPARE(boxes.boxes().constFirst().title, QString("VEK - Detection Error"));
        QVERIFY(rowTexts(w).isEmpty());
    }

    void laterOfTwoCardsOfOneModelStands()
    {
        VEK_REQUIRE_MOUNTS();
        ASSET_INFORMATION tz7000 = record("TZ7000", "TZ7K");
        Cards cards;
        MainWindow w(nullptr, unreachableBase, quickLimits());
        const QString first = cards.mount("first");
        QVERIFY(!first.isEmpty() && !makeCard(first, "TZ7K", "5.901\n", true).isEmpty());
        scan(w, tz7000);
        QCOMPARE(rowTexts(w), QStringList({" TZ7000 - 5.901"}));
        const QString second = cards.mount("second");
        QVERIFY(!second.isEmpty() && !makeCard(second, "TZ7K", "5.902\n", true).isEmpty());
        QVERIFY(volumePosition(first) >= 0 && volumePosition(second) >= 0);
        const bool secondIsLater = volumePosition(second) > volumePosition(first);

        scan(w, tz7000);
        QCOMPARE(tz7000.Device_Version, QString(secondIsLater ? "5.902" : "5.901"));
        QVERIFY(tz7000.Update_Path.startsWith((secondIsLater ? second : first) + "/DCIM/"));
        // The one row shows the card an update from it would go to.
        QCOMPARE(rowTexts(w), QStringList({" TZ7000 - " + tz7000.Device_Version}));
        const QString toolTip = w.findChild<QListWidget *>("lw_DeviceView")->item(0)->toolTip();
        QVERIFY2(toolTip.endsWith("Found on: " + (secondIsLater ? second : first)), qPrintable(toolTip));
    }
};

VEK_TEST_MAIN_WITH_MOUNTS(StorageScanTest)
#include "tst_storagescan.moc"
