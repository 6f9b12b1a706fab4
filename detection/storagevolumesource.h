#pragma once

#include "detection/mountedvolume.h"

// The workstation's mounted volumes, as Qt sees them.
class StorageVolumeSource : public VolumeSource
{
public:
    QVector<MountedVolume> mountedVolumes() const override;
};
