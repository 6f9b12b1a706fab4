#include "detection/adbanswers.h"

#include "outside/textbeforenul.h"

#include <QRegularExpression>

QByteArray versionFileFromCatOutput(const QByteArray &catOutput)
{
    if (catOutput.contains("No such file or directory"))
        return QByteArray();
    return catOutput;
}

bool listingHasUpdateFolder(const QByteArray &listing, const QString &modelCode)
{
    // Pushing into a folder that is not there makes adb create a file of that name, so
    // only an entry of exactly that name counts. Old devices list in columns on a
    // terminal and end their lines in CR LF: any ASCII white space separates entries.
    // (Model codes hold no blanks: the catalogue takes plain names only.)
    static const QRegularExpression separators(QStringLiteral("[ \\t\\n\\v\\f\\r]+"));
    return textBeforeNul(listing).split(separators, Qt::SkipEmptyParts).contains(modelCode + "LOAD");
}
