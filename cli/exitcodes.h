#pragma once

#include "cli/commandline.h"

#include <csignal>

// What vek-updater-cli's exit status tells a script.
namespace ExitCode {
enum : int {
    Done = 0,             // every camera asked for is updated or already up to date
    Failed = 1,           // at least one update failed, or was not done
    NothingToDo = 2,      // no camera attached, or none matches the ids given
    NoCatalogue = 3,      // the catalogue could not be loaded or read
    Usage = 64,           // the command line is wrong
};

// A command ended by a signal: update and fetch end as shells expect of an interrupted
// program (128 + the signal: 130 for Ctrl-C, 143 for SIGTERM); watch, which only a
// signal ends, tells whether every update it made succeeded.
inline int afterSignal(CliRequest::Command command, int signal, bool anyFailed)
{
    if (command == CliRequest::Command::Watch)
        return anyFailed ? Failed : Done;
    return 128 + signal;
}
}
