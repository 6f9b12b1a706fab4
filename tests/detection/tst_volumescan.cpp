#include "detection/storagevolumesource.h"
#include "detection/versionfile.h"
#include "detection/volumescan.h"

#include "cardlayout.h"
#include "mountsandbox.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {
VolumeScanResult scan(const QVector<MountedVolume> &volumes, const QString &code, const QString &brand)
{
    return scanVolumesForCamera(volumes, code, brand,
                                [code](const QString &root) { return readCardVersionFile(root, code); });
}

VolumeScanResult scanMounted(const QString &code, const QString &brand)
{
    return scan(StorageVolumeSource().mountedVolumes(), code, brand);
}

int positionOf(const QString &root)
{
    const QVector<MountedVolume> volumes = StorageVolumeSource().mountedVolumes();
    for (int i = 0; i < volumes.size(); ++i) {
        if (volumes.at(i).rootPath == root)
            return i;
    }
    return -1;
}

// Camera cards as tmpfs volumes, each mounted on its own folder.
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

class VolumeScanTest : public QObject
{
    Q_OBJECT

private slots:
    void volumesThatCannotHoldACameraArePassedOver()
    {
        QTemporaryDir card;
        QVERIFY(!makeCard(card.path(), "TZ41", "5.917\nORVA\n", true).isEmpty());
        const QString root = card.path();

        QVERIFY(!scan({{root, false, true, false}}, "TZ41", "").attached);
        QVERIFY(!scan({{root, true, false, false}}, "TZ41", "").attached);
        QVERIFY(!scan({{root, true, true, true}}, "TZ41", "").attached);
        QVERIFY(!scan({{root, true, true, false}}, "TZ43", "").attached);

        const VolumeScanResult none = scan({}, "TZ41", "");
        QVERIFY(!none.attached);
        QVERIFY(none.version.isEmpty() && none.brand.isEmpty() && none.updatePath.isEmpty());

        const VolumeScanResult driveRoot = scan({{root + "/", true, true, false}}, "TZ41", "ORVA");
        QVERIFY(driveRoot.attached);
        QCOMPARE(driveRoot.updatePath, root + "/DCIM/TZ41LOAD/TZ41UPDT.BIN");
    }

    void findsAMountedCard()
    {
        VEK_REQUIRE_MOUNTS();
        Cards cards;
        const QString root = cards.mount("card");
        QVERIFY(!root.isEmpty());
        const QString image = makeCard(root, "QX41", "5.917\r\nORVA\r\n", true);

        const VolumeScanResult found = scanMounted("QX41", "ORVA");
        QVERIFY(found.attached);
        QCOMPARE(found.version, QString("5.917"));
        QCOMPARE(found.brand, QString("ORVA"));
        QCOMPARE(found.updatePath, image);
    }

    void writeProtectedCardIsNotDetected()
    {
        VEK_REQUIRE_MOUNTS();
        Cards cards;
        const QString root = cards.mount("locked");
        QVERIFY(!root.isEmpty());
        QVERIFY(!makeCard(root, "QX42", "5.917\nORVA\n", true).isEmpty());
        QVERIFY(cards.makeReadOnly(root));

        QVERIFY(!scanMounted("QX42", "").attached);
    }

    void laterOfTwoCardsOfOneModelStands()
    {
        VEK_REQUIRE_MOUNTS();
        Cards cards;
        const QString first = cards.mount("first");
        const QString second = cards.mount("second");
        QVERIFY(!first.isEmpty() && !second.isEmpty());
        QVERIFY(!makeCard(first, "QX43", "1.111\nORVA\n", true).isEmpty());
        QVERIFY(!makeCard(second, "QX43", "2.222\nORVA\n", true).isEmpty());
        QVERIFY(positionOf(first) >= 0 && positionOf(second) >= 0);
        const bool secondIsLater = positionOf(second) > positionOf(first);

        const VolumeScanResult found = scanMounted("QX43", "ORVA");
        QVERIFY(found.attached);
        QCOMPARE(found.version, QString(secondIsLater ? "2.222" : "1.111"));
        QVERIFY(found.updatePath.startsWith((secondIsLater ? second : first) + "/DCIM/"));
    }

    void cardWithoutUpdateFolderIsDetected()
    {
        VEK_REQUIRE_MOUNTS();
        Cards cards;
        const QString root = cards.mount("noload");
        QVERIFY(!root.isEmpty());
        const QString image = makeCard(root, "QX44", "5.917\n", false);

        const VolumeScanResult found = scanMounted("QX44", "");
        QVERIFY(found.attached);
        QCOMPARE(found.updatePath, image);
        QVERIFY(!QFileInfo::exists(QFileInfo(image).path()));
    }

    void brandMustMatchExactly()
    {
        VEK_REQUIRE_MOUNTS();
        Cards cards;
        const QString root = cards.mount("brands");
        QVERIFY(!root.isEmpty());
        QVERIFY(!makeCard(root, "QXLC", "5.1\norva\n", true).isEmpty());
        QVERIFY(!makeCard(root, "QXOT", "5.2\nPELKA\n", true).isEmpty());
        QVERIFY(!makeCard(root, "QXWS", "5.3\n \tORVA \r\n", true).isEmpty());

        QVERIFY(!scanMounted("QXLC", "ORVA").attached);
        QVERIFY(!scanMounted("QXOT", "ORVA").attached);
        QCOMPARE(scanMounted("QXWS", "ORVA").version, QString("5.3"));

        const VolumeScanResult anyBrand = scanMounted("QXLC", "");
        QVERIFY(anyBrand.attached);
        QCOMPARE(anyBrand.brand, QString("orva"));
    }

    void cardWithoutVersionFileIsDetectedOnlyWithoutBrand()
    {
        VEK_REQUIRE_MOUNTS();
        Cards cards;
        const QString root = cards.mount("noversion");
        QVERIFY(!root.isEmpty());
        QVERIFY(!makeCard(root, "QX45", QByteArray(), true).isEmpty());

        QVERIFY(!scanMounted("QX45", "ORVA").attached);
        const VolumeScanResult found = scanMounted("QX45", "");
        QVERIFY(found.attached);
        QVERIFY(found.version.isEmpty() && found.brand.isEmpty());
        QVERIFY(!found.updatePath.isEmpty());
    }

    void unmountedCardIsGone()
    {
        VEK_REQUIRE_MOUNTS();
        Cards cards;
        const QString root = cards.mount("pulled");
        QVERIFY(!root.isEmpty());
        QVERIFY(!makeCard(root, "QX46", "5.917\n", true).isEmpty());
        QVERIFY(scanMounted("QX46", "").attached);

        QVERIFY(cards.unmount(root));
        QVERIFY(!scanMounted("QX46", "").attached);
    }
};

VEK_TEST_MAIN_WITH_MOUNTS(VolumeScanTest)
#include "tst_volumescan.moc"
