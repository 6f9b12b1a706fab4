#include "outside/processrunner.h"

#include <QDeadlineTimer>
#include <QProcess>

namespace {
// How often the wait looks at the clock while the program is silent.
constexpr int sliceMs = 100;

// Takes what the program wrote since the last look; false once the bound makes the
// program end.
bool takeOutput(QProcess &process, const ProcessLimits &limits, ProcessOutcome &outcome)
{
    outcome.standardOutput += process.readAllStandardOutput();
    if (outcome.standardOutput.size() <= limits.maxOutputBytes)
        return true;
    outcome.outputCut = true;
    if (limits.overflow == ProcessLimits::Overflow::KeepLast) {
        outcome.standardOutput = outcome.standardOutput.right(int(limits.maxOutputBytes));
        return true;
    }
    outcome.standardOutput.truncate(int(limits.maxOutputBytes));
    return false;
}

bool startProgram(QProcess &process, const QString &program, const QStringList &arguments, int timeoutMs)
{
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments, QIODevice::ReadWrite);
    if (!process.waitForStarted(timeoutMs))
        return false;
    // Nothing is ever typed into these programs; an open pipe could keep one waiting.
    process.closeWriteChannel();
    return true;
}

void endProgram(QProcess &process)
{
    // Asked first, so that a program cut short (a push) can clean up after itself.
    process.terminate();
    if (!process.waitForFinished(1000)) {
        process.kill();
        process.waitForFinished(1000);
    }
}
}

ProcessOutcome runProgram(const QString &program, const QStringList &arguments, const ProcessLimits &limits,
                          const StopFlag &stop)
{
    ProcessOutcome outcome;
    if (stop.isRaised())
        return outcome;
    QProcess process;
    const QDeadlineTimer deadline(limits.timeoutMs);
    outcome.started = startProgram(process, program, arguments, int(qMax<qint64>(deadline.remainingTime(), 0)));
    if (!outcome.started)
        return outcome;
    // Read as it comes rather than at the end: QProcess would otherwise keep all of it.
    bool withinBound = true;
    while (withinBound && process.state() == QProcess::Running && !deadline.hasExpired() && !stop.isRaised()) {
        process.waitForReadyRead(int(qMin<qint64>(sliceMs, qMax<qint64>(deadline.remainingTime(), 1))));
        withinBound = takeOutput(process, limits, outcome);
    }
    if (withinBound && process.state() != QProcess::Running) {
        withinBound = takeOutput(process, limits, outcome);
        outcome.finished = withinBound;
    }
    if (outcome.finished) {
        outcome.crashed = process.exitStatus() == QProcess::CrashExit;
        outcome.exitCode = process.exitCode();
    }
    endProgram(process);
    return outcome;
}

ProcessOutcome followProgram(const QString &program, const QStringList &arguments,
                             const std::function<bool(const QByteArray &)> &take, const StopFlag &stop)
{
    ProcessOutcome outcome;
    if (stop.isRaised())
        return outcome;
    QProcess process;
    outcome.started = startProgram(process, program, arguments, processTimeoutMs);
    if (!outcome.started)
        return outcome;
    bool taken = true;
    while (taken && process.state() == QProcess::Running && !stop.isRaised()) {
        process.waitForReadyRead(sliceMs);
        taken = take(process.readAllStandardOutput());
    }
    if (taken && process.state() != QProcess::Running) {
        taken = take(process.readAllStandardOutput());
        outcome.finished = taken;
        outcome.crashed = process.exitStatus() == QProcess::CrashExit;
        outcome.exitCode = process.exitCode();
    }
    outcome.outputCut = !taken;
    endProgram(process);
    return outcome;
}
