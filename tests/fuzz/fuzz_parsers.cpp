// Any bytes through every parser of what comes from outside (the catalogue, a camera's
// version file, adb's answers, version strings, links' file names, history lines, a
// folder's signed statement), for the sanitizers to judge.
#include "catalogue/catalogueparser.h"
#include "catalogue/linkfilename.h"
#include "catalogue/modelcode.h"
#include "catalogue/signedstatement.h"
#include "catalogue/versionnumber.h"
#include "detection/adbanswers.h"
#include "detection/shellquote.h"
#include "detection/versionfileparser.h"
#include "history/historyrecord.h"

#include <QJsonDocument>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The parsers log what they skip; at this rate that would drown the fuzzer's report.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    for (const CatalogueMember &item : parseCatalogue(bytes).entries)
        makeEntry(item.key, item.entry);

    const QByteArray versionFile = versionFileFromCatOutput(bytes);
    VersionFileParser::instance()->getVersion(versionFile);
    VersionFileParser::instance()->getBrand(versionFile);

    // Lines: model code, catalogue version, device version.
    const QList<QByteArray> lines = bytes.split('\n');
    const QString modelCode = shortModelCode(QString::fromUtf8(lines.first()));
    isPlainModelName(modelCode);
    quoteForDeviceShell(modelCode);
    listingHasEntry(bytes, modelCode + "LOAD");
    readyDevices(bytes);
    QByteArray stream = bytes;
    bool unreadable = false;
    while (const std::optional<QByteArray> message = takeTrackedMessage(stream, &unreadable))
        readyDevices(*message);
    plainFileNameOfLink(QString::fromUtf8(lines.first()));
    if (const std::optional<HistoryRecord> record = HistoryRecord::fromJson(QJsonDocument::fromJson(bytes).object()))
        historyCsv({*record});
    // A statement has one text: what it is read from is what it is written as, byte
    // for byte, or its signature would cover bytes that say something else.
    if (const std::optional<CatalogueStatement> statement = parseStatement(bytes)) {
        if (statementText(*statement) != bytes)
            std::abort();
    }
    updateRequired(modelCode, QString::fromUtf8(lines.value(1)), QString::fromUtf8(lines.value(2)));

    // Read as UTF-16 too, for digits outside ASCII and lone surrogates.
    std::u16string units(size / 2, u'\0');
    std::memcpy(&units[0], data, units.size() * 2);
    versionNumber(QString::fromStdU16String(units));
    return 0;
}
