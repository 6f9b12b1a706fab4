#include "detection/adbscanner.h"

#include "detection/adbanswers.h"
#include "outside/processrunner.h"
#include "detection/shellquote.h"
#include "detection/versionfile.h"
#include "detection/versionfileparser.h"

#include <QDir>

namespace {
const QString adbProgram = QStringLiteral("adb");
// The card as the camera's own file system mounts it.
const QString deviceCardRoot = QStringLiteral("/mnt/SDCARD/");
const QString deviceDcimFolder = deviceCardRoot + "DCIM/";

void runServerCommand(const QString &command)
{
    // Only the bound matters here: whether the server came up shows in the requests.
    runProgram(adbProgram, {command});
}
}

adbscanner::adbscanner()
{
    runServerCommand(QStringLiteral("start-server"));
}

adbscanner::~adbscanner()
{
    runServerCommand(QStringLiteral("kill-server"));
}

void adbscanner::getAdbDevice(ASSET_INFORMATION *asset, const QString &modelCode)
{
    const QByteArray versionFile = readAdbVersionFile(modelCode);
    AdbReading reading;
    reading.updatePath = getAdbDestination(modelCode);
    reading.version = VersionFileParser::instance()->getVersion(versionFile);
    reading.brand = VersionFileParser::instance()->getBrand(versionFile);
    emit resultReady(asset, reading);
}

QByteArray adbscanner::runProcess(const QString &program, const QStringList &arguments)
{
    return runProgram(program, arguments).standardOutput;
}

QByteArray adbscanner::readAdbVersionFile(const QString &modelCode)
{
    const QString versionFile = CardLayout::onVolume(deviceCardRoot, CardLayout::versionFile(modelCode));
    // The same bound as a card's: a file longer than that is no version file, and the
    // camera reads as one whose version file cannot be read.
    const ProcessOutcome cat =
        runProgram(adbProgram, {QStringLiteral("shell"), QStringLiteral("cat"), quoteForDeviceShell(versionFile)},
                   {processTimeoutMs, maxVersionFileBytes});
    return cat.outputCut ? QByteArray() : versionFileFromCatOutput(cat.standardOutput);
}

QString adbscanner::getAdbDestination(const QString &modelCode)
{
    // The image is staged in the process's working directory as it is now, and
    // pushed from there into the device's update folder.
    const QString stagingPath = QDir::currentPath() + "/" + modelCode + "UPDT.BIN";
    const QByteArray listing = runProcess(
        adbProgram, {QStringLiteral("shell"), QStringLiteral("ls"), quoteForDeviceShell(deviceDcimFolder)});
    return listingHasUpdateFolder(listing, modelCode) ? stagingPath : QString();
}
