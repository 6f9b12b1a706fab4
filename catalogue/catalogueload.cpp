#include "catalogue/catalogueload.h"

#include "catalogue/catalogueparser.h"
#include "outside/regularfile.h"

#include <QFile>

namespace {
// Far beyond any real catalogue; a source holding more than this is not holding one.
constexpr qint64 maxCatalogueBytes = 16 * 1024 * 1024;
constexpr int catalogueDeadlineMs = 60 * 1000;

LoadedCatalogue fromServer(const QUrl &address, const DownloadLimits &limits, const StopFlag &stop)
{
    LoadedCatalogue catalogue;
    DownloadHandlers handlers;
    handlers.take = [&catalogue](const char *data, qint64 size) {
        catalogue.body.append(data, int(size));
        return true;
    };
    const DownloadResult got = httpsGet({address, 0, limits}, handlers, stop);
    if (!got.complete())
        catalogue.failure = got.why;
    return catalogue;
}

LoadedCatalogue fromFolder(const QString &path)
{
    LoadedCatalogue catalogue;
    QFile file;
    if (!openRegularFile(file, path, &catalogue.failure))
        return catalogue;
    catalogue.body = file.read(maxCatalogueBytes + 1);
    if (catalogue.body.size() > maxCatalogueBytes)
        catalogue.failure = path + " is larger than any catalogue";
    return catalogue;
}
}

DownloadLimits catalogueLimits(const DownloadLimits &imageLimits)
{
    DownloadLimits limits = imageLimits;
    limits.maxBytes = maxCatalogueBytes;
    limits.deadlineMs = catalogueDeadlineMs;
    return limits;
}

LoadedCatalogue loadCatalogue(const FirmwareSource &source, const DownloadLimits &limits, const StopFlag &stop)
{
    LoadedCatalogue catalogue = source.isFolder() ? fromFolder(source.catalogueLocation())
                                                  : fromServer(QUrl(source.catalogueLocation()), limits, stop);
    if (!catalogue.failure.isEmpty())
        return catalogue;
    if (const auto entries = catalogueEntries(catalogue.body)) {
        catalogue.entries = *entries;
        catalogue.loaded = true;
    } else {
        catalogue.failure = QStringLiteral("the catalogue holds no JSON object with members");
    }
    return catalogue;
}
