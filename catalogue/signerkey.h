#pragma once

#include "outside/signing.h"

#include <QByteArray>
#include <QString>

#include <optional>

// A signer's key file: PEM text, with the signer's name on a line of its own before it
// ("Signer: Bench A"), where OpenSSL's readers skip it as explanatory text. The name
// travels with the public key to every bench that trusts it; a key file without that
// line (one made by `openssl genpkey`) is named after its file.

// A signer's name: 1 to 64 ASCII letters, digits, '-', '_', '.' and blanks, with no
// blank at either end, no '.' at either end and no device name of Windows: it becomes a
// file name in the trust list and a line of a statement.
bool isPlainSignerName(const QString &name);

struct SignerKey
{
    QString name;
    QByteArray pem;
};

// The name a key file without a name line goes by: its file name up to the first '.'.
QString signerNameOfFile(const QString &path);

// The key file's text: the name's line, then the PEM.
QByteArray signerKeyFileText(const SignerKey &key);

// Reads a key file (a regular file of a few KiB at most): its PEM, and the name on its
// line or else the name of its file. nullopt, with why, when it cannot be
// read or that name is not plain.
std::optional<SignerKey> readSignerKey(const QString &path, QString *why);

// Writes the private key to path, which must not exist yet, readable by its owner
// only, and the public key to path + ".pub"; both carry the name, which must be plain.
bool writeSignerKeyPair(const QString &path, const QString &name, const SigningKeyPair &pair, QString *why);
