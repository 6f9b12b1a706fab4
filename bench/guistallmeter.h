#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// Measures how late the GUI thread comes to a 10 ms timer: while anything keeps the
// thread from its event loop, the timer cannot fire, and the gap between two firings
// grows by the length of the stall.
class GuiStallMeter : public QObject
{
    Q_OBJECT
public:
    GuiStallMeter();

    void start();
    void stop();
    // The largest lateness seen since start(), in milliseconds.
    double longestStallMs() const { return double(longestLatenessNs) / 1e6; }
    int ticks() const { return tickCount; }

private:
    void tick();

    QTimer timer;
    QElapsedTimer clock;
    qint64 lastTickNs = 0;
    qint64 longestLatenessNs = 0;
    int tickCount = 0;
};
