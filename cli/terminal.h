#pragma once

#include <QObject>

// What the command line needs of the console it runs in, the operating system's way.

// Whether standard output is a terminal a person watches (live progress lines then).
bool isInteractiveTerminal();

// Turns Ctrl-C and SIGTERM (on Windows, the console's break and close) into the
// `requested` signal, delivered in the thread that made the object.
class StopSignals : public QObject
{
    Q_OBJECT
public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;

signals:
    // The signal's number: SIGINT for Ctrl-C, SIGTERM (on Windows, the console's close).
    void requested(int signal);
};
