#pragma once

#include <QMetaType>
#include <QtGlobal>

#include <functional>

// The steps of one update that take long enough for a person to want to see them.
enum class UpdatePhase
{
    Downloading,   // the image is coming in (and going to the camera as it comes)
    Writing,       // the image is in; the camera is taking the rest of it
    VerifyingCard, // the card's copy is read back
    Pushing,       // adb pushes the staged image
    Saving,        // a folder (not a camera) takes the image
    VerifyingCopy, // the folder's copy is read back
};

// How far one update has come: the one progress value, from the thread that does the
// work to whoever shows it.
struct UpdateProgress
{
    UpdatePhase phase = UpdatePhase::Downloading;
    qint64 done = 0;     // bytes of the step
    qint64 total = -1;   // -1: not known
    qint64 silentMs = 0; // while downloading: how long the image has not come in
};
Q_DECLARE_METATYPE(UpdateProgress)

using ProgressReport = std::function<void(const UpdateProgress &progress)>;
