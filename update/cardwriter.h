#pragma once

#include "outside/stopflag.h"
#include "update/chunkedread.h"
#include "update/updateoutcome.h"

#include <QByteArray>
#include <QString>

#include <memory>

class ExclusiveLock;
class MediumReadBack;

// Where on a card (or in a folder) an image goes.
struct CardSpot
{
    QString imagePath; // {code}UPDT.BIN in the card's update folder
    QString cardRoot;  // the card's root; the update folder must lie on the card below it
    // What was mounted at the root when the camera was found (see mountIdentityAt); the
    // image goes nowhere once another volume is there. Empty: not checked (a folder).
    QString volumeIdentity;
    // A camera's update folder is the camera's alone: the writer holds its lock. A
    // folder that benches update from holds many images, written side by side.
    bool folderIsCameras = true;
};

// Whether the volume the camera was found on is still the one mounted at its root.
bool isCardStillMounted(const CardSpot &spot);

struct CardWriteResult
{
    UpdateEnd end = UpdateEnd::NotWritable; // Installed when the image is in place
    QString detail;                         // why not, for the log
};

// Places an image on a card so that the card never holds a torn image: it is written
// under a temporary name beside the destination, flushed to the card, read back from
// the card (each stretch as soon as the card holds it, where the system can tell, the
// rest after the flush) and compared, and only then renamed over any existing image, and the folder
// flushed. Until then, and on any failure, the temporary file goes when the writer
// goes, and an existing image stays as it was. An update folder that is a symbolic
// link, or that leads off the card by any other way, is refused before anything is
// written or removed; so is a card that is no longer the one the camera was found on.
//
// On a camera's card the writer holds the update folder's lock while it lives, so that
// no other program writes the same card at the same time (that one is told the card is
// busy), and so it clears what earlier writes of its own naming left there (a card
// pulled, or one that hung, mid-write).
//
// The bytes come in pieces, so that a card can take an image while it downloads.
// Blocks on the card; meant for a worker thread.
class CardImageWriter
{
public:
    explicit CardImageWriter(const CardSpot &spot);
    ~CardImageWriter();
    CardImageWriter(const CardImageWriter &) = delete;
    CardImageWriter &operator=(const CardImageWriter &) = delete;

    // Why the writer cannot take an image, or nullopt when it can.
    const CardWriteResult *refusal() const { return failed ? &failure : nullptr; }

    // Appends the next piece of the image; false once the card has refused one.
    bool take(const char *data, qint64 size);
    // Starts the image anew from its first byte.
    bool restart();

    // Flushes what was taken, reads it back (telling how far) and, when it hashes to
    // digest, puts it in place, unless the stop was raised first. Call once, after the
    // last piece.
    CardWriteResult finish(const QByteArray &digest, const StopFlag &stop, const ByteProgress &readBackProgress = {});

private:
    struct Temporary;
    bool fail(UpdateEnd end, const QString &detail);
    bool createTemporary();

    QString destinationPath;
    CardSpot spot;
    std::unique_ptr<ExclusiveLock> folderLock;
    std::unique_ptr<Temporary> temporary;
    std::unique_ptr<MediumReadBack> readBack; // of the temporary file
    qint64 written = 0, startedToMedium = 0;
    bool failed = false;
    CardWriteResult failure;
};
