#pragma once

#include "outside/stopflag.h"
#include "update/updatephase.h"

#include <QByteArray>
#include <QString>

#include <memory>

// Where on a card an image goes.
struct CardDestination
{
    QString imagePath; // {code}UPDT.BIN in the card's update folder
    QString cardRoot;  // the card's root; the update folder must lie on the card below it
    // What was mounted at the root when the camera was found (see mountIdentityAt); the
    // image goes nowhere once another volume is there. Empty: not checked.
    QString volumeIdentity;
};

// Whether the volume the camera was found on is still the one mounted at its root.
bool isCardStillMounted(const CardDestination &destination);

struct CardWriteResult
{
    bool placed = false;
    QString failure; // why not, for diagnostics
};

// Places an image on a card so that the card never holds a torn image: it is written
// under a temporary name beside the destination, flushed to the card, read back from
// the card and compared, and only then renamed over any existing image. Until then,
// and on any failure, the temporary file goes when the writer goes, and an existing
// image stays as it was. An update folder that is a symbolic link, or that leads off
// the card by any other way, is refused before anything is written or removed; so is a
// card that is no longer the one the camera was found on.
//
// The bytes come in pieces, so that a card can take an image while it downloads.
// Blocks on the card; meant for a worker thread.
class CardImageWriter
{
public:
    explicit CardImageWriter(const CardDestination &destination);
    ~CardImageWriter();
    CardImageWriter(const CardImageWriter &) = delete;
    CardImageWriter &operator=(const CardImageWriter &) = delete;

    // Appends the next piece of the image; false once the card has refused one.
    bool take(const char *data, qint64 size);

    // Flushes what was taken, reads it back and, when it hashes to digest, puts it in
    // place, unless the stop was raised first. Call once, after the last piece.
    CardWriteResult finish(const QByteArray &digest, const StopFlag &stop, const PhaseProgress &progress = {});

    bool failed() const { return !failure.isEmpty(); }

private:
    struct Temporary;
    QString destinationPath;
    CardDestination destination;
    std::unique_ptr<Temporary> temporary;
    qint64 written = 0, startedToMedium = 0;
    QString failure;
};
