#include "update/updatemessages.h"

#include <QCoreApplication>

namespace {
// The texts a box shows stay in English exactly as they are; briefs are translated.
QString tr(const char *text)
{
    return QCoreApplication::translate("UpdateMessage", text);
}

const QString persists = QStringLiteral("If error persists, contact customer support for more information.");

UpdateMessage error(const CatalogueEntry &entry, const QString &text, const QString &brief)
{
    return {true, entry.modelCode + " - Update Error", text, brief};
}

const QString notWritableText = QStringLiteral("Device is currently not writable.\n"
                                               "Ensure the SD card is not full or corrupted and try again.\n")
                                + persists;

QString unreachableText(const FirmwareSource &source)
{
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

UpdateMessage updateMessage(const CatalogueEntry &entry, const UpdateOutcome &outcome, const FirmwareSource &source)
{
    switch (outcome.end) {
    case UpdateEnd::Installed:
        return {false, entry.model + " - Update Successful", "Please disconnect the USB to finish the update process.",
                tr("updated to %1 \u2014 unplug to install").arg(entry.version)};
    case UpdateEnd::UpToDate:
        return {false, entry.model + " - No Update Required", "The device selected is up to date.", tr("up to date")};
    case UpdateEnd::NoLink:
        return error(entry, "The required link is not populated.\n" + persists, tr("no link in the catalogue"));
    case UpdateEnd::SourceFailed:
        return error(entry, unreachableText(source),
                     source.isFolder() ? tr("not in the source folder") : tr("server unreachable"));
    case UpdateEnd::WorkstationFull:
        return error(entry,
                     "The firmware file cannot be kept on this workstation.\n"
                     "Free some space on the workstation's disk and try again.\n"
                         + persists,
                     tr("workstation disk full"));
    case UpdateEnd::ChecksumMismatch:
        return error(entry, mismatchText(source), tr("checksum mismatch"));
    case UpdateEnd::NotWritable:
        return error(entry, notWritableText, tr("card not writable"));
    case UpdateEnd::ReadBackMismatch:
        return error(entry, notWritableText, tr("the card read back other bytes"));
    case UpdateEnd::WriteProtected:
        return error(entry,
                     "Device is currently not writable.\n"
                     "The SD card is write-protected: slide the card's lock switch and try again.\n"
                         + persists,
                     tr("write-protected \u2014 slide the card's lock switch"));
    case UpdateEnd::Unplugged:
        return error(entry,
                     "Device was unplugged before its update was finished.\n"
                     "It keeps the firmware it had: plug it in again and try again.\n"
                         + persists,
                     tr("unplugged"));
    case UpdateEnd::Stopped:
        return {false, entry.model + " - Update Stopped",
                "The update was stopped.\nThe device keeps the firmware it had.", tr("stopped")};
    case UpdateEnd::Busy:
        return {false, entry.model + " - Device Busy",
                "Another program on this workstation is updating the device.\nWait until it has finished.",
                tr("busy: another program is updating it")};
    case UpdateEnd::PushNotConfirmed:
        break;
    }
    return {true, entry.model + " - Update Error - -1", "A problem occurred during the firmware upgrade.",
            tr("push not confirmed")};
}

std::optional<int> outcomeCode(UpdateEnd end)
{
    switch (end) {
    case UpdateEnd::Installed: return 0;
    case UpdateEnd::PushNotConfirmed: return -1;
    case UpdateEnd::NoLink: return -2;
    case UpdateEnd::SourceFailed:
    case UpdateEnd::WorkstationFull: return -3;
    case UpdateEnd::NotWritable:
    case UpdateEnd::ReadBackMismatch:
    case UpdateEnd::WriteProtected: return -4;
    case UpdateEnd::ChecksumMismatch: return -5;
    case UpdateEnd::UpToDate:
    case UpdateEnd::Stopped:
    case UpdateEnd::Unplugged:
    case UpdateEnd::Busy: break;
    }
    return std::nullopt;
}

QString outcomeName(UpdateEnd end)
{
    if (const std::optional<int> code = outcomeCode(end))
        return QString::number(*code);
    switch (end) {
    case UpdateEnd::UpToDate: return QStringLiteral("up-to-date");
    case UpdateEnd::Unplugged: return QStringLiteral("unplugged");
    case UpdateEnd::Busy: return QStringLiteral("busy");
    default: return QStringLiteral("stopped");
    }
}
