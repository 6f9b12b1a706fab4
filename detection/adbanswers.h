#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What adb's answers about a camera mean, apart from running adb.

// The serials of the devices that `adb devices` lists as ready ("device"); devices
// still unauthorised, offline or in another mode are left out, and so is anything
// that is no plausible serial.
QStringList readySerials(const QByteArray &devicesOutput);

// The version file's bytes from the output of `adb shell cat`, or nothing when the
// output is the shell's report of a missing file: old devices without the shell_v2
// feature print that report on standard output.
QByteArray versionFileFromCatOutput(const QByteArray &catOutput);

// Whether the listing of the card's DCIM folder holds an entry named exactly so; a
// longer name such as {code}LOAD_old does not count.
bool listingHasEntry(const QByteArray &listing, const QString &name);
