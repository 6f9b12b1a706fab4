#pragma once

#include "cli/commandline.h"

// keys generate FILE | keys trust PUBFILE | keys list: the signing keys of fetched
// folders and the workstation's trust list. Returns the exit code.
int runKeysCommand(const CliRequest &request);
