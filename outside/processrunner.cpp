#include "outside/processrunner.h"

#include <QProcess>

ProcessOutcome runProgram(const QString &program, const QStringList &arguments, int timeoutMs)
{
    ProcessOutcome outcome;
    QProcess process;
    process.start(program, arguments, QIODevice::ReadWrite);
    outcome.started = process.waitForStarted(timeoutMs);
    if (outcome.started) {
        // Nothing is ever typed into these programs; an open pipe could keep one waiting.
        process.closeWriteChannel();
        outcome.finished = process.waitForFinished(timeoutMs);
    }
    outcome.standardOutput = process.readAllStandardOutput();
    if (outcome.finished) {
        outcome.crashed = process.exitStatus() == QProcess::CrashExit;
        outcome.exitCode = process.exitCode();
    }
    process.close();
    return outcome;
}
