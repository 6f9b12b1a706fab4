#include "detection/versionfileparser.h"

#include "outside/textbeforenul.h"

#include <QList>

namespace {
constexpr int versionLine = 1;
constexpr int brandLine = 2;
}

VersionFileParser *VersionFileParser::instance()
{
    static VersionFileParser parser;
    return &parser;
}

QString VersionFileParser::getVersion(const QByteArray &contents) const
{
    return lineValue(contents, versionLine);
}

QString VersionFileParser::getBrand(const QByteArray &contents) const
{
    return lineValue(contents, brandLine);
}

QString VersionFileParser::lineValue(const QByteArray &contents, int lineNumber)
{
    // Cameras write LF line ends, some tools CR LF: only LF separates lines, and the CR
    // goes with the surrounding whitespace.
    const QList<QByteArray> lines = contents.split('\n');
    if (lines.size() < lineNumber)
        return QString();
    const QByteArray line = lines.at(lineNumber - 1).trimmed();
    if (line.isNull())
        return QString();
    return textBeforeNul(line);
}
