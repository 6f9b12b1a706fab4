#pragma once

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
