#include "detection/adbscanner.h"

#include "detection/cardlayout.h"
#include "detection/shellquote.h"
#include "detection/versionfile.h"
#include "detection/versionfileparser.h"

#include <QDir>

namespace {
// The card as the camera's own file system mounts it.
const QString deviceDcimFolder = adbCardRoot + "DCIM/";
// A DCIM folder of a few thousand entries.
constexpr qint64 maxListingBytes = 256 * 1024;

// The command came to an end with an answer, if only one too long to take: it neither
// hung nor was cut off.
bool answered(const ProcessOutcome &outcome)
{
    return outcome.outputCut || (outcome.finished && !outcome.crashed);
}
}

AdbScanner::AdbScanner(QVector<CatalogueEntry> entries, StopFlag stop, int timeLimitMs)
    : entries(std::move(entries)), stop(std::move(stop)), timeLimitMs(timeLimitMs)
{
}

void AdbScanner::runServerCommand(const QString &command, int timeoutMs, const StopFlag &stop)
{
    // Only the bound matters here: whether the server came up shows in the requests.
    runProgram(adbProgram, {command}, {timeoutMs}, stop);
}

AdbPass AdbScanner::scan(const QStringList &alreadyRead)
{
    AdbPass pass;
    const ProcessOutcome listing = runProcess({QStringLiteral("devices"), QStringLiteral("-l")});
    // An adb that is not installed has no devices; one that hangs, is cut off or fails
    // (its server restarting) tells nothing, and the cameras stay as they were.
    pass.answered = !listing.started || listing.succeeded();
    if (!pass.answered)
        return pass;
    pass.devices = readyDevices(listing.standardOutput);
    QStringList toRead;
    for (const AdbDevice &device : qAsConst(pass.devices)) {
        if (!alreadyRead.contains(device.serial))
            toRead << device.serial;
    }
    pass.readings = readDevices(toRead);
    return pass;
}

AdbReadings AdbScanner::readDevices(const QStringList &serials)
{
    AdbReadings readings;
    for (const QString &serial : serials) {
        if (stop.isRaised())
            break;
        if (const std::optional<QVector<AttachedCamera>> cameras = readDevice(serial))
            readings.insert(serial, *cameras);
    }
    return readings;
}

std::optional<QVector<AttachedCamera>> AdbScanner::readDevice(const QString &serial)
{
    QVector<AttachedCamera> cameras;
    const ProcessOutcome listed =
        runProcess({"-s", serial, QStringLiteral("shell"), QStringLiteral("ls"), quoteForDeviceShell(deviceDcimFolder)},
                   maxListingBytes);
    if (!answered(listed))
        return std::nullopt;
    const QByteArray listing = listed.outputCut ? QByteArray() : listed.standardOutput;
    QHash<QString, QByteArray> versionFiles; // one read per model code, whatever its brands
    for (int index = 0; index < entries.size(); ++index) {
        const CatalogueEntry &entry = entries.at(index);
        const QString code = entry.modelCode;
        if (!entry.overAdb || !listingHasEntry(listing, CardLayout::deviceFolderName(code))
            || !listingHasEntry(listing, CardLayout::updateFolderName(code)))
            continue;
        if (!versionFiles.contains(code)) {
            const std::optional<QByteArray> versionFile = readVersionFile(serial, code);
            if (!versionFile)
                return std::nullopt;
            versionFiles.insert(code, *versionFile);
        }
        const QByteArray versionFile = versionFiles.value(code);
        const QString brand = VersionFileParser::instance()->getBrand(versionFile);
        // A camera of another brand's entry of this model is not this entry's camera.
        if (!brandMatches(entry.brand, brand))
            continue;
        AttachedCamera camera;
        camera.entry = entry;
        camera.entryIndex = index;
        camera.route = CameraRoute::Adb;
        camera.location = serial;
        camera.installedVersion = VersionFileParser::instance()->getVersion(versionFile);
        camera.reportedBrand = brand;
        camera.imagePath = stagingPath(code);
        cameras.append(camera);
    }
    return cameras;
}

ProcessOutcome AdbScanner::runProcess(const QStringList &arguments, qint64 maxOutputBytes)
{
    return runProgram(adbProgram, arguments, {timeLimitMs, maxOutputBytes}, stop);
}

std::optional<QByteArray> AdbScanner::readVersionFile(const QString &serial, const QString &modelCode)
{
    const QString versionFile = CardLayout::onVolume(adbCardRoot, CardLayout::versionFile(modelCode));
    // The same bound as a card's: a file longer than that is no version file, and the
    // camera reads as one whose version file cannot be read.
    const ProcessOutcome cat =
        runProcess({"-s", serial, QStringLiteral("shell"), QStringLiteral("cat"), quoteForDeviceShell(versionFile)},
                   maxVersionFileBytes);
    if (!answered(cat))
        return std::nullopt;
    return cat.outputCut ? QByteArray() : versionFileFromCatOutput(cat.standardOutput);
}

QString AdbScanner::stagingPath(const QString &modelCode) const
{
    // The image is staged in the process's working directory as it is now, and pushed
    // from there into the camera's update folder.
    return QDir::currentPath() + "/" + CardLayout::updateImageName(modelCode);
}
