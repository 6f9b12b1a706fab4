#include "detection/versionfile.h"

#include <QFile>

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
    // Opened without text translation: the parser wants the CR bytes as stored.
    QFile file(CardLayout::onVolume(volumeRoot, CardLayout::versionFile(modelCode)));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    if (file.size() == 0)
        return QByteArray();
    return file.readAll();
}

bool brandMatches(const QString &catalogueBrand, const QString &cardBrand)
{
    return catalogueBrand.isEmpty() || catalogueBrand == cardBrand;
}
