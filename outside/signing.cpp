#include "outside/signing.h"

#include <QCryptographicHash>

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <functional>
#include <memory>

namespace {
constexpr size_t ed25519SignatureBytes = 64;
constexpr size_t ed25519PublicKeyBytes = 32;

struct Free
{
    void operator()(EVP_PKEY *key) const { EVP_PKEY_free(key); }
    void operator()(EVP_PKEY_CTX *context) const { EVP_PKEY_CTX_free(context); }
    void operator()(EVP_MD_CTX *context) const { EVP_MD_CTX_free(context); }
    void operator()(BIO *bio) const { BIO_free(bio); }
};
using Key = std::unique_ptr<EVP_PKEY, Free>;
using Bio = std::unique_ptr<BIO, Free>;

const unsigned char *bytes(const QByteArray &array)
{
    return reinterpret_cast<const unsigned char *>(array.constData());
}

QString lastError(const char *what)
{
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    char text[256] = {};
    if (code != 0)
        ERR_error_string_n(code, text, sizeof text);
    return code != 0 ? QStringLiteral("%1: %2").arg(QLatin1String(what), QLatin1String(text)) : QLatin1String(what);
}

// A key read without a passphrase prompt: an encrypted key is refused, never waited on.
int noPassphrase(char *, int, int, void *)
{
    return 0;
}

Key ed25519(EVP_PKEY *key)
{
    Key owned(key);
    ERR_clear_error();
    return owned && EVP_PKEY_id(owned.get()) == EVP_PKEY_ED25519 ? std::move(owned) : Key();
}

Key readPrivateKey(const QByteArray &pem)
{
    const Bio in(BIO_new_mem_buf(pem.constData(), pem.size()));
    return ed25519(in ? PEM_read_bio_PrivateKey(in.get(), nullptr, &noPassphrase, nullptr) : nullptr);
}

Key readPublicKey(const QByteArray &pem)
{
    const Bio in(BIO_new_mem_buf(pem.constData(), pem.size()));
    return ed25519(in ? PEM_read_bio_PUBKEY(in.get(), nullptr, &noPassphrase, nullptr) : nullptr);
}

QByteArray pemOf(const std::function<int(BIO *)> &write)
{
    const Bio out(BIO_new(BIO_s_mem()));
    if (!out || write(out.get()) != 1)
        return QByteArray();
    char *data = nullptr;
    const long size = BIO_get_mem_data(out.get(), &data);
    return QByteArray(data, int(size));
}

QByteArray fingerprint(EVP_PKEY *key)
{
    unsigned char raw[ed25519PublicKeyBytes];
    size_t size = sizeof raw;
    if (!key || EVP_PKEY_get_raw_public_key(key, raw, &size) != 1 || size != sizeof raw)
        return QByteArray();
    return QCryptographicHash::hash(QByteArray(reinterpret_cast<const char *>(raw), int(size)),
                                    QCryptographicHash::Sha256)
        .toHex();
}
}

std::optional<SigningKeyPair> generateSigningKey(QString *why)
{
    const std::unique_ptr<EVP_PKEY_CTX, Free> context(EVP_PKEY_CTX_new_id(EVP_PKEY_ED25519, nullptr));
    EVP_PKEY *made = nullptr;
    if (!context || EVP_PKEY_keygen_init(context.get()) != 1 || EVP_PKEY_keygen(context.get(), &made) != 1) {
        *why = lastError("cannot make an Ed25519 key");
        return std::nullopt;
    }
    const Key key(made);
    SigningKeyPair pair;
    pair.privatePem = pemOf([&](BIO *out) {
        return PEM_write_bio_PrivateKey(out, key.get(), nullptr, nullptr, 0, nullptr, nullptr);
    });
    pair.publicPem = pemOf([&](BIO *out) { return PEM_write_bio_PUBKEY(out, key.get()); });
    if (pair.privatePem.isEmpty() || pair.publicPem.isEmpty()) {
        *why = lastError("cannot write the key as PEM");
        return std::nullopt;
    }
    return pair;
}

QByteArray signMessage(const QByteArray &privatePem, const QByteArray &message, QString *why)
{
    const Key key = readPrivateKey(privatePem);
    if (!key) {
        *why = QStringLiteral("no unencrypted Ed25519 private key");
        return QByteArray();
    }
    const std::unique_ptr<EVP_MD_CTX, Free> context(EVP_MD_CTX_new());
    QByteArray signature(int(ed25519SignatureBytes), Qt::Uninitialized);
    size_t size = ed25519SignatureBytes;
    if (!context || EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1
        || EVP_DigestSign(context.get(), reinterpret_cast<unsigned char *>(signature.data()), &size, bytes(message),
                          size_t(message.size()))
               != 1
        || size != ed25519SignatureBytes) {
        *why = lastError("cannot sign");
        return QByteArray();
    }
    return signature;
}

bool signatureMatches(const QByteArray &publicPem, const QByteArray &message, const QByteArray &signature)
{
    const Key key = readPublicKey(publicPem);
    const std::unique_ptr<EVP_MD_CTX, Free> context(EVP_MD_CTX_new());
    const bool matches = key && context && size_t(signature.size()) == ed25519SignatureBytes
                         && EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) == 1
                         && EVP_DigestVerify(context.get(), bytes(signature), size_t(signature.size()), bytes(message),
                                             size_t(message.size()))
                                == 1;
    ERR_clear_error();
    return matches;
}

QByteArray publicKeyFingerprint(const QByteArray &publicPem)
{
    return fingerprint(readPublicKey(publicPem).get());
}

QByteArray fingerprintOfPrivateKey(const QByteArray &privatePem)
{
    return fingerprint(readPrivateKey(privatePem).get());
}
