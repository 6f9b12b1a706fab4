#include "detection/cardfileread.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QByteArray readRegularFileHead(const QString &path, qint64 maxBytes)
{
    // Non-blocking, so that opening a FIFO returns at once instead of waiting for a
    // writer; the type is then taken from the open file, not from the path.
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0)
        return QByteArray();
    QByteArray bytes;
    struct stat status;
    if (::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode)) {
        bytes.resize(int(maxBytes));
        qint64 got = 0;
        while (got < maxBytes) {
            const ssize_t n = ::read(descriptor, bytes.data() + got, size_t(maxBytes - got));
            if (n <= 0)
                break;
            got += n;
        }
        bytes.truncate(int(got));
    }
    ::close(descriptor);
    return bytes;
}
