#pragma once

#include "catalogue/catalogueentry.h"
#include "catalogue/firmwaresource.h"

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
    QString failure; // what the debug log is to say when it was not loaded
};

// Reads the catalogue file from the source: over https, waiting in a local event loop
// until the server has answered, gone silent for idleTimeoutMs, or sent more than a
// catalogue could be; or from the folder. A body that holds no JSON object with at
// least one member is no catalogue.
LoadedCatalogue loadCatalogue(const FirmwareSource &source, int idleTimeoutMs);
