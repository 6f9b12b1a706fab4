#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Ed25519 keys and detached signatures, through OpenSSL's libcrypto. Keys travel as
// PEM text (PKCS#8 for a private key, SubjectPublicKeyInfo for a public one), so that
// `openssl pkey` and `openssl pkeyutl -rawin` read and check them too; a signature is
// its 64 raw bytes.

struct SigningKeyPair
{
    QByteArray privatePem;
    QByteArray publicPem;
};

// A fresh key pair from the system's random source; nullopt, with why, when libcrypto
// cannot make one.
std::optional<SigningKeyPair> generateSigningKey(QString *why);

// The signature of message by the private key; empty, with why, when privatePem holds
// no Ed25519 private key (an encrypted one included: there is no one to ask for its
// passphrase).
QByteArray signMessage(const QByteArray &privatePem, const QByteArray &message, QString *why);

// Whether signature is the public key's signature of message. Anything else (a key of
// another type, bytes that are no key, a signature of the wrong length) does not match.
bool signatureMatches(const QByteArray &publicPem, const QByteArray &message, const QByteArray &signature);

// The SHA-256 of the public key's raw 32 bytes, as 64 lowercase hexadecimal digits: what
// names a key in statements and in the serials accepted from it. Empty when publicPem
// (or, for the second, privatePem) holds no Ed25519 key.
QByteArray publicKeyFingerprint(const QByteArray &publicPem);
QByteArray fingerprintOfPrivateKey(const QByteArray &privatePem);
