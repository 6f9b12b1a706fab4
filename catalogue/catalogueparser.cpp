#include "catalogue/catalogueparser.h"

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
            qDebug() << "Skipping catalogue key that is not a plain model name:" << key;
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

ASSET_INFORMATION makeAsset(const QString &key, const QJsonObject &entry)
{
    ASSET_INFORMATION asset;
    asset.Model = key.toUpper();
    asset.Model_Code = shortModelCode(asset.Model);
    asset.Version = entry.value(QLatin1String("Version")).toString();
    asset.Link = entry.value(QLatin1String("Link")).toString();
    asset.Checksum = entry.value(QLatin1String("Checksum")).toString();
    asset.Pathname = entry.value(QLatin1String("Pathname")).toString();
    asset.ADB_Device = entry.value(QLatin1String("ADB_Device")).toBool(false);
    asset.Brand = entry.value(QLatin1String("Brand")).toString();
    return asset;
}

std::optional<QVector<ASSET_INFORMATION>> catalogueEntries(const QByteArray &body)
{
    const CatalogueContents contents = parseCatalogue(body);
    if (!contents.hasMembers)
        return std::nullopt;
    QVector<ASSET_INFORMATION> entries;
    for (const CatalogueEntry &entry : contents.entries)
        entries.append(makeAsset(entry.key, entry.entry));
    return entries;
}
