#pragma once

#include "cli/cliprinter.h"
#include "cli/commandline.h"
#include "station/updatestation.h"

#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

// list, update and watch: the station's cameras and updates, told on the command line.
class CameraCommands : public QObject
{
    Q_OBJECT
public:
    CameraCommands(const CliRequest &request, CliPrinter &printer);

    // Runs the command from the event loop; it ends with done().
    void start();
    // Ctrl-C or SIGTERM: updates under way end as Stop ends them, and the command ends.
    void stop();

signals:
    void done(int exitCode);

private:
    void onePass(const std::function<void()> &then);
    void list();
    void update();
    void watch();
    void takeResult(const AttachedCamera &camera, const UpdateResult &result);
    void finishWhenIdle();
    void end(int exitCode);

    const CliRequest request;
    CliPrinter &printer;
    UpdateStation station;
    QVector<AttachedCamera> unreadable;
    QHash<int, AttachedCamera> updating; // by index in the update queue
    QTimer pollTimer;
    bool stopping = false;
    bool anyFailed = false;
    bool ended = false;
};
