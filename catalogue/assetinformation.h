#pragma once

#include <QMetaType>
#include <QString>

// One catalogue entry: what the catalogue says about one model's firmware (one model
// may have an entry per brand). Written once, when the catalogue is read, and never
// changed after: what a camera of the model reports lives in its AttachedCamera.
struct ASSET_INFORMATION
{
    QString Model;      // the catalogue key, upper case
    QString Model_Code; // its short code, which names the camera's folders
    QString Version;
    QString Link;
    QString Checksum;
    QString Pathname;
    bool ADB_Device = false;
    QString Brand;
};

Q_DECLARE_METATYPE(ASSET_INFORMATION)
