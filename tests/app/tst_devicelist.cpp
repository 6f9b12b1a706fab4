#include "app/mainwindow.h"
#include "quicklimits.h"

#include "messageboxwatcher.h"

#include <QListWidget>
#include <QtTest>

#include <utility>

namespace {
// Nothing listens there: the window never gets as far as a request in these tests.
const QString unreachableBase = QStringLiteral("https://127.0.0.1:9");

const QString detectionErrorText =
    QStringLiteral("Unable to read version info.\nPlease ensure the SD card is plugged in and try again.");

ASSET_INFORMATION record(const QString &model, const QString &code)
{
    ASSET_INFORMATION asset;
    asset.Model = model;
    asset.Model_Code = code;
    return asset;
}

// What a storage scan leaves in a record: found, with what its card told.
void plugIn(ASSET_INFORMATION &asset, const QString &version, const QString &brand = QString())
{
    asset.Attached = true;
    asset.Device_Version = version;
    asset.Device_Brand = brand;
    asset.Update_Path = "/media/card/DCIM/" + asset.Model_Code + "LOAD/" + asset.Model_Code + "UPDT.BIN";
}

void unplug(ASSET_INFORMATION &asset)
{
    asset.Attached = false;
    asset.Device_Version.clear();
    asset.Device_Brand.clear();
    asset.Update_Path.clear();
}

QListWidget *deviceView(MainWindow &w)
{
    return w.findChild<QListWidget *>("lw_DeviceView");
}

QStringList rowTexts(MainWindow &w)
{
    QStringList texts;
    for (int row = 0; row < deviceView(w)->count(); ++row)
        texts << deviceView(w)->item(row)->text();
    return texts;
}

QImage iconImage(const QListWidgetItem *item)
{
    const QIcon icon = item->icon();
    return icon.isNull() ? QImage() : icon.pixmap(icon.availableSizes().value(0)).toImage();
}

QImage bundledImage(const QString &name)
{
    return QPixmap(name).toImage();
}
} // namespace

class DeviceListTest : public QObject
{
    Q_OBJECT

private slots:
    void rowsFollowDetectionAndLeaveOneAtATime()
    {
        ASSET_INFORMATION tz7000 = record("TZ7000", "TZ7K"), tz4100 = record("TZ4100", "TZ41"),
                          tz2200 = record("TZ2200", "TZ22");
        MainWindow w(nullptr, unreachableBase, quickLimits());

        for (ASSET_INFORMATION *asset : {&tz2200, &tz7000, &tz4100}) {
            plugIn(*asset, "5.9");
            w.handleDetection(asset);
        }
        QCOMPARE(rowTexts(w), QStringList({" TZ2200 - 5.9", " TZ7000 - 5.9", " TZ4100 - 5.9"}));
        w.handleDetection(&tz7000);
        QCOMPARE(w.attachedDeviceList(), QVector<ASSET_INFORMATION *>({&tz2200, &tz7000, &tz4100}));

        unplug(tz7000);
        w.handleDetection(&tz7000);
        QCOMPARE(rowTexts(w), QStringList({" TZ2200 - 5.9", " TZ4100 - 5.9"}));
        QCOMPARE(w.attachedDeviceList(), QVector<ASSET_INFORMATION *>({&tz2200, &tz4100}));

        // Two gone at once: one result takes out only the first of them.
        unplug(tz2200);
        unplug(tz4100);
        w.handleDetection(&tz7000);
        QCOMPARE(w.attachedDeviceList(), QVector<ASSET_INFORMATION *>({&tz4100}));
        QVERIFY(rowTexts(w).isEmpty());
        w.handleDetection(&tz7000);
        QVERIFY(w.attachedDeviceList().isEmpty());
    }

    void detectionErrorOncePerAttachment()
    {
        ASSET_INFORMATION tz7000 = record("TZ7000", "TZ7K");
        MessageBoxWatcher boxes;
        MainWindow w(nullptr, unreachableBase, quickLimits());

        // The device folder is there, the version is not.
        plugIn(tz7000, QString());
        w.handleDetection(&tz7000);
        QCOMPARE(boxes.boxes().size(), 1);
        const MessageBoxWatcher::SeenBox box = boxes.boxes().constFirst();
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.title, QString("TZ7000 - Detection Error"));
        QCOMPARE(box.text, detectionErrorText);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(box.parent, &w);
        QVERIFY(box.modal);

        w.handleDetection(&tz7000);
        w.handleDetection(&tz7000);
        QCOMPARE(boxes.boxes().size(), 1);

        unplug(tz7000);
        w.handleDetection(&tz7000);
        QCOMPARE(boxes.boxes().size(), 1);
        plugIn(tz7000, QString());
        w.handleDetection(&tz7000);
        QCOMPARE(boxes.boxes().size(), 2);
        QCOMPARE(deviceView(w)->count(), 0);
        QVERIFY(w.attachedDeviceList().isEmpty());
    }

    void passesUnderTheOpenBoxDoNotShowItAgain()
    {
        ASSET_INFORMATION tz7000 = record("TZ7000", "TZ7K"), tz4100 = record("TZ4100", "TZ41");
        MessageBoxWatcher boxes;
        MainWindow w(nullptr, unreachableBase, quickLimits());
        // Poll passes run as timer events inside the box's event loop; these do the same.
        // Only under the first box: a second one is the fault looked for.
        bool passesRun = false;
        bool boxWasOpen = false;
        boxes.setHoldMs(100);
        boxes.setOnShown([&](const MessageBoxWatcher::SeenBox &) {
            if (std::exchange(passesRun, true))
                return;
            QTimer::singleShot(0, &w, [&] {
                boxWasOpen = QApplication::activeModalWidget() != nullptr;
                w.handleDetection(&tz7000);
                plugIn(tz4100, "5.917");
                w.handleDetection(&tz4100);
                w.handleDetection(&tz7000);
            });
        });

        plugIn(tz7000, QString());
        w.handleDetection(&tz7000);
        QVERIFY(passesRun && boxWasOpen);
        QCOMPARE(boxes.boxes().size(), 1);
        QCOMPARE(rowTexts(w), QStringList({" TZ4100 - 5.917"}));
    }

    void iconsByModelAndBrand()
    {
        ASSET_INFORMATION tz7000 = record("TZ7000", "TZ7K"), vek = record("VEK", "VEK"),
                          other = record("TZ4100", "TZ41");
        MainWindow w(nullptr, unreachableBase, quickLimits());
        plugIn(tz7000, "5.920");
        plugIn(vek, "1.2", "ORVA");
        plugIn(other, "5.917", "BRIMOR");
        for (ASSET_INFORMATION *asset : {&tz7000, &vek, &other})
            w.handleDetection(asset);

        QListWidget *view = deviceView(w);
        QCOMPARE(view->count(), 3);
        QVERIFY(!bundledImage(":/TZ7000.png").isNull());
        QCOMPARE(iconImage(view->item(0)), bundledImage(":/TZ7000.png"));
        QCOMPARE(iconImage(view->item(1)), bundledImage(":/VEK_ORVA.png"));
        QVERIFY(iconImage(view->item(1)) != bundledImage(":/VEK_PELKA.png"));
        QVERIFY(view->item(2)->icon().isNull());
        QCOMPARE(rowTexts(w), QStringList({" TZ7000 - 5.920", " VEK - 1.2", " TZ4100 - 5.917"}));
    }

    void rowFollowsItsCamera()
    {
        ASSET_INFORMATION tz7000 = record("TZ7000", "TZ7K"), tz4100 = record("TZ4100", "TZ41");
        MainWindow w(nullptr, unreachableBase, quickLimits());
        tz7000.Version = tz4100.Version = "5.930";
        plugIn(tz7000, "5.900");
        plugIn(tz4100, "5.917");
        w.handleDetection(&tz7000);
        w.handleDetection(&tz4100);
        deviceView(w)->setCurrentRow(1);

        plugIn(tz7000, "5.920", "ORVA");
        w.handleDetection(&tz7000);
        QCOMPARE(rowTexts(w), QStringList({" TZ7000 - 5.920", " TZ4100 - 5.917"}));
        QCOMPARE(deviceView(w)->currentRow(), 1);
        QCOMPARE(deviceView(w)->item(0)->toolTip(),
                 QString("Catalogue version: 5.930\nBrand reported: ORVA\nFound on: /media/card"));
        tz4100.ADB_Device = true;
        unplug(tz7000);
        w.handleDetection(&tz7000);
        QCOMPARE(deviceView(w)->item(0)->toolTip(), QString("Catalogue version: 5.930\nBrand reported: none\nFound on: USB debugging"));
        QCOMPARE(deviceView(w)->currentRow(), 0);
    }
};

QTEST_MAIN(DeviceListTest)
#include "tst_devicelist.moc"
