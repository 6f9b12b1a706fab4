#pragma once

#include "detection/mountedvolume.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <functional>

// What the mounted volumes tell about a camera of one catalogue model.
struct VolumeScanResult
{
    bool attached = false;
    QString version;
    QString brand;
    QString updatePath; // where a firmware image for the camera is to be written
};

// Gives the bytes of the version file on the volume with this root, or an empty array.
using VersionFileReader = std::function<QByteArray(const QString &volumeRoot)>;

// Looks for a camera of the model on the volumes, in their order. A volume counts when
// it is valid, ready, writable (a write-protected card can take no update), holds the
// model's device folder, and - when the catalogue names a brand - its version file
// reports exactly that brand. When several volumes count, the last one gives the result.
VolumeScanResult scanVolumesForCamera(const QVector<MountedVolume> &volumes, const QString &modelCode,
                                      const QString &catalogueBrand, const VersionFileReader &readVersionFile);
