#pragma once

#include "catalogue/catalogueentry.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QVector>

#include <optional>

// The catalogue file is a JSON object whose members (in ascending key order, the first
// one never read) map a model name to one entry object or to an array of them.
struct CatalogueMember
{
    QString key;
    QJsonObject entry;
};

struct CatalogueContents
{
    // False when the body held no JSON object with at least one member.
    bool hasMembers = false;
    QVector<CatalogueMember> entries;
};

// Bytes from the first NUL on are not part of the catalogue text.
QByteArray catalogueText(const QByteArray &body);

CatalogueContents parseCatalogue(const QByteArray &body);

// The record for one entry.
CatalogueEntry makeEntry(const QString &key, const QJsonObject &entry);

// Every entry of a catalogue body, in catalogue order; nullopt when the body holds no
// JSON object with at least one member.
std::optional<QVector<CatalogueEntry>> catalogueEntries(const QByteArray &body);
