#include "detection/versionfile.h"

#include "detection/cardfileread.h"

QString CardLayout::deviceFolder(const QString &modelCode)
{
    return "DCIM/100" + modelCode;
}

QString CardLayout::versionFile(const QString &modelCode)
{
    return deviceFolder(modelCode) + "/.version";
}

QString CardLayout::updateImage(const QString &modelCode)
{
    return "DCIM/" + modelCode + "LOAD/" + modelCode + "UPDT.BIN";
}

QString CardLayout::onVolume(const QString &volumeRoot, const QString &cardPath)
{
    if (volumeRoot.endsWith('/'))
        return volumeRoot + cardPath;
    return volumeRoot + '/' + cardPath;
}

QByteArray readCardVersionFile(const QString &volumeRoot, const QString &modelCode)
{
    // Read as stored, CR bytes included: the parser wants them.
    return readRegularFileHead(CardLayout::onVolume(volumeRoot, CardLayout::versionFile(modelCode)),
                               maxVersionFileBytes);
}

bool brandMatches(const QString &catalogueBrand, const QString &cardBrand)
{
    return catalogueBrand.isEmpty() || catalogueBrand == cardBrand;
}
