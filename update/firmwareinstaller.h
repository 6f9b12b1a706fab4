#pragma once

#include "update/cardwriter.h"
#include "update/installlimits.h"
#include "update/updatephase.h"

#include <QByteArray>
#include <QString>

#include <optional>

struct ASSET_INFORMATION;
class FirmwareCache;
class StopRequest;

// Brings the catalogue's firmware image onto one camera and says how that went, as an
// InstallOutcome. The checks come in a fixed order: link, download, digest,
// destination, push; the first that fails decides, even where a card took the image
// while it arrived. Every long step runs in a worker thread while the window waits in
// a local event loop, so it stays live.
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
        std::optional<CardWriteResult> card; // when a card took the image as it came
    };

    static CardDestination cardDestination(const QString &imagePath, const QString &modelCode);
    VerifiedImage cachedImage(const QString &link, const QString &checksum);
    VerifiedImage downloadedImage(const QString &link, const QString &checksum,
                                  const std::optional<CardDestination> &card);
    int writeToCard(const VerifiedImage &image, const CardDestination &destination);
    int pushOverAdb(const VerifiedImage &image, const QString &stagingPath, const QString &modelCode);

    FirmwareCache &cache;
    PhaseProgress reporter;
    const StopRequest &stop;
    const InstallLimits limits;
};
