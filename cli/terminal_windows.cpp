#include "cli/terminal.h"

#include <QMetaObject>

#include <atomic>
#include <csignal>

#include <windows.h>

namespace {
std::atomic<StopSignals *> receiver{nullptr};

BOOL WINAPI onConsoleEvent(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    // Called in a thread of the system's: the stop is posted to the receiver's.
    // Ctrl-C is SIGINT's, the rest SIGTERM's, as on the other systems.
    const int signal = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
    if (StopSignals *stop = receiver.load())
        QMetaObject::invokeMethod(stop, [stop, signal] { emit stop->requested(signal); }, Qt::QueuedConnection);
    return TRUE;
}
}

bool isInteractiveTerminal()
{
    // Live lines move the cursor with ANSI sequences, which not every Windows console
    // understands: a line per step there.
    return false;
}

StopSignals::StopSignals(QObject *parent) : QObject(parent)
{
    receiver = this;
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

StopSignals::~StopSignals()
{
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    receiver = nullptr;
}
