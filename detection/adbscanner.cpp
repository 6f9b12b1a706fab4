#include "detection/adbscanner.h"

#include "detection/processrunner.h"
#include "detection/shellquote.h"
#include "detection/versionfile.h"
#include "detection/versionfileparser.h"

#include <QDir>

namespace {
const QString adbProgram = QStringLiteral("adb");
// The card as the camera's own file system mounts it.
const QString deviceCardRoot = QStringLiteral("/mnt/SDCARD/");
const QString deviceDcimFolder = deviceCardRoot + "DCIM/";

// Old devices without the shell_v2 feature print a failed cat's message on standard
// output, so the message has to be told apart from a version file by its text.
const QByteArray missingFileMessage = "No such file or directory";

void runServerCommand(const QString &command)
{
    // Only the bound matters here: whether the server came up shows in the requests.
    runProgram(adbProgram, {command}, processTimeoutMs);
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
    return runProgram(program, arguments, processTimeoutMs).standardOutput;
}

QByteArray adbscanner::readAdbVersionFile(const QString &modelCode)
{
    const QString versionFile = CardLayout::onVolume(deviceCardRoot, CardLayout::versionFile(modelCode));
    const QByteArray output =
        runProcess(adbProgram, {QStringLiteral("shell"), QStringLiteral("cat"), quoteForDeviceShell(versionFile)});
    if (output.contains(missingFileMessage))
        return QByteArray();
    return output;
}

QString adbscanner::getAdbDestination(const QString &modelCode)
{
    // The image is staged in the process's working directory as it is now, and
    // pushed from there into the device's update folder.
    const QString stagingPath = QDir::currentPath() + "/" + modelCode + "UPDT.BIN";
    const QByteArray listing = runProcess(
        adbProgram, {QStringLiteral("shell"), QStringLiteral("ls"), quoteForDeviceShell(deviceDcimFolder)});
    // A substring of the whole listing, not a whole entry name: a suffixed folder counts.
    const int nul = listing.indexOf('\0');
    const QString listingText = QString::fromUtf8(nul < 0 ? listing : listing.left(nul));
    if (listingText.indexOf(modelCode + "LOAD", 0, Qt::CaseSensitive) < 0)
        return QString();
    return stagingPath;
}
