#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QObject>
#include <QString>

namespace UpdateEnding {
Q_NAMESPACE
// How one update ended: one value from the step that failed to the front end that
// tells it. What a person reads for each is in updatemessages.h, and nowhere else.
enum class UpdateEnd
{
    Installed,        // the camera holds the whole image, read back right
    UpToDate,         // the camera had the catalogue's version: nothing was done
    NoLink,           // the catalogue names no image
    SourceFailed,     // the server, mirror or folder did not give the image
    WorkstationFull,  // this workstation could not hold the image for a push
    ChecksumMismatch, // the image came, but is not the catalogue's
    NotWritable,      // the card refused the image, or took nothing for too long
    ReadBackMismatch, // the card returned other bytes than were written
    WriteProtected,   // the card's lock switch is on
    PushNotConfirmed, // adb did not say the push was done
    Stopped,          // the technician stopped it, or the program closed
    Unplugged,        // the camera went, or another card is in its place
    Busy,             // another program on this workstation is updating it
};
Q_ENUM_NS(UpdateEnd)
}
using UpdateEnding::UpdateEnd;

struct UpdateOutcome
{
    UpdateEnd end = UpdateEnd::Stopped;
    QString detail;    // what went wrong, for the log
    QByteArray sha256; // of the image, when one was checked
    qint64 bytes = 0;  // written to the camera
    qint64 durationMs = 0;

    bool succeeded() const { return end == UpdateEnd::Installed || end == UpdateEnd::UpToDate; }
};
Q_DECLARE_METATYPE(UpdateOutcome)
