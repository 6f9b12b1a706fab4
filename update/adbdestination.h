#pragma once

#include "update/imagedestination.h"

#include <QString>

#include <memory>

class ExclusiveLock;

// How long a push may run before it is ended and counted as failed. A slow USB link
// needs longer for a larger image, so the bound grows with the image's size.
struct AdbPushTimeLimit
{
    int baseMs = 30000;
    int perMiBMs = 1000;

    int forImage(qint64 imageBytes) const;
};

// A camera reached through adb: the image is staged on this workstation under the name
// the camera looks for, {code}UPDT.BIN, in a folder of its own beside the camera's
// staging path (adb names the file on the camera after the local one, so the folder
// is what keeps two pushes apart), and pushed once it is whole and the catalogue's,
// with `adb -s SERIAL push` into the camera's update folder. The staged file goes with
// the destination, whatever happened. While it lives it holds the device's lock in
// lockFolder, so that no other program of this user's pushes to the device meanwhile
// (that one is told the device is busy).
class AdbDestination : public ImageDestination
{
public:
    AdbDestination(const QString &serial, const QString &stagingPath, const QString &deviceFolder,
                   AdbPushTimeLimit limit, const QString &lockFolder);
    ~AdbDestination() override;

    UpdateOutcome open() override;
    bool take(const char *data, qint64 size) override;
    bool restart() override;
    UpdateOutcome refusal() const override;
    // Whether the device is there shows when it is pushed to.
    bool stillThere() const override { return true; }
    UpdateOutcome place(const QByteArray &digest, const StopFlag &stop, const ProgressReport &report) override;

private:
    struct Staging;
    const QString serial, stagingPath, deviceFolder;
    const AdbPushTimeLimit limit;
    const QString lockFolder;
    std::unique_ptr<ExclusiveLock> deviceLock;
    std::unique_ptr<Staging> staging;
};
