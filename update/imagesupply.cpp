#include "update/imagesupply.h"

#include "outside/log.h"
#include "update/checksum.h"
#include "update/firmwarecache.h"
#include "update/imagefetch.h"

#include <QDeadlineTimer>

namespace {
QString imageKey(const CatalogueEntry &entry)
{
    return entry.link + '|' + normalisedChecksum(entry.checksum);
}
}

ImageSupply::ImageSupply(FirmwareCache &cache, FirmwareSource source, DownloadLimits limits)
    : cache(cache), source(std::move(source)), limits(limits)
{
}

ImageSupply::~ImageSupply()
{
    for (const std::shared_ptr<Fetch> &fetch : qAsConst(fetches))
        fetch->stop.raise();
    // A download sees its stop within a second; a source folder on a volume that hangs
    // may never come back, and holds up nothing.
    const QDeadlineTimer patience(2000);
    for (const std::shared_ptr<Fetch> &fetch : qAsConst(fetches))
        fetch->ended.waitFor(int(qMax<qint64>(patience.remainingTime(), 0)));
}

std::unique_ptr<ImageFeed::Reader> ImageSupply::readerFor(const CatalogueEntry &entry, UpdateOutcome *refusal)
{
    if (entry.link.isEmpty()) {
        *refusal = {UpdateEnd::NoLink, QStringLiteral("the catalogue names no image"), {}, 0, 0};
        return nullptr;
    }
    QString why;
    const std::optional<ImageOrigin> origin = source.imageFor(entry.link, &why);
    if (!origin) {
        *refusal = {UpdateEnd::SourceFailed, why, {}, 0, 0};
        return nullptr;
    }
    const QString key = imageKey(entry);
    if (const std::shared_ptr<Fetch> running = fetches.value(key)) {
        if (std::unique_ptr<ImageFeed::Reader> reader = running->feed->join())
            return reader;
    }
    const auto fetch = std::make_shared<Fetch>();
    fetches.insert(key, fetch);
    std::unique_ptr<ImageFeed::Reader> reader = fetch->feed->join();
    // After the first reader has joined: a feed without readers ends at its first byte.
    FetchOrder order;
    order.checksum = entry.checksum;
    order.cachedImage = cache.imageFor(entry.link, entry.checksum);
    order.origin = *origin;
    if (!origin->isFile())
        order.download = cache.download(entry.checksum);
    order.limits = limits;
    runInBackground([fetch, order, link = entry.link, key, reply = mailbox.address(), this] {
        const FetchEnd end = fetchImage(order, *fetch->feed, fetch->stop);
        fetch->ended.fulfil(true);
        reply.post([this, fetch, end, link, key, checksum = order.checksum] {
            if (!end.feed.verified && end.feed.failure != UpdateEnd::Stopped)
                qCDebug(updateLog).noquote() << "Failure" << end.feed.detail;
            if (!end.keptImage.isEmpty() || end.cachedImageRotten)
                cache.remember(link, checksum, end.keptImage);
            if (fetches.value(key) == fetch)
                fetches.remove(key);
        });
    });
    return reader;
}
