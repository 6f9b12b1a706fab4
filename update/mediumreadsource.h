#pragma once

#include "update/mediumread.h"

// A file opened so that reads come from the medium, not from what the operating system
// remembers of the writing; one implementation per operating system.
class MediumReadBack::Medium
{
public:
    explicit Medium(const QString &path);
    ~Medium();
    Medium(const Medium &) = delete;
    Medium &operator=(const Medium &) = delete;

    bool isOpen() const;
    // Reads at most `max` bytes from `offset` into `into`, which lies in buffer(): the
    // count, 0 at the file's end, or -1 on failure (see error). Offsets before the last
    // stretch are whole blocks.
    qint64 read(char *into, qint64 offset, qint64 max);
    // chunkBytes, aligned as reads past the operating system's memory need.
    char *buffer() const { return aligned; }
    QString error() const { return failure; }

private:
    char *aligned = nullptr;
    QString failure;
#ifdef Q_OS_WIN
    void *handle = nullptr;
#else
    int descriptor = -1;
    bool direct = false;
#endif
};
