#pragma once

#include "outside/stopflag.h"
#include "update/updateoutcome.h"
#include "update/updateprogress.h"

#include <QByteArray>
#include <QString>

// Where one update's image goes: a camera's card, an adb camera through a staged file,
// or a folder being filled for benches without internet. The image comes in pieces as
// it arrives; the destination makes it the camera's only once the whole image is in and
// is the catalogue's, and on any failure, a stop, or an image that does not come, the
// camera keeps what it had.
//
// Used from one background thread, which may be given up on while it blocks in the
// destination (a card that stopped answering).
class ImageDestination
{
public:
    virtual ~ImageDestination() = default;

    // Ready to take an image from its first byte, or why not (another program holds
    // the camera: Busy).
    virtual UpdateOutcome open() = 0;
    // False when the destination refused the piece: refusal() says why.
    virtual bool take(const char *data, qint64 size) = 0;
    // What was taken is void: the image starts over from its first byte.
    virtual bool restart() = 0;
    virtual UpdateOutcome refusal() const = 0;
    // Asked while the image is slow to come: whether the camera is still there to take it.
    virtual bool stillThere() const = 0;
    // Every piece is in and hashes to digest: make it the camera's.
    virtual UpdateOutcome place(const QByteArray &digest, const StopFlag &stop, const ProgressReport &report) = 0;

    // The step while the image is in and the destination takes the rest.
    virtual UpdatePhase writingPhase() const { return UpdatePhase::Writing; }
};
