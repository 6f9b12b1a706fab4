#pragma once

#include "catalogue/signedstatement.h"
#include "catalogue/signerkey.h"

#include <QByteArray>
#include <QString>

// How long a statement holds unless told otherwise, and the longest it may.
constexpr int defaultStatementDays = 90;
constexpr int maxStatementDays = 3650;

// What fetch is asked to sign its folder with.
struct FolderSigning
{
    QString keyFile; // empty: the folder is not signed
    int days = defaultStatementDays;
};

// Writes the statement and the key's signature of it beside the catalogue file, each
// replaced in one step. The statement names the key's fingerprint; the key must be
// an Ed25519 private key.
bool writeSignedStatement(const QString &catalogueFile, CatalogueStatement statement, const SignerKey &key,
                          QString *why);

// After fetch has written the catalogue into folder: a statement of it signed with the
// key file, its serial the time now in seconds, expiring after the days asked for.
// Unsigned, any statement of an earlier fetch is removed, since it no longer matches.
bool signFetchedCatalogue(const QString &folder, const QByteArray &catalogue, const FolderSigning &signing,
                          QString *why);
