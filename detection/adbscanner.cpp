#include "detection/adbscanner.h"

adbscanner::adbscanner() = default;
adbscanner::~adbscanner() = default;

void adbscanner::getAdbDevice(ASSET_INFORMATION *asset, const QString &)
{
    emit resultReady(asset, AdbReading());
}
