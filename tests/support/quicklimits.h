#pragma once

#include "update/installlimits.h"

// Bounds short enough that a stalled server or adb holds a test up for a second or two.
inline InstallLimits quickLimits(int idleTimeoutMs = 1500, AdbPushTimeLimit push = {})
{
    InstallLimits limits;
    limits.download.idleTimeoutMs = idleTimeoutMs;
    limits.push = push;
    return limits;
}
