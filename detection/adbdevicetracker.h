#pragma once

#include "detection/adbanswers.h"
#include "outside/background.h"
#include "outside/stopflag.h"

#include <QObject>
#include <QVector>

// Follows adb's list of devices as it changes, through one long-running
// `adb track-devices -l`, so that a camera plugged in is read at once and no adb
// process is started while nothing changes. It runs in a background thread of its own
// and tells the thread that made it (the GUI thread) each new list.
//
// When the stream ends (the adb server was restarted or killed) the command starts
// again after a short pause. An adb that is not there, or refuses the command, ends it
// before its first list: the pause then grows, and the owner is meanwhile to list
// devices itself (tracking() is false).
class AdbDeviceTracker : public QObject
{
    Q_OBJECT
public:
    // Starts once serverStarted is fulfilled (or has had a process's time limit), so
    // that it does not race the server's start.
    explicit AdbDeviceTracker(Pending<bool> serverStarted);
    // Ends the command; waits at most waitMs for it to be gone.
    void stop(int waitMs);
    ~AdbDeviceTracker() override;

    // Whether the last list is current: the command is running and has listed. False
    // from the end of its stream until the next list.
    bool tracking() const { return isTracking; }

signals:
    // The ready devices, whenever the list changes; the first list makes tracking() true.
    void listed(const QVector<AdbDevice> &devices);

private:
    void take(const QVector<AdbDevice> &devices);

    bool isTracking = false;
    StopFlag stopFlag;
    Pending<bool> ended;
    Mailbox mailbox{this};
};
