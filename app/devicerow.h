#pragma once

#include "catalogue/assetinformation.h"

#include <QString>

// A camera can be listed, and updated, only when its version was read and there is a
// place to write a firmware image to.
bool hasVersionAndDestination(const ASSET_INFORMATION &device);

// ":/" + model (+ "_" + reported brand) + ".png": cameras sold under several brands
// have one picture per brand.
QString deviceImageName(const ASSET_INFORMATION &device);

// " " + model + " - " + installed version.
QString deviceRowText(const ASSET_INFORMATION &device);

// Where the camera was found: the mount point of its card, or "USB debugging".
QString deviceLocation(const ASSET_INFORMATION &device);

// The catalogue's version, the brand the camera reports and where it was found.
QString deviceToolTip(const ASSET_INFORMATION &device);

// What a row shows of its camera. A record keeps one camera at a time, and another
// card of the same model can take its place between two passes: the row has to follow
// whenever any of this changes, or it shows one card while updates go to another.
struct ShownRow
{
    ASSET_INFORMATION *device = nullptr;
    QString version;
    QString brand;
    QString destination;

    bool operator==(const ShownRow &other) const
    {
        return device == other.device && version == other.version && brand == other.brand
               && destination == other.destination;
    }
};

ShownRow shownRow(ASSET_INFORMATION *device);
