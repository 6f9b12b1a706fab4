#include "outside/exclusivelock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
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
    ::close(int(handle));
}

std::unique_ptr<ExclusiveLock> ExclusiveLock::ofFile(const QString &path, Attempt *attempt)
{
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    return lockDescriptor(descriptor, attempt,
                          [](int held) { return std::unique_ptr<ExclusiveLock>(new ExclusiveLock(held)); });
}

std::unique_ptr<ExclusiveLock> ExclusiveLock::ofFolder(const QString &path, Attempt *attempt)
{
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    return lockDescriptor(descriptor, attempt,
                          [](int held) { return std::unique_ptr<ExclusiveLock>(new ExclusiveLock(held)); });
}
