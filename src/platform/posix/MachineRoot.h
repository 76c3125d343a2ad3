#pragma once
// The emulated Windows machine inside a host folder ROOT: ROOT/drive_c is
// C:\, ROOT/machine.ini holds the machine's folders, ROOT/registry.reg its
// registry. Internal to the portable backend.
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tarvex::platform {

struct MachineSettings {
    std::string windowsDir;      // C:\WINDOWS
    std::string programFilesDir; // C:\Program Files
    std::string commonFilesDir;  // C:\Program Files\Common Files
    std::map<int, std::string> shellFolders; // by shell folder identifier
    std::optional<double> freeSpace;         // fixed figure for every drive
};

// The host folder of the machine, created with its defaults when missing.
std::string MachineRootDir();

// machine.ini as it stands now, defaults filling what it leaves out.
MachineSettings ReadMachineSettings();

// True for a path that starts with a drive letter and a colon.
bool IsDrivePath(std::string_view path);

// The host path of a drive path (C:\Program Files\x.exe): each component
// matched without regard to ASCII case against what exists, the rest kept
// as given. "." and ".." are resolved, empty components skipped.
std::string DriveHostPath(std::string_view path);

// The store file of the registry.
std::string RegistryStorePath();

} // namespace tarvex::platform
