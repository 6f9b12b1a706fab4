#pragma once

#include <QObject>

#include <optional>

// What the command line needs of the console it runs in, the operating system's way.

// Whether standard output is a terminal a person watches (live progress lines then).
bool isInteractiveTerminal();

struct TerminalSize
{
    int columns = 80;
    int rows = 24;
};

// The size of the terminal standard output shows on; nullopt when it is none, or does
// not tell.
std::optional<TerminalSize> terminalSize();

// Turns the signals the command line answers into Qt signals, delivered in the thread
// that made the object: Ctrl-C and SIGTERM (on Windows, the console's break and close)
// into stopRequested, with SIGINT or SIGTERM, and a change of the terminal's size
// (SIGWINCH) into resized. One object at a time.
class ConsoleSignals : public QObject
{
    Q_OBJECT
public:
    explicit ConsoleSignals(QObject *parent = nullptr);
    ~ConsoleSignals() override;

signals:
    void stopRequested(int signal);
    // Never on Windows, where no live lines are drawn.
    void resized();
};
