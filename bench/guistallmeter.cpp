#include "guistallmeter.h"

#include <QEventLoop>

#include <algorithm>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr int intervalMs = 10;

// The GUI thread's time on a CPU and waiting for one, in ns, as the kernel counts them;
// read from a file opened once, so that the meter itself costs next to nothing.
void schedulerAccount(qint64 *runNs, qint64 *waitNs)
{
    static const int file = ::open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC);
    char text[128] = {};
    if (file < 0 || ::pread(file, text, sizeof text - 1, 0) <= 0 || sscanf(text, "%lld %lld", runNs, waitNs) != 2)
        *runNs = *waitNs = 0;
}
}

GuiStallMeter::GuiStallMeter()
{
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(intervalMs);
    connect(&timer, &QTimer::timeout, this, &GuiStallMeter::tick);
}

void GuiStallMeter::start()
{
    longestLatenessNs = 0;
    tickCount = 0;
    longestRunNs = longestWaitNs = longestAtNs = 0;
    schedulerAccount(&lastRunNs, &lastWaitNs);
    clock.start();
    lastTickNs = 0;
    timer.start();
}

void GuiStallMeter::stop()
{
    timer.stop();
    // A stall still going on when the measurement ends counts too.
    tick();
}

void GuiStallMeter::tick()
{
    const qint64 now = clock.nsecsElapsed();
    qint64 runNs = 0, waitNs = 0;
    schedulerAccount(&runNs, &waitNs);
    const qint64 lateness = now - lastTickNs - qint64(intervalMs) * 1000000;
    if (lateness > longestLatenessNs) {
        longestLatenessNs = lateness;
        longestRunNs = runNs - lastRunNs;
        longestWaitNs = waitNs - lastWaitNs;
        longestAtNs = now;
    }
    lastTickNs = now;
    lastRunNs = runNs;
    lastWaitNs = waitNs;
    ++tickCount;
}

QString GuiStallMeter::account() const
{
    return QStringLiteral("%1 ticks; the longest, at %4 s: %2 ms on a CPU, %3 ms waiting for one")
            .arg(tickCount)
            .arg(double(longestRunNs) / 1e6, 0, 'f', 1)
            .arg(double(longestWaitNs) / 1e6, 0, 'f', 1)
            .arg(double(longestAtNs) / 1e9, 0, 'f', 1);
}

bool runEventLoopUntil(const std::function<bool()> &done, int timeoutMs)
{
    QEventLoop loop;
    QTimer check, timeout;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    timeout.setTimerType(Qt::PreciseTimer);
    check.start(20);
    timeout.start(timeoutMs);
    if (!done())
        loop.exec();
    return done();
}

void runEventLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}
