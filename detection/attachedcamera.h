#pragma once

#include "catalogue/catalogueentry.h"

#include <QMetaType>
#include <QString>

enum class CameraRoute
{
    Card, // its SD card, mounted as a volume
    Adb,  // USB debugging, through the adb tool
};

// One camera attached now: which catalogue entry it is a camera of, where it is, and
// what it reports. Made by detection and handed around by value.
struct AttachedCamera
{
    CatalogueEntry entry;
    int entryIndex = -1; // the entry's place in the catalogue
    CameraRoute route = CameraRoute::Card;
    // The card's root (mount point or drive), or the adb serial.
    QString location;
    // What tells this card from another mounted at the same place later; empty over adb.
    QString volumeIdentity;
    // Its place on the workstation's USB tree, e.g. "1-4.3": the port path of the card's
    // reader, or adb's usb: field. Empty when it has none (a network share, adb over TCP).
    QString slot;
    // The technician's name for that slot, where it has one ("A3").
    QString slotName;
    // False for a card on a write-protected volume: listed, never written.
    bool writable = true;

    QString installedVersion;
    QString reportedBrand;
    // Where the image goes: on the card, or the local file that is staged and pushed.
    QString imagePath;

    // Identity within a run: the same camera, attached all along, keeps its key.
    QString key() const
    {
        return (route == CameraRoute::Card ? "card:" + location + '|' + volumeIdentity : "adb:" + location) + '|'
               + QString::number(entryIndex);
    }
    // What a technician names it by: the card's mount point, or adb:SERIAL.
    QString id() const { return route == CameraRoute::Card ? location : "adb:" + location; }

    bool hasVersion() const { return !installedVersion.isEmpty(); }
};

Q_DECLARE_METATYPE(AttachedCamera)
