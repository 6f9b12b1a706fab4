#pragma once

#include <QByteArray>
#include <QString>

// Whether a computed digest is the one the catalogue publishes. The catalogue's text
// must be exactly 64 hexadecimal digits; letters may be in either case, since both
// spell the same digest.
bool checksumMatches(const QByteArray &digest, const QString &catalogueChecksum);

// The catalogue text in one spelling, for use as a key: upper case, or empty when it
// is not a SHA-256 digest at all.
QString normalisedChecksum(const QString &catalogueChecksum);
