#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// What adb's answers about a camera mean, apart from running adb.

// A device that adb lists as ready ("device").
struct AdbDevice
{
    QString serial;
    // Its USB port path from the listing's usb: field, e.g. "1-4.3"; empty for a device
    // reached over TCP, which has none.
    QString usbPath;

    bool operator==(const AdbDevice &other) const { return serial == other.serial && usbPath == other.usbPath; }
};

// The ready devices of a `devices -l` listing (the heading, if any, is skipped):
// "SERIAL  device usb:1-4.3 product:X model:Y device:Z transport_id:3". Devices still
// unauthorised, offline or in another mode are left out, and so is anything that is
// no plausible serial; so is a usb: field that is not printable ASCII.
QVector<AdbDevice> readyDevices(const QByteArray &devicesOutput);

// The longest message of `adb track-devices` taken: some 150 devices' lines.
constexpr int maxTrackedMessageBytes = 16 * 1024;

// `adb track-devices` writes a message whenever its list changes: four hexadecimal
// digits giving the length, then that many bytes of `devices -l` lines. Takes the first
// whole message off the front of stream; nothing while it is not all there. A length
// that is no hexadecimal number, or one over maxTrackedMessageBytes, makes the stream
// unreadable (*unreadable is set).
std::optional<QByteArray> takeTrackedMessage(QByteArray &stream, bool *unreadable);

// The version file's bytes from the output of `adb shell cat`, or nothing when the
// output is the shell's report of a missing file: old devices without the shell_v2
// feature print that report on standard output.
QByteArray versionFileFromCatOutput(const QByteArray &catOutput);

// Whether the listing of the card's DCIM folder holds an entry named exactly so; a
// longer name such as {code}LOAD_old does not count.
bool listingHasEntry(const QByteArray &listing, const QString &name);
