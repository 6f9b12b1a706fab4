#pragma once

#include "catalogue/catalogueentry.h"
#include "detection/adbanswers.h"
#include "detection/attachedcamera.h"
#include "outside/processrunner.h"
#include "outside/stopflag.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// The adb tool, found on the search path.
inline const QString adbProgram = QStringLiteral("adb");
// The card as a camera's own file system mounts it.
inline const QString adbCardRoot = QStringLiteral("/mnt/SDCARD/");

// The cameras of devices read in one go, by serial; a device that did not answer is
// not among them.
using AdbReadings = QHash<QString, QVector<AttachedCamera>>;

// What one adb pass learnt: the devices attached now, and the cameras of those that
// were read in this pass.
struct AdbPass
{
    // adb listed its devices (an adb that is not there lists none); false when it hung,
    // was cut off or failed, and nothing is known.
    bool answered = false;
    QVector<AdbDevice> devices;
    AdbReadings readings;
};

// Asks the adb tool about cameras attached over USB debugging. Every command names the
// device it is for (-s SERIAL), waits at most its time limit, and ends at once when the
// stop is raised. Blocks on adb; meant for a background thread.
class AdbScanner
{
public:
    AdbScanner(QVector<CatalogueEntry> entries, StopFlag stop, int timeLimitMs = processTimeoutMs);

    // Lists the ready devices (`devices -l`) and reads each serial not in alreadyRead.
    AdbPass scan(const QStringList &alreadyRead);
    // Reads each of these devices.
    AdbReadings readDevices(const QStringList &serials);
    // The cameras of the catalogue's adb models that the device shows; one whose
    // version file cannot be read comes without a version. Nothing when adb did not
    // answer (it hung, or was cut off).
    std::optional<QVector<AttachedCamera>> readDevice(const QString &serial);

    // adb's server: "start-server" or "kill-server".
    static void runServerCommand(const QString &command, int timeoutMs, const StopFlag &stop);

private:
    ProcessOutcome runProcess(const QStringList &arguments, qint64 maxOutputBytes = ProcessLimits().maxOutputBytes);
    std::optional<QByteArray> readVersionFile(const QString &serial, const QString &modelCode);
    QString stagingPath(const QString &modelCode) const;

    QVector<CatalogueEntry> entries;
    StopFlag stop;
    int timeLimitMs;
};
