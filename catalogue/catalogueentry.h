#pragma once

#include <QMetaType>
#include <QString>

// One catalogue entry: what the catalogue says about one model's firmware (one model
// may have an entry per brand). Written once, when the catalogue is read, and never
// changed after: what a camera of the model reports lives in its AttachedCamera. The
// catalogue file's own spellings ("Model_Code", "ADB_Device", ...) stay in its parser.
struct CatalogueEntry
{
    QString model;     // the catalogue key, upper case
    QString modelCode; // its short code, which names the camera's folders
    QString version;   // the firmware version offered
    QString link;      // where its image is
    QString checksum;  // the image's SHA-256, as the catalogue spells it
    bool overAdb = false; // the camera is reached through adb rather than as a card
    QString brand;     // the brand the camera must report; empty: any
};

Q_DECLARE_METATYPE(CatalogueEntry)
