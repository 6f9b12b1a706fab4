#pragma once

#include "catalogue/catalogueentry.h"
#include "detection/attachedcamera.h"
#include "detection/volumeprobe.h"

#include <QVector>

// The cameras that probed volumes hold, one per volume and catalogue entry: a volume
// that may hold a camera, holds the entry's device folder and - when the catalogue
// names a brand - whose version file reports exactly that brand. A camera whose
// version file gives no version is still one (its detection error is shown).
QVector<AttachedCamera> camerasOnVolumes(const QVector<ProbedVolume> &volumes, const QVector<CatalogueEntry> &entries);
