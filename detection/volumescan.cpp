#include "detection/volumescan.h"

#include "detection/versionfile.h"
#include "detection/versionfileparser.h"

QVector<AttachedCamera> camerasOnVolumes(const QVector<ProbedVolume> &volumes, const QVector<ASSET_INFORMATION> &entries)
{
    const VersionFileParser *parser = VersionFileParser::instance();
    QVector<AttachedCamera> cameras;
    for (const ProbedVolume &volume : volumes) {
        if (!volume.mayHoldCamera)
            continue;
        for (const CardFolder &folder : volume.folders) {
            for (int index = 0; index < entries.size(); ++index) {
                const ASSET_INFORMATION &entry = entries.at(index);
                const QString brand = parser->getBrand(folder.versionFile);
                if (entry.Model_Code != folder.modelCode || !brandMatches(entry.Brand, brand))
                    continue;
                AttachedCamera camera;
                camera.entry = entry;
                camera.entryIndex = index;
                camera.route = CameraRoute::Card;
                camera.location = volume.rootPath;
                camera.volumeIdentity = volume.identity;
                camera.Device_Version = parser->getVersion(folder.versionFile);
                camera.Device_Brand = brand;
                camera.Update_Path = CardLayout::onVolume(volume.rootPath, CardLayout::updateImage(entry.Model_Code));
                cameras.append(camera);
            }
        }
    }
    return cameras;
}
