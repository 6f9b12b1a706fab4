#include "detection/volumeprobe.h"

#include "detection/cardlayout.h"
#include "detection/usbslot.h"
#include "detection/versionfile.h"

#include <QFile>
#include <QStorageInfo>

ProbedVolume probeVolume(const MountPoint &mount, const QStringList &modelCodes)
{
    ProbedVolume volume;
    volume.rootPath = mount.rootPath;
    volume.identity = mount.identity.isEmpty() ? mountIdentityAt(mount.rootPath) : mount.identity;
    const QStorageInfo info(mount.rootPath);
    // A reader without a card is not ready. A write-protected card is listed all the
    // same, so that the technician sees why it takes no update.
    volume.mayHoldCamera = info.isValid() && info.isReady() && info.bytesTotal() > 0;
    volume.writable = !info.isReadOnly();
    if (!volume.mayHoldCamera)
        return volume;
    for (const QString &code : modelCodes) {
        // Anything of the folder's name will do: cameras are not told apart from a file.
        if (QFile::exists(CardLayout::onVolume(mount.rootPath, CardLayout::deviceFolder(code))))
            volume.folders.append({code, readCardVersionFile(mount.rootPath, code)});
    }
    if (!volume.folders.isEmpty())
        volume.slot = usbPortPath(mount.device);
    return volume;
}
