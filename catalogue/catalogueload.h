#pragma once

#include "catalogue/catalogueentry.h"
#include "catalogue/firmwaresource.h"
#include "outside/httpsget.h"
#include "outside/stopflag.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// The catalogue as it was read: the entries, and the file's bytes as they came (the
// fetch command keeps them byte for byte).
struct LoadedCatalogue
{
    bool loaded = false;
    QByteArray body;
    QVector<CatalogueEntry> entries;
    QString failure; // why it was not loaded, for the log
};

// What a catalogue request may take: the images' idle limit and minimum rate, no more
// than a catalogue could be, and a minute in all.
DownloadLimits catalogueLimits(const DownloadLimits &imageLimits = {});

// Reads the catalogue file from the source: over https within the limits, or from
// the folder (a regular file only). A body that holds no JSON object with at least one
// member is no catalogue.
//
// Blocks; meant for a background thread. Ends early on stop.
LoadedCatalogue loadCatalogue(const FirmwareSource &source, const DownloadLimits &limits, const StopFlag &stop);
