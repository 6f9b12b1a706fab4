// The storage scan through the window, over real tmpfs cards: which card stands for a
// camera, and which row shows it.

#include "detection/storagevolumesource.h"
#include "quicklimits.h"
#include "testkit.h"

#include <QtTest>

namespace {
// One storage scan of the record, as a poll pass makes it.
void scan(MainWindow &w, ASSET_INFORMATION &asset)
{
    QVERIFY(QMetaObject::invokeMethod(&w, "pollUsbDevices", Qt::DirectConnection, Q_ARG(ASSET_INFORMATION *, &asset)));
}
}

class StorageScanTest : public QObject
{
    Q_OBJECT
    QTemporaryDir scratch;

    QString card(const QString &name, const QString &code, const QByteArray &versionFile)
    {
        const QString root = scratch.filePath(name);
        return mountCard(root, 1 << 20) && !makeCard(root, code, versionFile, true).isEmpty() ? root : QString();
    }

private slots:
    void cleanupTestCase()
    {
        for (const QString &root : {"locked", "cards", "first", "second"})
            pullCard(scratch.filePath(root));
    }

    // A read-only card and one of another brand are passed over; brands match exactly,
    // and without a catalogue brand any card of the model will do.
    void cardsThatDoNotMatch()
    {
        ASSET_INFORMATION locked = camera("TZ7000", "TZ7K", {}), lowerCase = camera("TZ4100", "TZ41", {}),
                          otherBrand = camera("TZ4300", "TZ43", {});
        lowerCase.Brand = otherBrand.Brand = "ORVA";
        MainWindow w(nullptr, "https://127.0.0.1:9", quickLimits());
        QVERIFY(!card("locked", "TZ7K", "5.920\n").isEmpty() && remountCard(scratch.filePath("locked"), true));
        QVERIFY(!card("cards", "TZ41", "5.917\norva\n").isEmpty());
        QVERIFY(!makeCard(scratch.filePath("cards"), "TZ43", "5.917\nPELKA\n", true).isEmpty());
        for (ASSET_INFORMATION *asset : {&locked, &lowerCase, &otherBrand}) {
            scan(w, *asset);
            QVERIFY2(!asset->Attached, qPrintable(asset->Model));
        }
        QVERIFY(remountCard(scratch.filePath("locked"), false));
        lowerCase.Brand.clear();
        for (ASSET_INFORMATION *asset : {&locked, &lowerCase})
            scan(w, *asset);
        QCOMPARE(rows(w), QStringList({" TZ7000 - 5.920", " TZ4100 - 5.917"}));
    }

    // Of two cards of one model the later volume stands, and the one row shows that card.
    void laterOfTwoCardsStands()
    {
        ASSET_INFORMATION tz5500 = camera("TZ5500", "TZ55", {});
        MainWindow w(nullptr, "https://127.0.0.1:9", quickLimits());
        const QString first = card("first", "TZ55", "5.901\n"), second = card("second", "TZ55", "5.902\n");
        QVERIFY(!first.isEmpty() && !second.isEmpty());
        QStringList roots;
        for (const MountedVolume &volume : StorageVolumeSource().mountedVolumes())
            roots << volume.rootPath;
        const bool secondIsLater = roots.indexOf(second) > roots.indexOf(first);
        QVERIFY(roots.contains(first) && roots.contains(second));
        scan(w, tz5500);
        QCOMPARE(rows(w), QStringList(QString(" TZ5500 - ") + (secondIsLater ? "5.902" : "5.901")));
        QVERIFY(tz5500.Update_Path.startsWith((secondIsLater ? second : first) + "/DCIM/"));
        QVERIFY(deviceView(w)->item(0)->toolTip().endsWith("Found on: " + (secondIsLater ? second : first)));
    }
};

QTEST_MAIN(StorageScanTest)
#include "tst_storagescan.moc"
