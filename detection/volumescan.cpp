#include "detection/volumescan.h"

#include "detection/cardlayout.h"
#include "detection/versionfile.h"
#include "detection/versionfileparser.h"

QVector<AttachedCamera> camerasOnVolumes(const QVector<ProbedVolume> &volumes, const QVector<CatalogueEntry> &entries)
{
    const VersionFileParser *parser = VersionFileParser::instance();
    QVector<AttachedCamera> cameras;
    for (const ProbedVolume &volume : volumes) {
        if (!volume.mayHoldCamera)
            continue;
        for (const CardFolder &folder : volume.folders) {
            for (int index = 0; index < entries.size(); ++index) {
                const CatalogueEntry &entry = entries.at(index);
                const QString brand = parser->getBrand(folder.versionFile);
                if (entry.modelCode != folder.modelCode || !brandMatches(entry.brand, brand))
                    continue;
                AttachedCamera camera;
                camera.entry = entry;
                camera.entryIndex = index;
                camera.route = CameraRoute::Card;
                camera.location = volume.rootPath;
                camera.volumeIdentity = volume.identity;
                camera.writable = volume.writable;
                camera.slot = volume.slot;
                camera.installedVersion = parser->getVersion(folder.versionFile);
                camera.reportedBrand = brand;
                camera.imagePath = CardLayout::onVolume(volume.rootPath, CardLayout::updateImage(entry.modelCode));
                cameras.append(camera);
            }
        }
    }
    return cameras;
}
