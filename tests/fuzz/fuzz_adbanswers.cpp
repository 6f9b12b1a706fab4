// What `adb` answers for one camera, read through the scanner's own functions: the
// output of `shell cat` on its version file and of `shell ls` on its DCIM folder. Input layout: the model code up to the first LF,
// then the cat output up to the first 0x1E byte, then the listing.
#include "catalogue/modelcode.h"
#include "detection/adbanswers.h"
#include "detection/shellquote.h"
#include "detection/versionfile.h"
#include "detection/versionfileparser.h"
#include "fuzzcheck.h"

#include <QList>

#include <cstddef>
#include <cstdint>

namespace {
const QString deviceCardRoot = QStringLiteral("/mnt/SDCARD/");

// Reads one word the way the camera's shell would, for the forms the quoting uses:
// single-quoted runs, backslash escapes and plain path characters. Anything else
// (a space, a metacharacter, an open quote) means the word could be split or run.
bool shellWord(const QString &text, QString *word)
{
    word->clear();
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\'')) {
            const int close = text.indexOf(QLatin1Char('\''), i + 1);
            if (close < 0)
                return false;
            *word += text.mid(i + 1, close - i - 1);
            i = close;
        } else if (c == QLatin1Char('\\')) {
            if (++i == text.size())
                return false;
            *word += text.at(i);
        } else if (c.isLetterOrNumber() && c.unicode() < 0x80) {
            *word += c;
        } else if (c == QLatin1Char('/') || c == QLatin1Char('.') || c == QLatin1Char('_') || c == QLatin1Char('-')) {
            *word += c;
        } else {
            return false;
        }
    }
    return true;
}

QByteArray withCrLf(QByteArray bytes)
{
    return bytes.replace("\n", "\r\n");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    const int codeEnd = input.indexOf('\n');
    const QString modelCode = QString::fromUtf8(codeEnd < 0 ? input : input.left(codeEnd));
    const QByteArray answers = codeEnd < 0 ? QByteArray() : input.mid(codeEnd + 1);
    const int listingStart = answers.indexOf('\x1e');
    const QByteArray catOutput = listingStart < 0 ? answers : answers.left(listingStart);
    const QByteArray listing = listingStart < 0 ? QByteArray() : answers.mid(listingStart + 1);

    // The version file path reaches the device's shell as exactly one word.
    const QString versionPath = CardLayout::onVolume(deviceCardRoot, CardLayout::versionFile(modelCode));
    QString word;
    FUZZ_CHECK(shellWord(quoteForDeviceShell(versionPath), &word));
    FUZZ_CHECK(word == versionPath);

    const VersionFileParser *parser = VersionFileParser::instance();
    const QByteArray versionFile = versionFileFromCatOutput(catOutput);
    const QString version = parser->getVersion(versionFile);
    const QString brand = parser->getBrand(versionFile);
    FUZZ_CHECK(!version.contains(QLatin1Char('\n')) && !version.contains(QChar(0)));
    FUZZ_CHECK(!brand.contains(QLatin1Char('\n')) && !brand.contains(QChar(0)));
    if (catOutput.contains("No such file or directory"))
        FUZZ_CHECK(version.isEmpty() && brand.isEmpty());

    // Old devices put CR LF on every line; that must read like the LF the card holds.
    const QByteArray legacyFile = versionFileFromCatOutput(withCrLf(catOutput));
    FUZZ_CHECK(parser->getVersion(legacyFile) == version);
    FUZZ_CHECK(parser->getBrand(legacyFile) == brand);

    // Model codes from the catalogue are plain (or empty, for a name such as "00"); for
    // those the decoded listing must hold exactly the entries a byte split finds.
    const QString searchCode = modelCode.isEmpty() || isPlainModelName(modelCode) ? modelCode : QStringLiteral("TZ76");
    const int nul = listing.indexOf('\0');
    const QByteArray listed = nul < 0 ? listing : listing.left(nul);
    const bool found = listingHasUpdateFolder(listing, searchCode);
    FUZZ_CHECK(found == listed.simplified().split(' ').contains(searchCode.toUtf8() + "LOAD"));
    FUZZ_CHECK(listingHasUpdateFolder(withCrLf(listing), searchCode) == found);
    return 0;
}
