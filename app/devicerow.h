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
