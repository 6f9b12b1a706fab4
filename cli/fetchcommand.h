#pragma once

#include "cli/cliprinter.h"
#include "cli/commandline.h"
#include "station/folderfill.h"

#include <QObject>

// fetch DIR [MODEL...] [--sign KEYFILE]: a folder for benches without internet (see
// FolderFill), told on the command line: a line per image, and the exit status.
class FetchCommand : public QObject
{
    Q_OBJECT
public:
    FetchCommand(const CliRequest &request, CliPrinter &printer);

    void start();
    void stop(int signal);

signals:
    void done(int exitCode);

private:
    void fill();
    void imageFinished(const QString &name, const CatalogueEntry &entry, const UpdateOutcome &outcome);
    void end(int exitCode);

    const CliRequest request;
    CliPrinter &printer;
    FolderFill folder;
    int stoppedBy = 0;
    bool anyFailed = false;
    bool ended = false;
};
