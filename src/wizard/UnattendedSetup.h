#pragma once
// setup.exe's silent and passive modes: the installation through the same
// code as `tarvex install`, told through the exit code and the log.
#include "wizard/SetupSwitches.h"

#include <string>

namespace tarvex {

// Installs from the Setup.INI in setupDirectory (ending with a backslash)
// as the switches say; commandLine goes into the log. Returns the exit
// code: a TUnattendedResult (2 also when the log cannot be created).
int RunUnattendedSetup(const TSetupSwitches& switches, const std::string& setupDirectory,
                       const std::string& commandLine);

} // namespace tarvex
