#pragma once

#include "detection/attachedcamera.h"
#include "outside/stopflag.h"
#include "update/adbpush.h"
#include "update/imagefeed.h"
#include "update/updatephase.h"
#include "update/updateresult.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <mutex>

// A camera's part of one update: where the image goes and what bounds the push.
struct CameraWrite
{
    AttachedCamera camera;
    QByteArray digest; // the catalogue's: the camera must end up holding exactly this
    AdbPushTimeLimit pushLimit;
    // Pushes to one device go one at a time; held for the push only.
    std::shared_ptr<std::mutex> deviceTurn;
};

struct CameraWriteResult
{
    enum class End {
        Placed,          // the camera holds the image
        FeedFailed,      // the image did not come, or is not the catalogue's
        NotWritable,     // the card refused, or another card is in its place
        StagingFailed,   // this workstation could not hold the image for a push
        PushNotConfirmed,
        Stopped,
        CameraGone, // unplugged, or another card in its place
    };
    End end = End::NotWritable;
    qint64 bytes = 0;
    QString why; // for the debug log
};

// Writes the image the reader brings onto the camera. A card takes it as it arrives,
// into a temporary file, which becomes the image only once the feed ended verified and
// the card read it back right; an adb camera gets it staged and then pushed. On
// failure, a stop, or a feed that fails, the camera keeps what it had.
//
// Blocks on the card or adb; meant for a background thread that may be given up.
CameraWriteResult writeToCamera(const CameraWrite &write, ImageFeed::Reader &reader, const StopFlag &stop,
                                const PhaseProgress &progress);
