// Catalogue bodies as the server might send them: any bytes, parsed and turned into
// records the way the start-up does.
#include "catalogue/catalogueparser.h"
#include "catalogue/modelcode.h"
#include "fuzzcheck.h"

#include <QJsonValue>

#include <cstddef>
#include <cstdint>

namespace {
bool sameEntries(const CatalogueContents &a, const CatalogueContents &b)
{
    if (a.hasMembers != b.hasMembers || a.entries.size() != b.entries.size())
        return false;
    for (int i = 0; i < a.entries.size(); ++i) {
        if (a.entries.at(i).key != b.entries.at(i).key || a.entries.at(i).entry != b.entries.at(i).entry)
            return false;
    }
    return true;
}

QString stringMember(const QJsonObject &entry, const char *name)
{
    const QJsonValue value = entry.value(QLatin1String(name));
    return value.isString() ? value.toString() : QString();
}

void checkRecord(const CatalogueEntry &item)
{
    // The model name reaches card paths and the camera's shell: nothing but a plain
    // name may come through, upper-cased, and its code must stay plain as well.
    FUZZ_CHECK(isPlainModelName(item.key));
    const ASSET_INFORMATION asset = makeAsset(item.key, item.entry);
    FUZZ_CHECK(asset.Model == item.key.toUpper());
    FUZZ_CHECK(isPlainModelName(asset.Model));
    FUZZ_CHECK(asset.Model_Code == shortModelCode(asset.Model));
    FUZZ_CHECK(asset.Model_Code.isEmpty() || isPlainModelName(asset.Model_Code));

    FUZZ_CHECK(asset.Version == stringMember(item.entry, "Version"));
    FUZZ_CHECK(asset.Link == stringMember(item.entry, "Link"));
    FUZZ_CHECK(asset.Checksum == stringMember(item.entry, "Checksum"));
    FUZZ_CHECK(asset.Pathname == stringMember(item.entry, "Pathname"));
    FUZZ_CHECK(asset.Brand == stringMember(item.entry, "Brand"));
    FUZZ_CHECK(asset.ADB_Device == (item.entry.value(QLatin1String("ADB_Device")) == QJsonValue(true)));

    FUZZ_CHECK(asset.Device_Brand.isEmpty() && asset.Device_Version.isEmpty() && asset.Update_Path.isEmpty());
    FUZZ_CHECK(!asset.Attached && asset.Error_Count == 0);
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray body(reinterpret_cast<const char *>(data), int(size));
    const CatalogueContents contents = parseCatalogue(body);

    FUZZ_CHECK(!catalogueText(body).contains('\0'));
    FUZZ_CHECK(contents.hasMembers || contents.entries.isEmpty());
    for (int i = 0; i < contents.entries.size(); ++i) {
        const CatalogueEntry &item = contents.entries.at(i);
        // Records come in ascending key order; entries of one array keep theirs.
        if (i > 0)
            FUZZ_CHECK(!(item.key < contents.entries.at(i - 1).key));
        checkRecord(item);
    }

    // Whatever follows a NUL byte is not part of the catalogue.
    if (!body.contains('\0')) {
        const QByteArray trailed = body + QByteArray("\0{\"A\":1,\"TZ9\":{}}", 18);
        FUZZ_CHECK(sameEntries(contents, parseCatalogue(trailed)));
    }
    return 0;
}
