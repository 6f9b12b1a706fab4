#pragma once

#include <QByteArray>

#include <memory>

// Incremental SHA-256, from libcrypto: it uses the CPU's SHA instructions where Qt's
// portable digest does not, and every build has it, since Qt's HTTPS rests on it.
class Sha256
{
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256 &) = delete;
    Sha256 &operator=(const Sha256 &) = delete;

    void addData(const char *data, qint64 length);

    // The 32-byte digest of everything added so far. Ends the computation: call once.
    QByteArray result();

private:
    struct State;
    std::unique_ptr<State> state;
};
