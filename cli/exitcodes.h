#pragma once

// What vek-updater-cli's exit status tells a script.
namespace ExitCode {
enum : int {
    Done = 0,             // every camera asked for is updated or already up to date
    Failed = 1,           // at least one update failed
    NothingToDo = 2,      // no camera attached, or none matches the ids given
    NoCatalogue = 3,      // the catalogue could not be loaded or read
    Usage = 64,           // the command line is wrong
};
}
