#pragma once

#include <QByteArray>
#include <QString>

// What adb's answers about a camera mean, apart from running adb.

// The version file's bytes from the output of `adb shell cat`, or nothing when the
// output is the shell's report of a missing file: old devices without the shell_v2
// feature print that report on standard output.
QByteArray versionFileFromCatOutput(const QByteArray &catOutput);

// Whether the listing of the card's DCIM folder holds an entry named exactly after the
// model's update folder; a longer name such as {code}LOAD_old does not count.
bool listingHasUpdateFolder(const QByteArray &listing, const QString &modelCode);
