#include "outside/exclusivelock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::unique_ptr<ExclusiveLock> lockDescriptor(int descriptor, ExclusiveLock::Attempt *attempt,
                                              std::unique_ptr<ExclusiveLock> (*wrap)(int))
{
    if (descriptor < 0) {
        *attempt = ExclusiveLock::Attempt::Failed;
        return nullptr;
    }
    // flock, not fcntl locks: these belong to the open file, so two updates in one
    // process keep each other out as two programs do.
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        *attempt = errno == EWOULDBLOCK ? ExclusiveLock::Attempt::Held : ExclusiveLock::Attempt::Failed;
        ::close(descriptor);
        return nullptr;
    }
    *attempt = ExclusiveLock::Attempt::Taken;
    return wrap(descriptor);
}
}

ExclusiveLock::~ExclusiveLock()
{
    // The file goes before its lock does: a program that opened it meanwhile finds, once
    // it has the lock, that the name leads to it no more, and takes the lock anew.
    if (!fileToRemove.isEmpty())
        ::unlink(QFile::encodeName(fileToRemove).constData());
    ::close(int(handle));
}

std::unique_ptr<ExclusiveLock> ExclusiveLock::ofFile(const QString &path, Attempt *attempt)
{
    const QByteArray name = QFile::encodeName(path);
    for (int tries = 0; tries < 8; ++tries) {
        const int descriptor = ::open(name.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        std::unique_ptr<ExclusiveLock> lock = lockDescriptor(
            descriptor, attempt, [](int held) { return std::unique_ptr<ExclusiveLock>(new ExclusiveLock(held)); });
        struct stat locked = {}, named = {};
        if (!lock || (::fstat(descriptor, &locked) == 0 && ::lstat(name.constData(), &named) == 0
                      && locked.st_dev == named.st_dev && locked.st_ino == named.st_ino)) {
            if (lock)
                lock->fileToRemove = path;
            return lock;
        }
    }
    *attempt = Attempt::Held; // taken and let go, again and again, by others meanwhile
    return nullptr;
}

std::unique_ptr<ExclusiveLock> ExclusiveLock::ofFolder(const QString &path, Attempt *attempt)
{
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    return lockDescriptor(descriptor, attempt,
                          [](int held) { return std::unique_ptr<ExclusiveLock>(new ExclusiveLock(held)); });
}
