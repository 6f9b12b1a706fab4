#pragma once

#include "update/filedigest.h"
#include "update/sha256.h"

#include <QString>

#include <memory>

// Reads a file back as the medium returns it, bypassing what the operating system still
// remembers of the writing, and hashes it. The file may still be growing: a stretch
// known to be on the medium can be read while later ones are written, so that the check
// after the last flush reads the last stretch only.
class MediumReadBack
{
public:
    explicit MediumReadBack(const QString &path);
    ~MediumReadBack();
    MediumReadBack(const MediumReadBack &) = delete;
    MediumReadBack &operator=(const MediumReadBack &) = delete;

    // Reads on to `end` (rounded down to whole blocks), which the medium must already
    // hold. False when the medium failed a read (see error).
    bool readUpTo(qint64 end);
    // Reads the rest, to the file's end, and gives the digest of the whole file; progress
    // counts from its first byte. Call once.
    FileDigest finish(const StopFlag &stop, const ByteProgress &progress = {});

    QString error() const { return failure; }

private:
    // The file opened past the operating system's memory, one per operating system.
    class Medium;
    bool readTo(qint64 end, const StopFlag &stop, const ByteProgress &progress);

    const QString path;
    std::unique_ptr<Medium> medium; // opened at the first read
    Sha256 hash;
    qint64 hashed = 0;
    QString failure;
};
