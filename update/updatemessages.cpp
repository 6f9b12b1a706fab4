#include "update/updatemessages.h"

#include <QCoreApplication>

namespace {
// The message table, told in one of two languages: English as written here, or the
// user's. One table, so that what a box says and what the history keeps never part.
// A text is made of whole sentences, each translated on its own.
class MessageWords
{
    Q_DECLARE_TR_FUNCTIONS(UpdateMessage)
public:
    explicit MessageWords(bool translated) : translated(translated) {}
    UpdateMessage of(const CatalogueEntry &entry, const UpdateOutcome &outcome, const FirmwareSource &source) const;

private:
    QString say(const char *english) const { return translated ? tr(english) : QString::fromUtf8(english); }
    QString persists() const;
    UpdateMessage error(const CatalogueEntry &entry, const QString &text, const QString &brief) const;
    QString notWritableText() const;
    QString unreachableText(const FirmwareSource &source) const;
    QString mismatchText(const FirmwareSource &source) const;

    const bool translated;
};

QString MessageWords::persists() const
{
    return say(QT_TR_NOOP("If error persists, contact customer support for more information."));
}

UpdateMessage MessageWords::error(const CatalogueEntry &entry, const QString &text, const QString &brief) const
{
    return {true, say(QT_TR_NOOP("%1 - Update Error")).arg(entry.modelCode), text, brief};
}

QString MessageWords::notWritableText() const
{
    return say(QT_TR_NOOP("Device is currently not writable.")) + '\n'
           + say(QT_TR_NOOP("Ensure the SD card is not full or corrupted and try again.")) + '\n' + persists();
}

QString MessageWords::unreachableText(const FirmwareSource &source) const
{
    // One argument each: an address may hold "%" (an escaped character), which a second
    // arg() would take for a place of its own.
    if (source.isFolder())
        return say(QT_TR_NOOP("The firmware file cannot be read from %1.")).arg(source.address()) + '\n'
               + say(QT_TR_NOOP("Ensure the folder holds what vek-updater-cli fetch put there and try again.")) + '\n'
               + persists();
    return say(QT_TR_NOOP("The required link cannot be reached. %1 could be experiencing issues."))
               .arg(source.address())
           + '\n' + persists();
}

QString MessageWords::mismatchText(const FirmwareSource &source) const
{
    if (source.isFolder())
        return say(QT_TR_NOOP("Firmware file read from %1 but checksum mismatch occurred.")).arg(source.address())
               + '\n' + say(QT_TR_NOOP("Fetch the firmware into the folder again and try again.")) + '\n' + persists();
    // Word for word as the window has always shown it, "occured" included.
    return say(QT_TR_NOOP("Firmware file downloaded but checksum mismatch occured.")) + '\n'
           + say(QT_TR_NOOP("Please ensure you have proper internet connection and try again.")) + '\n' + persists();
}

UpdateMessage MessageWords::of(const CatalogueEntry &entry, const UpdateOutcome &outcome,
                               const FirmwareSource &source) const
{
    switch (outcome.end) {
    case UpdateEnd::Installed:
        return {false, say(QT_TR_NOOP("%1 - Update Successful")).arg(entry.model),
                say(QT_TR_NOOP("Please disconnect the USB to finish the update process.")),
                say(QT_TR_NOOP("updated to %1 \u2014 unplug to install")).arg(entry.version)};
    case UpdateEnd::UpToDate:
        return {false, say(QT_TR_NOOP("%1 - No Update Required")).arg(entry.model),
                say(QT_TR_NOOP("The device selected is up to date.")), say(QT_TR_NOOP("up to date"))};
    case UpdateEnd::NoLink:
        return error(entry, say(QT_TR_NOOP("The required link is not populated.")) + '\n' + persists(),
                     say(QT_TR_NOOP("no link in the catalogue")));
    case UpdateEnd::SourceFailed:
        return error(entry, unreachableText(source),
                     source.isFolder() ? say(QT_TR_NOOP("not in the source folder"))
                                       : say(QT_TR_NOOP("server unreachable")));
    case UpdateEnd::WorkstationFull:
        return error(entry,
                     say(QT_TR_NOOP("The firmware file cannot be kept on this workstation.")) + '\n'
                         + say(QT_TR_NOOP("Free some space on the workstation's disk and try again.")) + '\n'
                         + persists(),
                     say(QT_TR_NOOP("workstation disk full")));
    case UpdateEnd::ChecksumMismatch:
        return error(entry, mismatchText(source), say(QT_TR_NOOP("checksum mismatch")));
    case UpdateEnd::NotWritable:
        return error(entry, notWritableText(), say(QT_TR_NOOP("card not writable")));
    case UpdateEnd::ReadBackMismatch:
        return error(entry, notWritableText(), say(QT_TR_NOOP("the card read back other bytes")));
    case UpdateEnd::WriteProtected:
        return error(entry,
                     say(QT_TR_NOOP("Device is currently not writable.")) + '\n'
                         + say(QT_TR_NOOP("The SD card is write-protected: slide the card's lock switch and try again."))
                         + '\n' + persists(),
                     say(QT_TR_NOOP("write-protected \u2014 slide the card's lock switch")));
    case UpdateEnd::Unplugged:
        return error(entry,
                     say(QT_TR_NOOP("Device was unplugged before its update was finished.")) + '\n'
                         + say(QT_TR_NOOP("It keeps the firmware it had: plug it in again and try again.")) + '\n'
                         + persists(),
                     say(QT_TR_NOOP("unplugged")));
    case UpdateEnd::Stopped:
        return {false, say(QT_TR_NOOP("%1 - Update Stopped")).arg(entry.model),
                say(QT_TR_NOOP("The update was stopped.")) + '\n'
                    + say(QT_TR_NOOP("The device keeps the firmware it had.")),
                say(QT_TR_NOOP("stopped"))};
    case UpdateEnd::Busy:
        return {false, say(QT_TR_NOOP("%1 - Device Busy")).arg(entry.model),
                say(QT_TR_NOOP("Another program on this workstation is updating the device.")) + '\n'
                    + say(QT_TR_NOOP("Wait until it has finished.")),
                say(QT_TR_NOOP("busy: another program is updating it"))};
    case UpdateEnd::PushNotConfirmed:
        break;
    }
    return {true, say(QT_TR_NOOP("%1 - Update Error - -1")).arg(entry.model),
            say(QT_TR_NOOP("A problem occurred during the firmware upgrade.")), say(QT_TR_NOOP("push not confirmed"))};
}
}

UpdateMessage updateMessage(const CatalogueEntry &entry, const UpdateOutcome &outcome, const FirmwareSource &source)
{
    return MessageWords(false).of(entry, outcome, source);
}

UpdateMessage translatedUpdateMessage(const CatalogueEntry &entry, const UpdateOutcome &outcome,
                                      const FirmwareSource &source)
{
    return MessageWords(true).of(entry, outcome, source);
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
