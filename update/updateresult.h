#pragma once

#include <QByteArray>
#include <QString>

// What an update came to. The numbers are fixed: the general error box and the
// command line quote them.
namespace InstallOutcome {
enum : int {
    Installed = 0,
    PushNotConfirmed = -1,
    NoLink = -2,
    DownloadFailed = -3,
    NotWritable = -4,
    ChecksumMismatch = -5,
};
}

// Why an update failed, where the outcome's number alone would tell the technician
// the wrong thing (a full workstation is no server outage).
enum class FailureCause
{
    None,
    Source,      // the server, the mirror or the source folder
    Workstation, // this workstation could not hold the image
    CameraGone,  // unplugged, or another card in its place
    Stopped,     // stopped by the technician, or the program closing
};

struct UpdateResult
{
    bool upToDate = false; // no update was needed, nothing was done
    bool skipped = false;  // stopped, or gone, before its turn came: nothing was done
    int outcome = InstallOutcome::Installed;
    FailureCause cause = FailureCause::None;
    QByteArray sha256;     // of the image, when one was checked
    qint64 bytes = 0;      // written to the camera
    qint64 durationMs = 0;

    bool succeeded() const { return upToDate || outcome == InstallOutcome::Installed; }
};
