#pragma once

#include "cli/commandline.h"

// history: the records of the updates made on this workstation, oldest first, as
// lines, JSON Lines or CSV. Returns the exit code.
int printHistory(const CliRequest &request);
