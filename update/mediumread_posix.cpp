#include "update/mediumreadsource.h"

#include <QFile>

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

// Reads go straight to the device (O_DIRECT, Linux): nothing the kernel remembers of the
// writing can answer, and large requests reach the card as they are. Elsewhere, and on
// file systems without direct reads (older tmpfs, some FUSE), the cached pages of each
// stretch are dropped before it is read; they are clean once on the medium, so the
// kernel lets them go and the read comes from the card.
MediumReadBack::Medium::Medium(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
#ifdef O_DIRECT
    descriptor = ::open(name.constData(), O_RDONLY | O_DIRECT | O_CLOEXEC);
    direct = descriptor >= 0;
    if (descriptor < 0 && errno == EINVAL)
#endif
        descriptor = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        failure = QString::fromLocal8Bit(::strerror(errno));
    else if (::posix_memalign(reinterpret_cast<void **>(&aligned), 4096, size_t(chunkBytes)) != 0)
        failure = QStringLiteral("no memory to read %1").arg(path);
}

MediumReadBack::Medium::~Medium()
{
    if (descriptor >= 0)
        ::close(descriptor);
    ::free(aligned);
}

bool MediumReadBack::Medium::isOpen() const
{
    return descriptor >= 0 && aligned;
}

qint64 MediumReadBack::Medium::read(char *into, qint64 offset, qint64 max)
{
    if (direct) {
        const ssize_t got = ::pread(descriptor, into, size_t(max), off_t(offset));
        if (got >= 0 || errno != EINVAL) {
            if (got < 0)
                failure = QString::fromLocal8Bit(::strerror(errno));
            return got;
        }
        // Some file systems open for direct reads and then refuse them.
        direct = false;
#ifdef O_DIRECT
        ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_DIRECT);
#endif
    }
#if defined(POSIX_FADV_DONTNEED)
    ::posix_fadvise(descriptor, off_t(offset), off_t(max), POSIX_FADV_DONTNEED);
#endif
    const ssize_t got = ::pread(descriptor, into, size_t(max), off_t(offset));
    if (got < 0)
        failure = QString::fromLocal8Bit(::strerror(errno));
#if defined(POSIX_FADV_DONTNEED)
    else // nor does the read-back leave the image in memory
        ::posix_fadvise(descriptor, off_t(offset), off_t(got), POSIX_FADV_DONTNEED);
#endif
    return got;
}
