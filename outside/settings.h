#pragma once

#include <QSettings>

#include <memory>

// This workstation's settings for the program, the window and the command line alike
// (the window's place, the slots' names, the modes chosen): the user's own, in the
// system's usual place for them.
std::unique_ptr<QSettings> workstationSettings();
