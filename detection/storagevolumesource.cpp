#include "detection/storagevolumesource.h"

#include <QStorageInfo>

QVector<MountedVolume> StorageVolumeSource::mountedVolumes() const
{
    QVector<MountedVolume> volumes;
    const QList<QStorageInfo> all = QStorageInfo::mountedVolumes();
    for (const QStorageInfo &info : all)
        volumes.append({info.rootPath(), info.isValid(), info.isReady(), info.isReadOnly()});
    return volumes;
}
