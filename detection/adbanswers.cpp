#include "detection/adbanswers.h"

#include "outside/textbeforenul.h"

QByteArray versionFileFromCatOutput(const QByteArray &catOutput)
{
    if (catOutput.contains("No such file or directory"))
        return QByteArray();
    return catOutput;
}

bool listingHasUpdateFolder(const QByteArray &listing, const QString &modelCode)
{
    return textBeforeNul(listing).indexOf(modelCode + "LOAD", 0, Qt::CaseSensitive) >= 0;
}
