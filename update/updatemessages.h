#pragma once

#include "catalogue/catalogueentry.h"
#include "catalogue/firmwaresource.h"
#include "update/updateoutcome.h"

#include <QString>

#include <optional>

// What the technician is told about one camera's update: the message box's kind,
// title and text, and the same in a few words for a row, a summary line or the history.
struct UpdateMessage
{
    bool critical = false;
    QString title;
    QString text;
    QString brief;
};

// The one place that turns how an update ended into words. The title and text name the
// entry's model; a failure to get the image names the source it came from (the
// server's address, or the folder).
//
// In English, word for word as the boxes have always said it: what the history, the
// journal, --json and whoever reads them keep, whatever the workstation's language.
UpdateMessage updateMessage(const CatalogueEntry &entry, const UpdateOutcome &outcome, const FirmwareSource &source);
// The same message in the language the program's translators were installed for (see
// programtranslations.h), for a person to read; English where there is no translation.
UpdateMessage translatedUpdateMessage(const CatalogueEntry &entry, const UpdateOutcome &outcome,
                                      const FirmwareSource &source);

// The number the message table gives an ending (0 success, -1 to -5 failures), or none
// for what has no number: up to date, stopped, unplugged, busy.
std::optional<int> outcomeCode(UpdateEnd end);

// The ending as the command line and the history name it: its number, or
// "up-to-date", "stopped", "unplugged", "busy".
QString outcomeName(UpdateEnd end);
