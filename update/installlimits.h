#pragma once

#include "update/adbpush.h"
#include "outside/httpsget.h"

// Every bound an install works within; the defaults are the program's.
struct InstallLimits
{
    DownloadLimits download;
    AdbPushTimeLimit push;
};
