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
    const qint64 from = hashed;
    const ChunkedRead chunks = readInChunks(
        [this, end](char *into, qint64 max) -> qint64 {
            const qint64 wanted = end == toTheEnd ? max : std::min(max, end - hashed);
            return wanted > 0 ? medium->read(into, hashed, wanted) : 0;
        },
        [this](const char *data, qint64 size) {
            hash.addData(data, size);
            hashed += size;
            return true;
        },
        stop, [&progress, from](qint64 done) {
            if (progress)
                progress(from + done);
        },
        medium->buffer());
    if (chunks.end == ChunkedRead::End::Interrupted)
        failure = QStringLiteral("stopped");
    else if (!chunks.complete())
        failure = QStringLiteral("cannot read %1: %2").arg(path, medium->error());
    return chunks.complete();
}
