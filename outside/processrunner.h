#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "outside/stopflag.h"

#include <functional>

// How a run of an external program ended. Callers that only want the output take
// standardOutput; callers that must know whether the program did its job ask succeeded().
struct ProcessOutcome
{
    QByteArray standardOutput;
    bool started = false;
    bool finished = false; // ended on its own before the time limit
    bool crashed = false;
    bool outputCut = false; // wrote more than the bound allows
    int exitCode = -1;

    bool succeeded() const { return started && finished && !crashed && exitCode == 0; }
};

constexpr int processTimeoutMs = 30000;

// What a run may take. Another program's output is outside input: a camera can make
// `adb shell cat` print without end, so it is never kept whole.
struct ProcessLimits
{
    int timeoutMs = processTimeoutMs;
    qint64 maxOutputBytes = 64 * 1024;
    // A reader wants the head and ends the program once it has it; a watcher of a
    // long run (a push) lets it go on and keeps only the last maxOutputBytes.
    enum class Overflow { EndProgram, KeepLast } overflow = Overflow::EndProgram;
};

// Runs the program and waits for it at most limits.timeoutMs; a program still running
// then, or when stop is raised, is killed. Standard error is thrown away. Safe to call
// from any thread.
ProcessOutcome runProgram(const QString &program, const QStringList &arguments, const ProcessLimits &limits = {},
                          const StopFlag &stop = {});

// Runs a program that reports as things happen (`adb track-devices`) for as long as it
// runs: each piece of its output goes to take as it comes, and none is kept. Ends it
// when take refuses a piece (returns false: more than the reader bounds) or stop is
// raised; otherwise it runs until it ends on its own. Blocks; for a background thread.
ProcessOutcome followProgram(const QString &program, const QStringList &arguments,
                             const std::function<bool(const QByteArray &)> &take, const StopFlag &stop);
