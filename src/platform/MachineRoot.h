#pragma once
// The emulated machine of the portable backend lives in a host folder; the
// Windows build runs on a real machine and ignores the setting.
#include <string>

namespace tarvex::platform {

// Makes hostDir the machine root: hostDir/drive_c is C:\, and so on. The
// folder and its settings are created with defaults on first use. The empty
// text goes back to the default root ($TARVEX_ROOT, else a folder in the
// user's data directory).
void SetMachineRoot(const std::string& hostDir);

} // namespace tarvex::platform
