#pragma once

#include <QByteArray>
#include <QString>

// A version file is two short lines: nothing past its first 4 KiB is ever needed, by
// whichever route it is read.
constexpr qint64 maxVersionFileBytes = 4 * 1024;

// The first 4 KiB of the camera's version file on the volume, or an empty array when
// it is missing, unreadable, empty or not a regular file (a FIFO, a link, a folder).
// Why nothing was read is not told: every such card reads as one without a version.
QByteArray readCardVersionFile(const QString &volumeRoot, const QString &modelCode);

// Whether a camera reporting cardBrand is the catalogue entry's: an entry without a
// brand takes any camera of its model.
bool brandMatches(const QString &catalogueBrand, const QString &cardBrand);
