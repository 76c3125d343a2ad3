#pragma once
// The emulated machine of the portable backend lives in a host folder; the
// Windows build runs on a real machine and ignores the setting.
#include <string>

namespace tarvex::platform {

// Makes hostDir the machine root: hostDir/drive_c is C:\, and so on. The
// folder and its settings are created with defaults on first use. Everything
// the program writes, creates or deletes then lies inside it. The empty text
// leaves no machine: paths are then the host's own, for commands that work
// on host files, and asking anything of the machine is an error.
void SetMachineRoot(const std::string& hostDir);

// The installation medium, a host folder: the one place outside the machine
// root that the program reads (Setup.INI, texts, the files to install) where
// it lies. It is never written. The empty text: no medium.
void SetMediumFolder(const std::string& hostDir);

} // namespace tarvex::platform
