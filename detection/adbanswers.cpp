#include "detection/adbanswers.h"

#include "outside/textbeforenul.h"

#include <QRegularExpression>

#include <algorithm>
#include <cctype>

namespace {
// Any ASCII white space: old devices list in columns on a terminal and end their
// lines in CR LF.
const QRegularExpression &whiteSpace()
{
    static const QRegularExpression separators(QStringLiteral("[ \\t\\n\\v\\f\\r]+"));
    return separators;
}

bool isPlausibleSerial(const QString &serial)
{
    if (serial.isEmpty() || serial.size() > 128)
        return false;
    for (const QChar c : serial) {
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7f)
            return false;
    }
    return true;
}
}

QVector<AdbDevice> readyDevices(const QByteArray &devicesOutput)
{
    QVector<AdbDevice> devices;
    const QStringList lines = textBeforeNul(devicesOutput).split('\n');
    for (const QString &line : lines) {
        const QStringList fields = line.split(whiteSpace(), Qt::SkipEmptyParts);
        if (fields.size() < 2 || fields.at(1) != QLatin1String("device") || !isPlausibleSerial(fields.at(0)))
            continue;
        const bool known = std::any_of(devices.cbegin(), devices.cend(),
                                       [&](const AdbDevice &device) { return device.serial == fields.at(0); });
        if (known)
            continue;
        AdbDevice device{fields.at(0), {}};
        for (const QString &field : fields.mid(2)) {
            if (field.startsWith(QLatin1String("usb:")) && isPlausibleSerial(field.mid(4)))
                device.usbPath = field.mid(4);
        }
        devices.append(device);
    }
    return devices;
}

std::optional<QByteArray> takeTrackedMessage(QByteArray &stream, bool *unreadable)
{
    *unreadable = false;
    if (stream.size() < 4)
        return std::nullopt;
    const QByteArray digits = stream.left(4);
    const bool isNumber = std::all_of(digits.cbegin(), digits.cend(), [](char c) { return isxdigit(uchar(c)); });
    const int length = digits.toInt(nullptr, 16);
    if (!isNumber || length > maxTrackedMessageBytes) {
        *unreadable = true;
        return std::nullopt;
    }
    if (stream.size() < 4 + length)
        return std::nullopt;
    const QByteArray message = stream.mid(4, length);
    stream.remove(0, 4 + length);
    return message;
}

QByteArray versionFileFromCatOutput(const QByteArray &catOutput)
{
    if (catOutput.contains("No such file or directory"))
        return QByteArray();
    return catOutput;
}

bool listingHasEntry(const QByteArray &listing, const QString &name)
{
    // Pushing into a folder that is not there makes adb create a file of that name, so
    // only an entry of exactly that name counts. (Model codes hold no blanks: the
    // catalogue takes plain names only.)
    return textBeforeNul(listing).split(whiteSpace(), Qt::SkipEmptyParts).contains(name);
}
