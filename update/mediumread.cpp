#include "update/mediumread.h"

#include "update/mediumreadsource.h"

#include <algorithm>

namespace {
// Reads past the operating system's memory start and end on whole blocks of the device;
// a page is whole enough for any card.
constexpr qint64 blockBytes = 4096;
constexpr qint64 toTheEnd = -1;
}

MediumReadBack::MediumReadBack(const QString &path) : path(path) {}

MediumReadBack::~MediumReadBack() = default;

bool MediumReadBack::readUpTo(qint64 end)
{
    return readTo(end - end % blockBytes, StopFlag(), {});
}

FileDigest MediumReadBack::finish(const StopFlag &stop, const ByteProgress &progress)
{
    FileDigest result;
    result.readable = readTo(toTheEnd, stop, progress);
    medium.reset(); // a file open for reading cannot be renamed everywhere
    result.size = hashed;
    if (result.readable)
        result.digest = hash.result();
    else
        result.error = failure;
    return result;
}

bool MediumReadBack::readTo(qint64 end, const StopFlag &stop, const ByteProgress &progress)
{
    if (!failure.isEmpty())
        return false;
    if (!medium) {
        medium = std::make_unique<Medium>(path);
        if (!medium->isOpen()) {
            failure = medium->error();
            return false;
        }
    }
    while (end == toTheEnd || hashed < end) {
        if (stop.isRaised()) {
            failure = QStringLiteral("stopped");
            return false;
        }
        const qint64 wanted = end == toTheEnd ? chunkBytes : std::min(chunkBytes, end - hashed);
        const qint64 got = medium->read(hashed, wanted);
        if (got < 0) {
            failure = QStringLiteral("cannot read %1: %2").arg(path, medium->error());
            return false;
        }
        if (got == 0)
            break;
        hash.addData(medium->buffer(), got);
        hashed += got;
        if (progress)
            progress(hashed);
    }
    return true;
}
