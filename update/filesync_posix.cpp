#include "update/filesync.h"

#include <QFile>
#include <QFileDevice>

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

void startWritingToMedium(QFileDevice &file, qint64 offset, qint64 length)
{
#ifdef __linux__
    ::sync_file_range(file.handle(), offset, length, SYNC_FILE_RANGE_WRITE);
#else
    Q_UNUSED(file)
    Q_UNUSED(offset)
    Q_UNUSED(length)
#endif
}

bool flushFileToMedium(QFileDevice &file)
{
    if (!file.flush())
        return false;
#ifdef __APPLE__
    // fsync only reaches the drive's cache on macOS.
    if (::fcntl(file.handle(), F_FULLFSYNC) == 0)
        return true;
#endif
    return ::fsync(file.handle()) == 0;
}

bool replaceFileAtomically(const QString &from, const QString &to)
{
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

void flushFolderToMedium(const QString &folder)
{
    const int descriptor = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return;
    ::fsync(descriptor);
    ::close(descriptor);
}

FileDigest digestFromMedium(const QString &path, const ByteProgress &progress)
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
    FileDigest result = digestOfOpenFile(file, progress);
#if defined(POSIX_FADV_DONTNEED)
    ::posix_fadvise(file.handle(), 0, 0, POSIX_FADV_DONTNEED);
#endif
    return result;
}
