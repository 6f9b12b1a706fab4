#include "catalogue/catalogueparser.h"

#include "outside/log.h"

#include "catalogue/modelcode.h"
#include "outside/textbeforenul.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>

QByteArray catalogueText(const QByteArray &body)
{
    return textBeforeNul(body).toUtf8();
}

CatalogueContents parseCatalogue(const QByteArray &body)
{
    CatalogueContents contents;
    const QJsonObject top = QJsonDocument::fromJson(catalogueText(body)).object();
    const QStringList keys = top.keys();
    contents.hasMembers = !keys.isEmpty();

    // The format reserves the first key in key order: it never names a model.
    for (int i = 1; i < keys.size(); ++i) {
        const QString &key = keys.at(i);
        const QJsonValue value = top.value(key);
        if (!value.isArray() && !value.isObject())
            continue;
        if (!isPlainModelName(key)) {
            qCDebug(catalogueLog) << "Skipping catalogue key that is not a plain model name:" << key;
            continue;
        }
        if (value.isArray()) {
            const QJsonArray list = value.toArray();
            for (const QJsonValue &element : list)
                contents.entries.append({key, element.toObject()});
        } else {
            contents.entries.append({key, value.toObject()});
        }
    }
    return contents;
}

CatalogueEntry makeEntry(const QString &key, const QJsonObject &entry)
{
    CatalogueEntry made;
    made.model = key.toUpper();
    made.modelCode = shortModelCode(made.model);
    made.version = entry.value(QLatin1String("Version")).toString();
    made.link = entry.value(QLatin1String("Link")).toString();
    made.checksum = entry.value(QLatin1String("Checksum")).toString();
    made.overAdb = entry.value(QLatin1String("ADB_Device")).toBool(false);
    made.brand = entry.value(QLatin1String("Brand")).toString();
    return made;
}

std::optional<QVector<CatalogueEntry>> catalogueEntries(const QByteArray &body)
{
    const CatalogueContents contents = parseCatalogue(body);
    if (!contents.hasMembers)
        return std::nullopt;
    QVector<CatalogueEntry> entries;
    for (const CatalogueMember &entry : contents.entries)
        entries.append(makeEntry(entry.key, entry.entry));
    return entries;
}
