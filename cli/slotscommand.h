#pragma once

#include "cli/commandline.h"

// slots [--json], slots name PORTPATH NAME: the names of this workstation's USB slots,
// listed or given. Returns the exit code.
int runSlotsCommand(const CliRequest &request);
