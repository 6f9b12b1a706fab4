#include "outside/durablefile.h"

#include <QFile>
#include <QFileDevice>

#include <cerrno>
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

bool waitUntilOnMedium(QFileDevice &file, qint64 offset, qint64 length)
{
#ifdef __linux__
    return ::sync_file_range(file.handle(), offset, length,
                             SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER)
           == 0;
#else
    Q_UNUSED(file)
    Q_UNUSED(offset)
    Q_UNUSED(length)
    return false;
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

bool flushFolderToMedium(const QString &folder)
{
    const int descriptor = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool flushed = ::fsync(descriptor) == 0 || errno == EINVAL || errno == ENOTSUP || errno == EROFS;
    ::close(descriptor);
    return flushed;
}
