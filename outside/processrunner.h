#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// How a run of an external program ended. Callers that only want the output take
// standardOutput; callers that must know whether the program did its job ask succeeded().
struct ProcessOutcome
{
    QByteArray standardOutput;
    bool started = false;
    bool finished = false; // ended on its own before the time limit
    bool crashed = false;
    int exitCode = -1;

    bool succeeded() const { return started && finished && !crashed && exitCode == 0; }
};

constexpr int processTimeoutMs = 30000;

// Runs the program and waits for it at most timeoutMs; a program still running then is
// killed. Standard error is not read. Safe to call from any thread.
ProcessOutcome runProgram(const QString &program, const QStringList &arguments, int timeoutMs = processTimeoutMs);
