#include "cli/terminal.h"

#include <QMetaObject>

#include <atomic>
#include <csignal>

#include <windows.h>

namespace {
std::atomic<ConsoleSignals *> receiver{nullptr};

BOOL WINAPI onConsoleEvent(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    // Ctrl-C is what SIGINT is elsewhere; a break or the console closing asks the program
    // to end, as SIGTERM does.
    const int signal = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
    // Called in a thread of the system's: the stop is posted to the receiver's.
    if (ConsoleSignals *console = receiver.load())
        QMetaObject::invokeMethod(
            console, [console, signal] { emit console->stopRequested(signal); }, Qt::QueuedConnection);
    return TRUE;
}
}

bool isInteractiveTerminal()
{
    // Live lines move the cursor with ANSI sequences, which not every Windows console
    // understands: a line per step there.
    return false;
}

std::optional<TerminalSize> terminalSize()
{
    CONSOLE_SCREEN_BUFFER_INFO console;
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &console))
        return std::nullopt;
    return TerminalSize{console.srWindow.Right - console.srWindow.Left + 1,
                        console.srWindow.Bottom - console.srWindow.Top + 1};
}

ConsoleSignals::ConsoleSignals(QObject *parent) : QObject(parent)
{
    receiver = this;
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

ConsoleSignals::~ConsoleSignals()
{
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    receiver = nullptr;
}
