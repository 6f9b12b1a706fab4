#pragma once

#include "update/updatephase.h"

#include <QString>

// How long a push may run before it is ended and counted as failed. A slow USB link
// needs longer for a larger image, so the bound grows with the image's size.
struct AdbPushTimeLimit
{
    int baseMs = 30000;
    int perMiBMs = 1000;

    int forImage(qint64 imageBytes) const;
};

struct AdbPushJob
{
    QString imagePath;    // a verified image on the workstation
    QString stagingPath;  // {code}UPDT.BIN in the working directory: adb keeps the name
    QString deviceFolder; // /mnt/SDCARD/DCIM/{code}LOAD
    int timeoutMs = AdbPushTimeLimit().baseMs;
};

enum class AdbPushOutcome
{
    Pushed,
    StagingNotWritable,
    PushNotConfirmed,
};

// Stages the image under the name the camera looks for, in a folder of its own beside
// the staging path, so that two pushes never share a file; pushes it with `adb push`
// and removes the folder whatever happened. The push counts as done when adb ends
// normally with status 0, or when it printed "100%" (older tools report so).
// Blocks for up to the job's time limit; meant for a worker thread.
AdbPushOutcome pushImageOverAdb(const AdbPushJob &job, const PhaseProgress &progress = {});
