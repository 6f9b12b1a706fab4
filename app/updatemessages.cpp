#include "app/updatemessages.h"

#include "catalogue/assetinformation.h"
#include "update/installoutcome.h"

namespace {
const QString persists = QStringLiteral("If error persists, contact customer support for more information.");

UpdateMessage specificError(const ASSET_INFORMATION &device, const QString &text)
{
    return {QMessageBox::Critical, device.Model_Code + " - Update Error", text};
}
}

UpdateMessage upToDateMessage(const ASSET_INFORMATION &device)
{
    return {QMessageBox::Information, device.Model + " - No Update Required", "The device selected is up to date."};
}

UpdateMessage installOutcomeMessage(const ASSET_INFORMATION &device, int outcome, const QString &baseUrl)
{
    switch (outcome) {
    case InstallOutcome::Installed:
        return {QMessageBox::Information, device.Model + " - Update Successful",
                "Please disconnect the USB to finish the update process."};
    case InstallOutcome::NoLink:
        return specificError(device, "The required link is not populated.\n" + persists);
    case InstallOutcome::DownloadFailed:
        return specificError(device, "The required link cannot be reached. " + baseUrl
                                         + " could be experiencing issues.\n" + persists);
    case InstallOutcome::NotWritable:
        return specificError(device, "Device is currently not writable.\n"
                                     "Ensure the SD card is not full or corrupted and try again.\n"
                                         + persists);
    case InstallOutcome::ChecksumMismatch:
        // Word for word as the window has always shown it, "occured" included.
        return specificError(device, "Firmware file downloaded but checksum mismatch occured.\n"
                                     "Please ensure you have proper internet connection and try again.\n"
                                         + persists);
    default:
        return {QMessageBox::Critical, device.Model + " - Update Error - " + QString::number(outcome),
                "A problem occurred during the firmware upgrade."};
    }
}
