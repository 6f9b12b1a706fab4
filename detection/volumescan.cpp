#include "detection/volumescan.h"

#include "detection/versionfile.h"
#include "detection/versionfileparser.h"

#include <QFile>

namespace {
bool mayHoldCamera(const MountedVolume &volume)
{
    return volume.valid && volume.ready && !volume.readOnly;
}
}

VolumeScanResult scanVolumesForCamera(const QVector<MountedVolume> &volumes, const QString &modelCode,
                                      const QString &catalogueBrand, const VersionFileReader &readVersionFile)
{
    const VersionFileParser *parser = VersionFileParser::instance();
    VolumeScanResult found;
    for (const MountedVolume &volume : volumes) {
        if (!mayHoldCamera(volume))
            continue;
        // Anything of the folder's name will do: cameras are not told apart from a file.
        if (!QFile::exists(CardLayout::onVolume(volume.rootPath, CardLayout::deviceFolder(modelCode))))
            continue;
        const QByteArray versionFile = readVersionFile(volume.rootPath);
        const QString cardBrand = parser->getBrand(versionFile);
        if (!brandMatches(catalogueBrand, cardBrand))
            continue;
        // No break: with two cards of one model, the later volume stands.
        found.attached = true;
        found.version = parser->getVersion(versionFile);
        found.brand = cardBrand;
        found.updatePath = CardLayout::onVolume(volume.rootPath, CardLayout::updateImage(modelCode));
    }
    return found;
}
