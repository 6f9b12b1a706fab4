#include "detection/mounttablewatcher.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

struct MountTableWatcher::Source
{
    int table = -1;
    std::unique_ptr<QSocketNotifier> notifier;

    ~Source()
    {
        notifier.reset();
        if (table >= 0)
            ::close(table);
    }
};

MountTableWatcher::MountTableWatcher(QObject *parent) : QObject(parent), source(std::make_unique<Source>())
{
    // poll() reports POLLPRI (with POLLERR) on this file when the mount table has
    // changed since the file was last polled, and that poll re-arms it: nothing needs to
    // be read (a second poll without a read reports nothing, on Linux 6.1 as on 6.18).
    // Qt's Exception notifier polls for exactly POLLPRI.
    source->table = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (source->table < 0)
        return;
    source->notifier = std::make_unique<QSocketNotifier>(source->table, QSocketNotifier::Exception);
    connect(source->notifier.get(), &QSocketNotifier::activated, this, &MountTableWatcher::changed);
}

MountTableWatcher::~MountTableWatcher() = default;

bool MountTableWatcher::isWatching() const
{
    return source->notifier != nullptr;
}
