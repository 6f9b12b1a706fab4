#pragma once

#include "update/updatephase.h"

#include <QString>

struct AdbPushJob
{
    QString imagePath;    // a verified image on the workstation
    QString stagingPath;  // {code}UPDT.BIN in the working directory: adb keeps the name
    QString deviceFolder; // /mnt/SDCARD/DCIM/{code}LOAD
};

enum class AdbPushOutcome
{
    Pushed,
    StagingNotWritable,
    PushNotConfirmed,
};

// Stages the image under the name the camera looks for, pushes it with `adb push`
// and deletes the staging file whatever happened. The push counts as done when adb
// ends normally with status 0, or when it printed "100%" (older tools report so).
// Blocks for up to the process time limit; meant for a worker thread.
AdbPushOutcome pushImageOverAdb(const AdbPushJob &job, const PhaseProgress &progress = {});

// How long a push may run before it is ended and counted as failed: 30 s in the
// program; tests shorten it so that a hung adb does not hold them up.
int adbPushTimeoutMs();
void setAdbPushTimeoutMs(int ms);
