#include "update/mediumread.h"

#include <QFile>

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace {
// Read straight from the device: nothing the kernel remembers of the writing can
// answer, and large requests go to the card as they are. Linux only; elsewhere, and on
// file systems without direct reads (tmpfs, some FUSE), the cache is dropped instead.
FileDigest digestReadDirectly(const QString &path, const StopFlag &stop, const ByteProgress &progress,
                               bool *unsupported)
{
    FileDigest result;
#ifdef O_DIRECT
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECT | O_CLOEXEC);
    if (descriptor < 0) {
        *unsupported = errno == EINVAL;
        result.error = QString::fromLocal8Bit(::strerror(errno));
        return result;
    }
    // Direct reads need a buffer aligned to the device's blocks; a page is aligned enough.
    void *buffer = nullptr;
    if (::posix_memalign(&buffer, 4096, size_t(chunkBytes)) == 0) {
        // Some file systems open for direct reads and then refuse them.
        const auto read = [descriptor, unsupported](char *into, qint64 max) -> qint64 {
            const qint64 got = ::read(descriptor, into, size_t(max));
            *unsupported = got < 0 && errno == EINVAL;
            return got;
        };
        result = digestOfChunks(read, QStringLiteral("cannot read ") + path, stop, progress,
                                static_cast<char *>(buffer));
        ::free(buffer);
    } else {
        result.error = QStringLiteral("no memory to read %1").arg(path);
    }
    ::close(descriptor);
#else
    Q_UNUSED(path)
    Q_UNUSED(stop)
    Q_UNUSED(progress)
    *unsupported = true;
#endif
    return result;
}

FileDigest digestAfterDroppingCache(const QString &path, const StopFlag &stop, const ByteProgress &progress)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        FileDigest result;
        result.error = file.errorString();
        return result;
    }
#if defined(POSIX_FADV_DONTNEED)
    // The written pages are clean after the flush, so the kernel lets them go and the
    // reads below come from the card itself.
    ::posix_fadvise(file.handle(), 0, 0, POSIX_FADV_DONTNEED);
#endif
    FileDigest result = digestOfOpenFile(file, stop, progress);
#if defined(POSIX_FADV_DONTNEED)
    ::posix_fadvise(file.handle(), 0, 0, POSIX_FADV_DONTNEED);
#endif
    return result;
}
}

FileDigest digestFromMedium(const QString &path, const StopFlag &stop, const ByteProgress &progress)
{
    bool unsupported = false;
    const FileDigest direct = digestReadDirectly(path, stop, progress, &unsupported);
    return unsupported ? digestAfterDroppingCache(path, stop, progress) : direct;
}
