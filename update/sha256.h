#pragma once

#include <QByteArray>

#include <memory>

// Incremental SHA-256. libcrypto's implementation uses the CPU's SHA instructions and
// runs about ten times faster than Qt's portable one, so it is used whenever the
// build found it; Qt's is the fallback.
class Sha256
{
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256 &) = delete;
    Sha256 &operator=(const Sha256 &) = delete;

    void addData(const char *data, qint64 length);
    void addData(const QByteArray &bytes) { addData(bytes.constData(), bytes.size()); }

    // The 32-byte digest of everything added so far. Ends the computation: call once.
    QByteArray result();
    // The same as 64 upper-case hexadecimal digits.
    QByteArray hexResult() { return result().toHex().toUpper(); }

    static const char *implementation();

private:
    struct State;
    std::unique_ptr<State> state;
};
