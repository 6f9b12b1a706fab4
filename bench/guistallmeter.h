#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

// Measures how late the GUI thread comes to a 10 ms timer: while anything keeps the
// thread from its event loop, the timer cannot fire, and the gap between two firings
// grows by the length of the stall. The kernel's account of the thread (schedstat)
// tells what the longest gap was made of: time on a CPU (work in the GUI thread), time
// runnable but waiting for a CPU (the machine busy), and the rest asleep or blocked.
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
    // "12 ticks; the longest, at 4.2 s: 3.1 ms on a CPU, 40.2 ms waiting for one"
    QString account() const;

private:
    void tick();

    QTimer timer;
    QElapsedTimer clock;
    qint64 lastTickNs = 0;
    qint64 longestLatenessNs = 0;
    int tickCount = 0;
    qint64 lastRunNs = 0, lastWaitNs = 0;
    qint64 longestRunNs = 0, longestWaitNs = 0; // of the gap with the longest stall
    qint64 longestAtNs = 0; // when it ended, from start()
};

// Runs the event loop as the program's own does, until done() holds (checked every
// 20 ms) or timeoutMs have passed; true when done. QTest::qWait would sleep 10 ms at a
// time between its rounds of events, which a measured stall would count as the
// program's.
bool runEventLoopUntil(const std::function<bool()> &done, int timeoutMs);
// The same for a fixed time, with no timer of its own in between.
void runEventLoopFor(int ms);
