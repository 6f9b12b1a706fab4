#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// What a signer says about a catalogue, in a few lines kept beside it
// (vek-updater-config.txt.statement) with the signature of those lines in a file of
// their own (….statement.sig): older versions read the folder as they always did. A
// bench that trusts the signer takes the catalogue when it is the one the statement
// names, before the statement expires, and when its serial is not lower than one the
// bench took from that signer before: an older folder then cannot roll it back.
//
//   vek-updater catalogue statement
//   sha256: <the catalogue file's SHA-256, 64 lowercase hexadecimal digits>
//   serial: <a decimal number that only grows: the time of the fetch, in seconds>
//   expires: <UTC, as 2027-03-01T12:00:00Z>
//   signer: <the signer's name>
//   key: <the signing key's fingerprint, 64 lowercase hexadecimal digits>

extern const QString statementSuffix; // after the catalogue's file name
extern const QString signatureSuffix;

// A statement is a few hundred bytes and a signature 64: what is larger is neither.
constexpr int maxStatementBytes = 4096;
constexpr int maxSignatureBytes = 1024;

struct CatalogueStatement
{
    QByteArray sha256;
    qint64 serial = 0;
    QDateTime expires;
    QString signer;
    QByteArray key;
};

QByteArray statementText(const CatalogueStatement &statement);

// The statement in text, which must be exactly in the form above (every line, in that
// order, each ending in a line feed, with nothing after the last; a serial without
// leading zeros), so that statementText gives back the very same bytes: nullopt
// otherwise.
std::optional<CatalogueStatement> parseStatement(const QByteArray &text);
