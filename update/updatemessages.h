#pragma once

#include "catalogue/catalogueentry.h"
#include "catalogue/firmwaresource.h"
#include "update/updateresult.h"

#include <QString>

// What the technician is told about one camera's update: the message box's kind,
// title and text. The window shows it in a box; the command line prints it.
struct UpdateMessage
{
    bool critical = false;
    QString title;
    QString text;
    QString brief; // the same in a few words, for a row or a log line
};

// The one place that turns an update's result into its message. The title and text
// name the entry's model, and a failure to get the image names the source it came
// from (the server's address, or the folder).
UpdateMessage updateMessage(const CatalogueEntry &entry, const UpdateResult &result, const FirmwareSource &source);
