#include "update/checksum.h"

namespace {
bool isHexDigit(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
           || (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}
}

QString normalisedChecksum(const QString &catalogueChecksum)
{
    if (catalogueChecksum.size() != 64)
        return QString();
    for (const QChar c : catalogueChecksum) {
        if (!isHexDigit(c))
            return QString();
    }
    return catalogueChecksum.toUpper();
}

bool checksumMatches(const QByteArray &digest, const QString &catalogueChecksum)
{
    const QString expected = normalisedChecksum(catalogueChecksum);
    return digest.size() == 32 && !expected.isEmpty() && QString::fromLatin1(digest.toHex().toUpper()) == expected;
}
