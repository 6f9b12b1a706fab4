#include "catalogue/versionnumber.h"

#include <QByteArray>

double versionNumber(const QString &version)
{
    QByteArray digits;
    for (const QChar c : version) {
        if (c.isDigit())
            digits += QString(c).toUtf8();
    }
    return digits.toDouble();
}

bool updateRequired(const QString &modelCode, const QString &catalogueVersion, const QString &deviceVersion)
{
    if (modelCode == QLatin1String("TZ41") && deviceVersion.contains(QLatin1String("5.917")))
        return false;
    return versionNumber(catalogueVersion) != versionNumber(deviceVersion);
}
