#include "cli/terminal.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// A signal handler may do almost nothing: it writes the signal's number, as a byte, to a
// socket that the event loop reads.
int signalPipe[2] = {-1, -1};
constexpr int answered[] = {SIGINT, SIGTERM, SIGWINCH};

void onSignal(int signal)
{
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}
}

bool isInteractiveTerminal()
{
    return ::isatty(STDOUT_FILENO) == 1;
}

std::optional<TerminalSize> terminalSize()
{
    struct winsize size = {};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0 || size.ws_row == 0)
        return std::nullopt;
    return TerminalSize{size.ws_col, size.ws_row};
}

ConsoleSignals::ConsoleSignals(QObject *parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        if (::read(signalPipe[0], &byte, 1) != 1)
            return;
        if (byte == SIGWINCH)
            emit resized();
        else
            emit stopRequested(byte);
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : answered)
        sigaction(signal, &action, nullptr);
}

ConsoleSignals::~ConsoleSignals()
{
    for (const int signal : answered)
        std::signal(signal, SIG_DFL);
}
