#include "cardpuller.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/fanotify.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {
std::string openedPath(int eventFd)
{
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", eventFd);
    char target[4096];
    const ssize_t length = ::readlink(link, target, sizeof target - 1);
    return length > 0 ? std::string(target, size_t(length)) : std::string();
}

bool nameBegins(const std::string &path, const std::string &prefix)
{
    const size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return name.compare(0, prefix.size(), prefix) == 0;
}
}

CardPuller::CardPuller(const QString &mountPoint, const QString &namePrefix)
    : mountPoint(QFile::encodeName(mountPoint).toStdString()), namePrefix(QFile::encodeName(namePrefix).toStdString())
{
    // Holding the root keeps the card's file system alive once it is detached.
    cardRoot = ::open(this->mountPoint.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    watch = ::fanotify_init(FAN_CLASS_CONTENT | FAN_CLOEXEC, O_RDONLY | O_LARGEFILE);
    stop = ::eventfd(0, EFD_CLOEXEC);
    if (cardRoot < 0 || watch < 0 || stop < 0
        || ::fanotify_mark(watch, FAN_MARK_ADD | FAN_MARK_MOUNT, FAN_OPEN_PERM, AT_FDCWD, this->mountPoint.c_str())
               != 0) {
        problem = QStringLiteral("cannot watch the card: ") + QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    listener = std::thread([this] { listen(); });
}

CardPuller::~CardPuller()
{
    if (listener.joinable()) {
        const uint64_t one = 1;
        (void)::write(stop, &one, sizeof one);
        listener.join();
    }
    // Closing the watch lets any opener still waiting go on.
    for (int fd : {watch, stop, cardRoot}) {
        if (fd >= 0)
            ::close(fd);
    }
}

bool CardPuller::isArmed(QString *whyNot) const
{
    if (whyNot)
        *whyNot = problem;
    return problem.isEmpty();
}

QString CardPuller::onCard(const QString &relativePath) const
{
    return QStringLiteral("/proc/self/fd/%1/").arg(cardRoot) + relativePath;
}

void CardPuller::listen()
{
    alignas(fanotify_event_metadata) char buffer[4096];
    for (;;) {
        pollfd waits[2] = {{watch, POLLIN, 0}, {stop, POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0 && errno != EINTR)
            return;
        if (waits[1].revents)
            return;
        if (!(waits[0].revents & POLLIN))
            continue;
        const ssize_t length = ::read(watch, buffer, sizeof buffer);
        if (length <= 0)
            continue;
        auto *event = reinterpret_cast<fanotify_event_metadata *>(buffer);
        for (ssize_t left = length; FAN_EVENT_OK(event, left); event = FAN_EVENT_NEXT(event, left)) {
            if (event->fd >= 0 && !answer(event->fd))
                return;
        }
    }
}

bool CardPuller::answer(int eventFd)
{
    if (!pulled.load() && nameBegins(openedPath(eventFd), namePrefix)) {
        ::umount2(mountPoint.c_str(), MNT_DETACH);
        pulled.store(true);
    }
    const fanotify_response response{eventFd, FAN_ALLOW};
    const bool answered = ::write(watch, &response, sizeof response) == sizeof response;
    ::close(eventFd);
    return answered;
}
