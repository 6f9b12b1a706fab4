#pragma once

#include "catalogue/assetinformation.h"

#include <QString>

struct TimedInstall
{
    int outcome = 0;
    double seconds = 0;
};

// One install through a window of its own, so that the run's image cache starts empty
// and the image is downloaded. Only installFirmware is timed, not the window.
TimedInstall installWithFreshWindow(const QString &baseUrl, ASSET_INFORMATION record);
