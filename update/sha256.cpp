#include "update/sha256.h"

#ifdef VEK_HAVE_OPENSSL
#include <openssl/evp.h>

struct Sha256::State
{
    EVP_MD_CTX *context = EVP_MD_CTX_new();
    State() { EVP_DigestInit_ex(context, EVP_sha256(), nullptr); }
    ~State() { EVP_MD_CTX_free(context); }
};

Sha256::Sha256() : state(std::make_unique<State>()) {}
Sha256::~Sha256() = default;

void Sha256::addData(const char *data, qint64 length)
{
    if (length > 0)
        EVP_DigestUpdate(state->context, data, size_t(length));
}

QByteArray Sha256::result()
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(state->context, digest, &length);
    return QByteArray(reinterpret_cast<const char *>(digest), int(length));
}

const char *Sha256::implementation()
{
    return "OpenSSL libcrypto";
}

#else
#include <QCryptographicHash>

struct Sha256::State
{
    QCryptographicHash hash{QCryptographicHash::Sha256};
};

Sha256::Sha256() : state(std::make_unique<State>()) {}
Sha256::~Sha256() = default;

void Sha256::addData(const char *data, qint64 length)
{
    // QCryptographicHash takes an int length in Qt 5.
    while (length > 0) {
        const int piece = int(qMin<qint64>(length, 1 << 30));
        state->hash.addData(data, piece);
        data += piece;
        length -= piece;
    }
}

QByteArray Sha256::result()
{
    return state->hash.result();
}

const char *Sha256::implementation()
{
    return "QCryptographicHash";
}
#endif
