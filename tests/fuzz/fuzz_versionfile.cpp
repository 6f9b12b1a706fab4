// A camera's version file: any bytes, read for the installed version (line 1) and the
// brand (line 2).
#include "detection/versionfileparser.h"
#include "fuzzcheck.h"

#include <cstddef>
#include <cstdint>

namespace {
bool isCleanValue(const QString &value)
{
    return !value.contains(QLatin1Char('\n')) && !value.contains(QChar(0));
}

QByteArray withCrLf(QByteArray bytes)
{
    return bytes.replace("\n", "\r\n");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const VersionFileParser *parser = VersionFileParser::instance();
    const QByteArray contents(reinterpret_cast<const char *>(data), int(size));
    const QString version = parser->getVersion(contents);
    const QString brand = parser->getBrand(contents);

    FUZZ_CHECK(isCleanValue(version));
    FUZZ_CHECK(isCleanValue(brand));
    if (!contents.contains('\n'))
        FUZZ_CHECK(brand.isEmpty());

    // LF and CR LF line ends read alike.
    const QByteArray crLf = withCrLf(contents);
    FUZZ_CHECK(parser->getVersion(crLf) == version);
    FUZZ_CHECK(parser->getBrand(crLf) == brand);

    // A line's meaning is its position: lines behind the second change nothing, and
    // one more line in front makes the version the brand.
    const QByteArray longer = contents + "\nPELKA\n" + contents;
    FUZZ_CHECK(parser->getVersion(longer) == version);
    if (contents.contains('\n'))
        FUZZ_CHECK(parser->getBrand(longer) == brand);
    FUZZ_CHECK(parser->getBrand("9.999\n" + contents) == version);
    return 0;
}
