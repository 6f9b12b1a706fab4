#include "outside/ownfile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Why the file found by lstat or fstat is not one to use; empty when it is.
QString refusal(const QString &path, const struct stat &status)
{
    if (S_ISLNK(status.st_mode))
        return path + " is a link: refused";
    if (!S_ISREG(status.st_mode))
        return path + " is not a plain file: refused";
    if (status.st_uid != ::geteuid())
        return path + " belongs to another user: refused";
    return QString();
}
}

bool openOwnFile(QFile &file, QIODevice::OpenMode mode, QString *why)
{
    int flags = O_CLOEXEC | O_NOFOLLOW;
    if (mode & QIODevice::Append)
        flags |= O_APPEND | O_CREAT;
    flags |= (mode & QIODevice::ReadWrite) == QIODevice::ReadWrite ? O_RDWR
             : (mode & QIODevice::WriteOnly)                      ? O_WRONLY
                                                                   : O_RDONLY;
    const QString path = file.fileName();
    const int descriptor = ::open(QFile::encodeName(path).constData(), flags, 0666);
    if (descriptor < 0) {
        *why = errno == ELOOP ? path + " is a link: refused" : path + ": " + QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    struct stat status;
    *why = ::fstat(descriptor, &status) == 0 ? refusal(path, status) : path + ": cannot be examined";
    if (!why->isEmpty() || !file.open(descriptor, mode, QFileDevice::AutoCloseHandle)) {
        if (why->isEmpty())
            *why = path + ": " + file.errorString();
        ::close(descriptor);
        return false;
    }
    return true;
}

bool isOwnFileOrAbsent(const QString &path, QString *why)
{
    struct stat status;
    if (::lstat(QFile::encodeName(path).constData(), &status) == 0)
        *why = refusal(path, status);
    else if (errno != ENOENT)
        *why = path + ": " + QString::fromLocal8Bit(std::strerror(errno));
    else
        why->clear();
    return why->isEmpty();
}
