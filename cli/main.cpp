#include "cli/cameracommands.h"
#include "cli/cliprinter.h"
#include "cli/commandline.h"
#include "cli/fetchcommand.h"
#include "cli/historycommand.h"
#include "cli/slotscommand.h"
#include "cli/keyscommand.h"
#include "cli/terminal.h"
#include "outside/cryptolibrary.h"
#include "outside/programidentity.h"
#include "outside/programtranslations.h"

#include <QCoreApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    keepCryptoLibraryForTheProcess();
    QCoreApplication application(argc, argv);
    setProgramIdentity();
    installProgramTranslations(application);
    CliPrinter::noteQtMessages();
    int exitCode = 0;
    const std::optional<CliRequest> request = parseCommandLine(application.arguments(), &exitCode);
    if (!request)
        return exitCode;
    if (request->command == CliRequest::Command::History)
        return printHistory(*request);
    if (request->command == CliRequest::Command::Keys)
        return runKeysCommand(*request);
    if (request->command == CliRequest::Command::Slots)
        return runSlotsCommand(*request);

    CliPrinter printer(request->json, isInteractiveTerminal(), DownloadLimits().idleTimeoutMs);
    ConsoleSignals console;
    QObject::connect(&console, &ConsoleSignals::resized, &application, [&printer] { printer.terminalResized(); });
    const auto run = [&](auto &command) {
        using Command = std::decay_t<decltype(command)>;
        QObject::connect(&console, &ConsoleSignals::stopRequested, &command, &Command::stop);
        QObject::connect(&command, &Command::done, &application, &QCoreApplication::exit, Qt::QueuedConnection);
        QTimer::singleShot(0, &command, &Command::start);
        return application.exec();
    };
    if (request->command == CliRequest::Command::Fetch) {
        FetchCommand fetch(*request, printer);
        return run(fetch);
    }
    CameraCommands cameras(*request, printer);
    return run(cameras);
}
