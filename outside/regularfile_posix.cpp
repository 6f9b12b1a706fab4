#include "outside/regularfile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool openRegularFile(QFile &file, const QString &path, QString *why)
{
    // Non-blocking, so that opening a FIFO returns at once instead of waiting for a
    // writer; the type is then taken from the open file, not from the path.
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        *why = path + ": " + QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    struct stat status;
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        *why = path + " is no regular file";
        return false;
    }
    // Reads of a regular file never wait for a writer; blocking reads are the plain kind.
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(descriptor, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        *why = path + ": " + file.errorString();
        return false;
    }
    return true;
}
