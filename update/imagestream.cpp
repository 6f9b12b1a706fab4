#include "update/imagestream.h"

#include "update/checksum.h"
#include "update/pipedsink.h"
#include "update/sha256.h"

#include <QElapsedTimer>
#include <QFile>

#include <memory>

namespace {
// One posted event per piece would be thousands; the window looks a few times a second.
constexpr qint64 progressEveryMs = 100;
// Hashing and writing run beside the receiving; this much may wait between them.
constexpr qint64 pipedBytes = 8 * 1024 * 1024;

void failStorage(DownloadResult &download, const QFile &file)
{
    download.error = QNetworkReply::UnknownNetworkError;
    download.errorString = "Could not keep the downloaded image: " + file.errorString();
    download.storageFailed = true;
}
}

StreamedImage streamImage(const ImageStreamJob &job, const PhaseProgress &report)
{
    StreamedImage streamed;
    QFile file(job.cachePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        failStorage(streamed.download, file);
        return streamed;
    }
    std::unique_ptr<CardImageWriter> card;
    if (job.card)
        card = std::make_unique<CardImageWriter>(*job.card);
    QElapsedTimer sinceReport;
    const auto onData = [&sinceReport, &report](qint64 received, qint64 total) {
        // The first bytes always: a server that sends one burst and falls silent
        // must not look as if it never answered.
        if (!sinceReport.isValid() || sinceReport.hasExpired(progressEveryMs) || received == total) {
            sinceReport.start();
            report(UpdatePhase::Downloading, received, total);
        }
    };
    Sha256 hash;
    PipedSink piped(
        [&hash, &file, &card](const char *data, qint64 size) {
            hash.addData(data, size);
            if (card)
                card->take(data, size);
            return file.write(data, size) == size;
        },
        pipedBytes);
    streamed.download = downloadFirmware(
        job.url, [&piped](const char *data, qint64 size) { return piped.take(data, size); }, job.limits, onData);
    const bool allKept = piped.finish();
    if (streamed.download.storageFailed || (streamed.download.succeeded() && (!allKept || !file.flush())))
        failStorage(streamed.download, file);
    if (!streamed.download.succeeded())
        return streamed;
    streamed.digest = hash.result();
    if (card && checksumMatches(streamed.digest, job.checksum))
        streamed.card = card->finish(streamed.digest, report);
    return streamed;
}
