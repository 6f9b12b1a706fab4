// Version strings as a catalogue or a camera might write them, in any UTF-8 and, read
// as UTF-16 code units, any QString. Input layout for the update decision: catalogue
// version, device version and model code on the first three lines.
#include "catalogue/versionnumber.h"
#include "fuzzcheck.h"

#include <QList>
#include <QString>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace {
bool hasNonAsciiDigit(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0x7f && c.isDigit())
            return true;
    }
    return false;
}

bool isShortAsciiNumber(const QString &text)
{
    if (text.isEmpty() || text.size() > 15)
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

void checkNumber(const QString &version)
{
    const double number = versionNumber(version);
    FUZZ_CHECK(!std::isnan(number) && number >= 0);
    // Points, letters and signs around the digits change nothing.
    FUZZ_CHECK(versionNumber("V." + version + "-b") == number);
    if (hasNonAsciiDigit(version))
        FUZZ_CHECK(number == 0);
    if (isShortAsciiNumber(version))
        FUZZ_CHECK(number == double(std::stoull(version.toStdString())));
}

void checkDecision(const QString &modelCode, const QString &catalogueVersion, const QString &deviceVersion)
{
    // A camera already on the catalogue's version is never updated.
    FUZZ_CHECK(!updateRequired(modelCode, catalogueVersion, catalogueVersion));
    FUZZ_CHECK(!updateRequired(QStringLiteral("TZ41"), catalogueVersion, deviceVersion + "5.917"));
    if (modelCode != QLatin1String("TZ41")) {
        FUZZ_CHECK(updateRequired(modelCode, catalogueVersion, deviceVersion)
                   == updateRequired(modelCode, deviceVersion, catalogueVersion));
        FUZZ_CHECK(updateRequired(modelCode, catalogueVersion, deviceVersion)
                   == (versionNumber(catalogueVersion) != versionNumber(deviceVersion)));
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    checkNumber(QString::fromUtf8(bytes));

    std::u16string units(size / 2, u'\0');
    std::memcpy(&units[0], data, units.size() * 2);
    checkNumber(QString::fromStdU16String(units));

    const QList<QByteArray> lines = bytes.split('\n');
    const QString catalogueVersion = QString::fromUtf8(lines.value(0));
    const QString deviceVersion = QString::fromUtf8(lines.value(1));
    const QString modelCode = QString::fromUtf8(lines.value(2));
    checkDecision(modelCode, catalogueVersion, deviceVersion);
    return 0;
}
