#include "guistallmeter.h"

#include <algorithm>

namespace {
constexpr int intervalMs = 10;
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
    longestLatenessNs = std::max(longestLatenessNs, now - lastTickNs - qint64(intervalMs) * 1000000);
    lastTickNs = now;
    ++tickCount;
}
