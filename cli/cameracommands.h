#pragma once

#include "cli/cliprinter.h"
#include "cli/commandline.h"
#include "station/arrivalupdates.h"
#include "station/updatestation.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

// list, update and watch: the station's cameras and runs, told on the command line.
class CameraCommands : public QObject
{
    Q_OBJECT
public:
    CameraCommands(const CliRequest &request, CliPrinter &printer);

    // Runs the command from the event loop; it ends with done().
    void start();
    // Ctrl-C (SIGINT) or SIGTERM: updates under way end as Stop ends them, and the
    // command ends.
    void stop(int signal);

signals:
    void done(int exitCode);

private:
    void lookOnce(const std::function<void()> &then);
    void list();
    void update();
    void watch();
    void follow(UpdateRun *run);
    void end(int exitCode);

    const CliRequest request;
    CliPrinter &printer;
    UpdateStation station;
    ArrivalUpdates arrivals{station};
    QVector<AttachedCamera> unreadable;
    int stoppedBy = 0; // the signal that ended the command
    bool anyFailed = false;
    bool ended = false;
};
