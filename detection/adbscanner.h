#pragma once

#include "catalogue/catalogueentry.h"
#include "detection/attachedcamera.h"
#include "outside/processrunner.h"
#include "outside/stopflag.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

// The card as a camera's own file system mounts it.
inline const QString adbCardRoot = QStringLiteral("/mnt/SDCARD/");

// What one adb pass learnt: the serials attached now, and the cameras of the serials
// that were read in this pass.
struct AdbPass
{
    bool answered = false; // adb listed its devices (an adb that is not there lists none)
    QStringList serials;
    QHash<QString, QVector<AttachedCamera>> readings;
};

// Asks the adb tool about cameras attached over USB debugging. Every command names the
// device it is for (-s SERIAL), waits at most its time limit, and ends at once when the
// stop is raised. Blocks on adb; meant for a background thread.
class AdbScanner
{
public:
    AdbScanner(QVector<CatalogueEntry> entries, StopFlag stop);

    // Lists the ready devices and reads each serial not in alreadyRead.
    AdbPass scan(const QStringList &alreadyRead);
    // The cameras of the catalogue's adb models that the device shows; one whose
    // version file cannot be read comes without a version.
    QVector<AttachedCamera> readDevice(const QString &serial);

    // adb's server: "start-server" or "kill-server".
    static void runServerCommand(const QString &command, int timeoutMs, const StopFlag &stop);

private:
    ProcessOutcome runProcess(const QStringList &arguments, const ProcessLimits &limits = {});
    QByteArray readVersionFile(const QString &serial, const QString &modelCode);
    QString stagingPath(const QString &modelCode) const;

    QVector<CatalogueEntry> entries;
    StopFlag stop;
};
