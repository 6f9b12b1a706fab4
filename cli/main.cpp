#include "cli/cameracommands.h"
#include "cli/cliprinter.h"
#include "cli/commandline.h"
#include "cli/historycommand.h"
#include "cli/terminal.h"
#include "outside/programidentity.h"

#include <QCoreApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    setProgramIdentity();
    int exitCode = 0;
    const std::optional<CliRequest> request = parseCommandLine(application.arguments(), &exitCode);
    if (!request)
        return exitCode;
    if (request->command == CliRequest::Command::History)
        return printHistory(*request);

    CliPrinter printer(request->json, isInteractiveTerminal());
    CameraCommands command(*request, printer);
    StopSignals stopSignals;
    QObject::connect(&stopSignals, &StopSignals::requested, &command, &CameraCommands::stop);
    QObject::connect(&command, &CameraCommands::done, &application, &QCoreApplication::exit, Qt::QueuedConnection);
    QTimer::singleShot(0, &command, &CameraCommands::start);
    return application.exec();
}
