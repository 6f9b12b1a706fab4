#pragma once

#include <QObject>

#include <memory>

// Tells when volumes are mounted or unmounted, so that a card is looked for as soon as
// it is there rather than on the next pass. Linux: the kernel marks /proc/self/mountinfo
// with a priority event on every change of this process's mount table. Windows: a
// volume's arrival or removal, from the device manager.
//
// Lives in a thread with an event loop (the GUI thread); it only says that something
// changed, never what: the caller lists the volumes again.
class MountTableWatcher : public QObject
{
    Q_OBJECT
public:
    explicit MountTableWatcher(QObject *parent = nullptr);
    ~MountTableWatcher() override;

    // False where the system would not tell (no /proc): passes on a timer still find cards.
    bool isWatching() const;

signals:
    void changed();

private:
    struct Source;
    std::unique_ptr<Source> source;
};
