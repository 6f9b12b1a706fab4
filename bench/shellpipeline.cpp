#include "shellpipeline.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

namespace {
// "sync FILE" flushes that file the way the updater flushes its own; a bare "sync"
// would also wait for whatever the other users of this machine are writing.
const char *pipelineScript = R"sh(set -e
curl --silent --show-error --fail --cacert "$2" -o "$3" "$1"
echo "$4  $3" | sha256sum --check --quiet -
cp "$3" "$5"
sync "$5"
)sh";
}

TimedRun runTimedProgram(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    const bool finished = process.waitForFinished(-1);
    TimedRun run;
    run.seconds = double(clock.nsecsElapsed()) / 1e9;
    run.ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!run.ok)
        run.error = program + " failed: " + process.errorString() + " " + QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

TimedRun runTechnicianPipeline(const PipelineJob &job)
{
    QFile::remove(job.downloadPath);
    QFile::remove(job.destination);
    const TimedRun run = runTimedProgram(QStringLiteral("bash"),
                                         {"-c", QString::fromLatin1(pipelineScript), "pipeline", job.url, job.certificate,
                                          job.downloadPath, job.checksum.toLower(), job.destination});
    QFile::remove(job.downloadPath);
    return run;
}
