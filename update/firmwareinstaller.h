#pragma once

#include "update/installlimits.h"
#include "update/updatephase.h"

#include <QByteArray>
#include <QString>

struct ASSET_INFORMATION;
class FirmwareCache;
class StopRequest;

// Brings the catalogue's firmware image onto one camera and says how that went, as an
// InstallOutcome. The checks come in a fixed order: link, download, digest,
// destination, push; the first that fails decides. Every long step waits in a local
// event loop (network) or a worker thread (card, adb), so the window stays live.
class FirmwareInstaller
{
public:
    // The reporter is called from worker threads as well as this one. A raised stop
    // ends the download early; the camera is then reported as not writable.
    FirmwareInstaller(FirmwareCache &cache, PhaseProgress reporter, const StopRequest &stop,
                      const InstallLimits &limits = {});

    int install(const ASSET_INFORMATION &device);

private:
    struct VerifiedImage
    {
        int outcome = 0;
        QString path;
        QByteArray digest;
    };

    VerifiedImage verifiedImage(const QString &link, const QString &checksum);
    VerifiedImage cachedImage(const QString &link, const QString &checksum);
    VerifiedImage downloadedImage(const QString &link, const QString &checksum);
    int writeToCard(const VerifiedImage &image, const QString &destination, const QString &modelCode);
    int pushOverAdb(const VerifiedImage &image, const QString &stagingPath, const QString &modelCode);

    FirmwareCache &cache;
    PhaseProgress reporter;
    const StopRequest &stop;
    const InstallLimits limits;
};
