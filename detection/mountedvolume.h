#pragma once

#include <QString>
#include <QVector>

// The few facts about a mounted volume that camera detection looks at.
struct MountedVolume
{
    QString rootPath;
    bool valid = false;
    bool ready = false;
    bool readOnly = false;
};

// Lists the mounted volumes; the operating system's way of doing it stays behind this.
class VolumeSource
{
public:
    virtual ~VolumeSource() = default;
    virtual QVector<MountedVolume> mountedVolumes() const = 0;
};
