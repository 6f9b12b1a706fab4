#include "update/updatemessages.h"

namespace {
const QString persists = QStringLiteral("If error persists, contact customer support for more information.");

UpdateMessage specificError(const CatalogueEntry &entry, const QString &text, const QString &brief)
{
    return {true, entry.modelCode + " - Update Error", text, brief};
}

QString unreachableBrief(const UpdateResult &result, const FirmwareSource &source)
{
    if (result.cause == FailureCause::Workstation)
        return QStringLiteral("workstation disk full");
    return source.isFolder() ? QStringLiteral("not in the source folder") : QStringLiteral("server unreachable");
}

QString notWritableBrief(const UpdateResult &result)
{
    switch (result.cause) {
    case FailureCause::CameraGone:
        return QStringLiteral("unplugged");
    case FailureCause::Stopped:
        return QStringLiteral("stopped");
    default:
        return QStringLiteral("card not writable");
    }
}

QString unreachableText(const UpdateResult &result, const FirmwareSource &source)
{
    if (result.cause == FailureCause::Workstation)
        return "The firmware file cannot be kept on this workstation.\n"
               "Free some space on the workstation's disk and try again.\n"
               + persists;
    if (source.isFolder())
        return "The firmware file cannot be read from " + source.address()
               + ".\nEnsure the folder holds what vek-updater-cli fetch put there and try again.\n" + persists;
    return "The required link cannot be reached. " + source.address() + " could be experiencing issues.\n" + persists;
}

QString mismatchText(const FirmwareSource &source)
{
    if (source.isFolder())
        return "Firmware file read from " + source.address()
               + " but checksum mismatch occurred.\nFetch the firmware into the folder again and try again.\n"
               + persists;
    // Word for word as the window has always shown it, "occured" included.
    return "Firmware file downloaded but checksum mismatch occured.\n"
           "Please ensure you have proper internet connection and try again.\n"
           + persists;
}
}

UpdateMessage updateMessage(const CatalogueEntry &entry, const UpdateResult &result, const FirmwareSource &source)
{
    if (result.upToDate)
        return {false, entry.model + " - No Update Required", "The device selected is up to date.", "up to date"};
    switch (result.outcome) {
    case InstallOutcome::Installed:
        return {false, entry.model + " - Update Successful", "Please disconnect the USB to finish the update process.",
                "updated to " + entry.version + QString::fromUtf8(" \u2014 unplug to install")};
    case InstallOutcome::NoLink:
        return specificError(entry, "The required link is not populated.\n" + persists, "no link in the catalogue");
    case InstallOutcome::DownloadFailed:
        return specificError(entry, unreachableText(result, source), unreachableBrief(result, source));
    case InstallOutcome::NotWritable:
        return specificError(entry,
                             "Device is currently not writable.\n"
                             "Ensure the SD card is not full or corrupted and try again.\n"
                                 + persists,
                             notWritableBrief(result));
    case InstallOutcome::ChecksumMismatch:
        return specificError(entry, mismatchText(source), QStringLiteral("checksum mismatch"));
    case InstallOutcome::PushNotConfirmed:
        break;
    }
    return {true, entry.model + " - Update Error - " + QString::number(result.outcome),
            "A problem occurred during the firmware upgrade.",
            result.outcome == InstallOutcome::PushNotConfirmed ? QStringLiteral("push not confirmed")
                                                                : "error " + QString::number(result.outcome)};
}
