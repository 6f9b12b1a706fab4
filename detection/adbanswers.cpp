#include "detection/adbanswers.h"

#include "outside/textbeforenul.h"

#include <QRegularExpression>

namespace {
// Any ASCII white space: old devices list in columns on a terminal and end their
// lines in CR LF.
const QRegularExpression &whiteSpace()
{
    static const QRegularExpression separators(QStringLiteral("[ \\t\\n\\v\\f\\r]+"));
    return separators;
}

bool isPlausibleSerial(const QString &serial)
{
    if (serial.isEmpty() || serial.size() > 128)
        return false;
    for (const QChar c : serial) {
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7f)
            return false;
    }
    return true;
}
}

QStringList readySerials(const QByteArray &devicesOutput)
{
    QStringList serials;
    const QStringList lines = textBeforeNul(devicesOutput).split('\n');
    for (const QString &line : lines) {
        // "0123456789ABCDEF\tdevice", after a "List of devices attached" heading.
        const QStringList fields = line.split(whiteSpace(), Qt::SkipEmptyParts);
        if (fields.size() >= 2 && fields.at(1) == QLatin1String("device") && isPlausibleSerial(fields.at(0))
            && !serials.contains(fields.at(0)))
            serials << fields.at(0);
    }
    return serials;
}

QByteArray versionFileFromCatOutput(const QByteArray &catOutput)
{
    if (catOutput.contains("No such file or directory"))
        return QByteArray();
    return catOutput;
}

bool listingHasEntry(const QByteArray &listing, const QString &name)
{
    // Pushing into a folder that is not there makes adb create a file of that name, so
    // only an entry of exactly that name counts. (Model codes hold no blanks: the
    // catalogue takes plain names only.)
    return textBeforeNul(listing).split(whiteSpace(), Qt::SkipEmptyParts).contains(name);
}
