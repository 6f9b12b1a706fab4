#pragma once

#include <QMetaType>
#include <QString>

// One record per catalogue entry: what the catalogue says about a model's firmware,
// side by side with what detection last found out about an attached camera of it.
// Only the GUI thread writes records; the adb worker gets values and hands back values.
struct ASSET_INFORMATION
{
    // From the catalogue, written once when it is loaded.
    QString Model;
    QString Model_Code;
    QString Version;
    QString Link;
    QString Checksum;
    QString Pathname;
    bool ADB_Device = false;
    QString Brand;

    // From detection, refreshed on every poll pass.
    QString Device_Brand;
    QString Device_Version;
    QString Update_Path;
    bool Attached = false;
    qint32 Error_Count = 0;
};

Q_DECLARE_METATYPE(ASSET_INFORMATION)
