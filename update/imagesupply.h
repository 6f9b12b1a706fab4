#pragma once

#include "catalogue/catalogueentry.h"
#include "catalogue/firmwaresource.h"
#include "outside/background.h"
#include "outside/httpsget.h"
#include "outside/stopflag.h"
#include "update/imagefeed.h"
#include "update/updateoutcome.h"

#include <QHash>
#include <QObject>

#include <memory>

class FirmwareCache;

// Brings each image once for every update that takes it: the first update of an image
// starts its fetch (from the cache's verified copy, the server or the source folder),
// and later ones join it while it can still serve them from its first byte. What it
// verifies stays in the cache for the updates that come after. A fetch that every
// reader has left ends by itself; those still running when the supply goes are stopped,
// and waited for a moment, so that the cache's files are closed before it clears them.
class ImageSupply : public QObject
{
    Q_OBJECT
public:
    ImageSupply(FirmwareCache &cache, FirmwareSource source, DownloadLimits limits);
    ~ImageSupply() override;

    // A reader of the entry's image from its first byte; null, with the outcome that
    // ends the update at once, when the catalogue names no image that can be had.
    std::unique_ptr<ImageFeed::Reader> readerFor(const CatalogueEntry &entry, UpdateOutcome *refusal);

private:
    struct Fetch
    {
        std::shared_ptr<ImageFeed> feed = std::make_shared<ImageFeed>();
        StopFlag stop;
        Pending<bool> ended;
    };
    FirmwareCache &cache;
    const FirmwareSource source;
    const DownloadLimits limits;
    QHash<QString, std::shared_ptr<Fetch>> fetches; // running, by link and checksum
    Mailbox mailbox{this};
};
