#pragma once

#include <QMetaType>
#include <QString>

// What one adb query found out about a camera. It crosses from the adb worker to the
// GUI thread by value; only the GUI thread copies it into the shared record.
struct AdbReading
{
    QString version;
    QString brand;
    QString updatePath;

    bool isUsable() const { return !version.isEmpty() && !updatePath.isEmpty(); }
};

Q_DECLARE_METATYPE(AdbReading)
