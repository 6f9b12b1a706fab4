#include "detection/adbdevicetracker.h"

#include "detection/adbscanner.h"
#include "outside/processrunner.h"

#include <QThread>

#include <algorithm>

namespace {
// After a stream that listed, the server is most likely back at once.
constexpr int restartPauseMs = 500;
// A command that lists nothing at all (no adb, an adb without track-devices) or writes
// what cannot be read is tried again less and less often, up to once a minute.
constexpr int longestPauseMs = 60000;
constexpr int pauseSliceMs = 100;

void pause(int ms, const StopFlag &stop)
{
    for (int waited = 0; waited < ms && !stop.isRaised(); waited += pauseSliceMs)
        QThread::msleep(pauseSliceMs);
}
}

AdbDeviceTracker::AdbDeviceTracker(Pending<bool> serverStarted)
{
    runInBackground([reply = mailbox.address(), stop = stopFlag, ended = ended, serverStarted, this] {
        serverStarted.waitFor(processTimeoutMs);
        int pauseMs = restartPauseMs;
        while (!stop.isRaised()) {
            bool listedAny = false, unreadable = false;
            QByteArray stream;
            followProgram(adbProgram, {QStringLiteral("track-devices"), QStringLiteral("-l")},
                          [&](const QByteArray &bytes) {
                              stream += bytes;
                              while (const std::optional<QByteArray> message = takeTrackedMessage(stream, &unreadable)) {
                                  listedAny = true;
                                  reply.post([this, devices = readyDevices(*message)] { take(devices); });
                              }
                              return !unreadable;
                          },
                          stop);
            reply.post([this] { isTracking = false; });
            pauseMs = listedAny && !unreadable ? restartPauseMs : std::min(2 * pauseMs, longestPauseMs);
            pause(pauseMs, stop);
        }
        ended.fulfil(true);
    });
}

AdbDeviceTracker::~AdbDeviceTracker()
{
    stop(0);
}

void AdbDeviceTracker::stop(int waitMs)
{
    stopFlag.raise();
    ended.waitFor(waitMs);
}

void AdbDeviceTracker::take(const QVector<AdbDevice> &devices)
{
    isTracking = true;
    emit listed(devices);
}
