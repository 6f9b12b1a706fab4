#pragma once

#include <QByteArray>
#include <QString>

// Where a camera keeps its files on its SD card, as paths relative to the card's root.
// {code} is the record's short model code.
namespace CardLayout {
// The names within DCIM/: 100{code}, {code}LOAD, and the image's {code}UPDT.BIN.
QString deviceFolderName(const QString &modelCode);
QString updateFolderName(const QString &modelCode);
QString updateImageName(const QString &modelCode);

// DCIM/100{code}: a volume holding it is a candidate camera.
QString deviceFolder(const QString &modelCode);
// DCIM/{code}LOAD
QString updateFolder(const QString &modelCode);
// DCIM/100{code}/.version
QString versionFile(const QString &modelCode);
// DCIM/{code}LOAD/{code}UPDT.BIN: the camera installs the image it finds here.
QString updateImage(const QString &modelCode);

// The full path of a card-relative path on a volume. Drive roots such as E:/ end in
// "/", mount points such as /media/card do not; both give one "/" between the parts.
QString onVolume(const QString &volumeRoot, const QString &cardPath);
}

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
