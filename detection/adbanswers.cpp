#include "detection/adbanswers.h"

QByteArray versionFileFromCatOutput(const QByteArray &catOutput)
{
    if (catOutput.contains("No such file or directory"))
        return QByteArray();
    return catOutput;
}

bool listingHasUpdateFolder(const QByteArray &listing, const QString &modelCode)
{
    const int nul = listing.indexOf('\0');
    const QString text = QString::fromUtf8(nul < 0 ? listing : listing.left(nul));
    return text.indexOf(modelCode + "LOAD", 0, Qt::CaseSensitive) >= 0;
}
