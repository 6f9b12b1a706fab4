#pragma once

#include <QMessageBox>
#include <QString>

struct ASSET_INFORMATION;

// What one message box says to the user: its icon, title and text.
struct UpdateMessage
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;
};

// The box for a camera that already runs the catalogue's firmware.
UpdateMessage upToDateMessage(const ASSET_INFORMATION &device);

// The box for an install outcome code; a code without a box of its own gets the
// general error, which quotes the code.
UpdateMessage installOutcomeMessage(const ASSET_INFORMATION &device, int outcome, const QString &baseUrl);
