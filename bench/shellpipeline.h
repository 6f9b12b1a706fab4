#pragma once

#include <QString>

// What a technician could script instead of the updater: download with curl, check the
// digest with sha256sum, copy to the card, sync.
struct PipelineJob
{
    QString url;
    QString checksum; // 64 hex digits
    QString downloadPath;
    QString destination;
    QString certificate; // the loopback server's, for curl
};

struct TimedRun
{
    bool ok = false;
    double seconds = 0;
    QString error;
};

TimedRun runTechnicianPipeline(const PipelineJob &job);
// Runs a program and times it from start to exit.
TimedRun runTimedProgram(const QString &program, const QStringList &arguments);
