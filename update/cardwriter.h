#pragma once

#include "update/updatephase.h"

#include <QByteArray>
#include <QString>

struct CardWriteJob
{
    QString imagePath;       // a verified image on the workstation
    QString destinationPath; // {code}UPDT.BIN in the card's update folder
    QString cardRoot;        // the card's root; the update folder must lie on the card below it
    QByteArray digest;       // what the image hashes to
};

struct CardWriteResult
{
    bool placed = false;
    QString failure; // why not, for diagnostics
};

// Places the image on the card so that the card never holds a torn image: it is
// written under a temporary name beside the destination, flushed to the card, read
// back from the card and compared, and only then renamed over any existing image.
// On any failure the temporary file is removed and an existing image stays as it was.
// An update folder that is a symbolic link, or that leads off the card by any other
// way, is refused before anything is written or removed.
// Blocks; meant for a worker thread.
CardWriteResult writeImageToCard(const CardWriteJob &job, const PhaseProgress &progress = {});
