#include "update/filedigest.h"

#include "update/sha256.h"

#include <QFile>

namespace {
constexpr qint64 chunkBytes = 1024 * 1024;
}

FileDigest digestOfOpenFile(QFile &file, const ByteProgress &progress)
{
    FileDigest result;
    Sha256 hash;
    QByteArray buffer(int(chunkBytes), Qt::Uninitialized);
    for (;;) {
        const qint64 got = file.read(buffer.data(), chunkBytes);
        if (got < 0) {
            result.error = file.errorString();
            return result;
        }
        if (got == 0)
            break;
        hash.addData(buffer.constData(), got);
        result.size += got;
        if (progress)
            progress(result.size);
    }
    result.readable = true;
    result.digest = hash.result();
    return result;
}

FileDigest digestOfFile(const QString &path, const ByteProgress &progress)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        FileDigest result;
        result.error = file.errorString();
        return result;
    }
    return digestOfOpenFile(file, progress);
}
