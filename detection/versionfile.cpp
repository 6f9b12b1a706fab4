#include "detection/versionfile.h"

#include "detection/cardfileread.h"
#include "detection/cardlayout.h"

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
