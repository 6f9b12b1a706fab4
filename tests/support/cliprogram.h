#pragma once
// The real vek-updater-cli (VEK_CLI), run as a station's script runs it.

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <functional>

constexpr int programMs = 60000; // generous, for the sanitizers; a fault fails in that time

struct CliRun
{
    int exitCode = -2; // -2: it crashed, or had not ended after programMs
    QByteArray out, err;
    // Standard output as --json writes it: an object a line.
    QList<QJsonObject> lines() const
    {
        QList<QJsonObject> objects;
        for (const QByteArray &line : out.split('\n'))
            if (!line.isEmpty())
                objects << QJsonDocument::fromJson(line).object();
        return objects;
    }
};

// Runs the program to its end; `meanwhile` has it while it runs.
inline CliRun runCli(const QStringList &arguments, const std::function<void(QProcess &)> &meanwhile = {},
                     const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess cli;
    cli.setProcessEnvironment(environment);
    cli.start(VEK_CLI, arguments);
    if (meanwhile)
        meanwhile(cli);
    CliRun run;
    if (cli.waitForFinished(programMs) && cli.exitStatus() == QProcess::NormalExit)
        run.exitCode = cli.exitCode();
    run.out = cli.readAllStandardOutput();
    run.err = cli.readAllStandardError();
    return run;
}
