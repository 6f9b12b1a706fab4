#pragma once

#include "outside/stopflag.h"

#include <QByteArray>
#include <QString>

#include <memory>

// How long a push may run before it is ended and counted as failed. A slow USB link
// needs longer for a larger image, so the bound grows with the image's size.
struct AdbPushTimeLimit
{
    int baseMs = 30000;
    int perMiBMs = 1000;

    int forImage(qint64 imageBytes) const;
};

// The image staged under the name the camera looks for, {code}UPDT.BIN, in a folder of
// its own beside the camera's staging path (adb names the file on the camera after the
// local one, so the folder is what keeps two pushes apart). The folder goes with the
// object, whatever happened.
class AdbStaging
{
public:
    explicit AdbStaging(const QString &stagingPath);
    ~AdbStaging();
    AdbStaging(const AdbStaging &) = delete;
    AdbStaging &operator=(const AdbStaging &) = delete;

    // Appends the next piece; false once the workstation refused one.
    bool take(const char *data, qint64 size);
    // Empties the file, to take the image anew from its start.
    bool restart();
    // The staged file when it holds, flushed, exactly the image of that digest.
    QString finish(const QByteArray &digest);

private:
    struct Files;
    std::unique_ptr<Files> files;
};

// Pushes the staged image into the camera's update folder with `adb -s SERIAL push`.
// Done when adb ends normally with status 0, or when it printed "100%" (older tools
// report so). A push still running at its time limit, or on stop, is cut. Blocks.
bool pushStagedImage(const QString &serial, const QString &stagedImage, const QString &deviceFolder, int timeoutMs,
                     const StopFlag &stop);
