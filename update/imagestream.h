#pragma once

#include "update/cardwriter.h"
#include "update/firmwaredownload.h"
#include "update/updatephase.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

struct ImageStreamJob
{
    QUrl url;
    QString cachePath; // the cache's file that the image goes to
    QString checksum;  // what the catalogue says the image hashes to
    std::optional<CardDestination> card; // a card to take the image as it comes
    DownloadLimits limits;
};

struct StreamedImage
{
    DownloadResult download;
    QByteArray digest; // of what came, when the download succeeded
    std::optional<CardWriteResult> card; // when a card was given and the image matched
};

// Downloads the image once and, from the same pieces, hashes it, writes the cache's
// file and, when a card is given, the card's temporary file; receiving runs beside the
// rest. The card's image is finished (flushed, read back, put in place) only when the
// digest matches the checksum; otherwise, and when the download fails, the card keeps
// its old image. A card that refuses a piece does not stop the download: a failed
// download or a wrong image is what the technician must hear of first, and the cache
// keeps a good image for the next try.
// Blocks; meant for a worker thread.
StreamedImage streamImage(const ImageStreamJob &job, const PhaseProgress &report);
