// Which cameras the probed volumes hold, and what the registry makes of pass after
// pass: literal volumes, no mounts.

#include "detection/cameraregistry.h"
#include "detection/volumescan.h"

#include <QtTest>

namespace {
// "/media/a#7:TZ22=5.910/ORVA,TZ41=" is a volume at /media/a, mount 7, holding the
// TZ22 folder (version file "5.910\nORVA") and TZ41's with an empty version file; a
// "!" after the mount id makes it write-protected, a "?" a reader without a card.
ProbedVolume volume(const QString &text)
{
    const QString head = text.section(':', 0, 0);
    ProbedVolume probed;
    probed.rootPath = head.section('#', 0, 0);
    probed.identity = head.section('#', 1).remove('!').remove('?');
    probed.mayHoldCamera = !head.endsWith('?');
    probed.writable = !head.endsWith('!');
    for (const QString &folder : text.section(':', 1).split(',', Qt::SkipEmptyParts))
        probed.folders.append({folder.section('=', 0, 0), folder.section('=', 1).replace('/', '\n').toUtf8()});
    return probed;
}

CatalogueEntry entry(const QString &model, const QString &code, const QString &brand = {})
{
    CatalogueEntry asset;
    asset.model = model;
    asset.modelCode = code;
    asset.version = "5.920";
    asset.brand = brand;
    return asset;
}
}

class RegistryTest : public QObject
{
    Q_OBJECT

private slots:
    // Each row: the passes, volumes separated by " | " and passes by " || "; and what
    // the registry tells, pass by pass: +attached, -detached, ~changed, !detection error,
    // each with the model, where and the version. The catalogue has TZ2200, TZ4100 and
    // VEK under two brands.
    void passes_data()
    {
        QTest::addColumn<QString>("passes");
        QTest::addColumn<QStringList>("told");
        QTest::addColumn<QString>("listed"); // after the last pass
        QTest::newRow("three cards of one model: three rows, in order of attachment")
            << "/b#2:TZ22=5.917 | /a#1:TZ22=5.910 || /c#3:TZ22=5.900 | /b#2:TZ22=5.917 | /a#1:TZ22=5.910"
            << QStringList{"+TZ2200 /b 5.917 +TZ2200 /a 5.910", "+TZ2200 /c 5.900"}
            << "/b#2 5.917, /a#1 5.910, /c#3 5.900";
        QTest::newRow("a card pulled leaves; the others keep their order")
            << "/a#1:TZ22=5.910 | /b#2:TZ22=5.917 | /c#3:TZ41=5.900 || /a#1:TZ22=5.910 | /c#3:TZ41=5.900"
            << QStringList{"+TZ2200 /a 5.910 +TZ2200 /b 5.917 +TZ4100 /c 5.900", "-TZ2200 /b"} << "/a#1 5.910, /c#3 5.900";
        QTest::newRow("another card at the same mount point is another camera")
            << "/a#1:TZ22=5.910 || /a#9:TZ22=5.910"
            << QStringList{"+TZ2200 /a 5.910", "-TZ2200 /a +TZ2200 /a 5.910"} << "/a#9 5.910";
        QTest::newRow("a version that changes changes the row")
            << "/a#1:TZ22=5.910 || /a#1:TZ22=5.920"
            << QStringList{"+TZ2200 /a 5.910", "~TZ2200 /a 5.920"} << "/a#1 5.920";
        QTest::newRow("detection error once per attachment, again after a re-plug")
            << "/a#1:TZ22= || /a#1:TZ22= || || /a#4:TZ22= || /a#4:TZ22=5.910"
            << QStringList{"!TZ2200 /a", "", "", "!TZ2200 /a", "+TZ2200 /a 5.910"} << "/a#4 5.910";
        QTest::newRow("a volume that did not answer keeps its cameras")
            << "/a#1:TZ22=5.910 | /b#2:TZ41=5.900 || /b#2:TZ41=5.900 ?/a"
            << QStringList{"+TZ2200 /a 5.910 +TZ4100 /b 5.900", ""} << "/a#1 5.910, /b#2 5.900";
        QTest::newRow("empty readers and other brands are passed over; brands match exactly")
            << "/a#1?:TZ22=5.910 | /b#2:VEK=2.1/orva | /c#3:VEK=2.1/PELKA | /d#4:VEK=2.0/TALM"
            << QStringList{"+VEK /c 2.1 +VEK /d 2.0"} << "/c#3 2.1, /d#4 2.0";
        // Listed, so that the technician sees why it takes no update.
        QTest::newRow("a write-protected card is listed as one")
            << "/a#1!:TZ22=5.910 || /a#1:TZ22=5.910" << QStringList{"+TZ2200 /a 5.910 locked", "~TZ2200 /a 5.910"}
            << "/a#1 5.910";
        QTest::newRow("no version file and a catalogue brand: no camera, no error")
            << "/a#1:VEK=" << QStringList{""} << "";
    }
    void passes()
    {
        QFETCH(QString, passes);
        const QVector<CatalogueEntry> catalogue{entry("TZ2200", "TZ22"), entry("TZ4100", "TZ41"),
                                                   entry("VEK", "VEK", "PELKA"), entry("VEK", "VEK", "TALM")};
        CameraRegistry registry;
        QString events;
        const auto tell = [&events](const char *sign, bool withVersion) {
            return [&events, sign, withVersion](const AttachedCamera &camera) {
                events += QString(" %1%2 %3").arg(sign, camera.entry.model, camera.location)
                          + (withVersion ? " " + camera.installedVersion : QString())
                          + (camera.writable ? QString() : QStringLiteral(" locked"));
            };
        };
        connect(&registry, &CameraRegistry::cameraAttached, this, tell("+", true));
        connect(&registry, &CameraRegistry::cameraDetached, this, tell("-", false));
        connect(&registry, &CameraRegistry::cameraChanged, this, tell("~", true));
        connect(&registry, &CameraRegistry::detectionError, this, tell("!", false));
        QStringList told;
        for (const QString &pass : passes.split("||")) {
            QVector<ProbedVolume> volumes;
            QStringList unanswered;
            for (QString text : pass.split('|', Qt::SkipEmptyParts)) {
                text = text.trimmed();
                if (text.contains(" ?"))
                    unanswered << text.section(" ?", 1), text = text.section(" ?", 0, 0);
                volumes.append(volume(text));
            }
            events.clear();
            registry.takeSightings(CameraRoute::Card, camerasOnVolumes(volumes, catalogue), unanswered);
            told << events.trimmed();
        }
        QTEST(told, "told");
        QStringList listed;
        for (const AttachedCamera &camera : registry.cameras()) {
            listed << camera.location + "#" + camera.volumeIdentity + " " + camera.installedVersion;
            QCOMPARE(camera.imagePath, camera.location + "/DCIM/" + camera.entry.modelCode + "LOAD/"
                                             + camera.entry.modelCode + "UPDT.BIN");
        }
        QTEST(listed.join(", "), "listed");
    }
};

QTEST_GUILESS_MAIN(RegistryTest)
#include "tst_registry.moc"
