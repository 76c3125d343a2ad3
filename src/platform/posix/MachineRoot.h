#pragma once
// The emulated Windows machine inside a host folder ROOT: ROOT/drive_c is
// C:\, ROOT/machine.ini holds the machine's folders, ROOT/registry.reg its
// registry. Internal to the portable backend.
//
// Every path of the machine lies inside ROOT, whatever its text: a path
// without a drive is on the drive of the current directory, a relative path
// starts at the current directory (machine.ini's CurrentDirectory, C:\ by
// default), and ".." stops at the drive's root. The only host files outside
// ROOT that the program touches are those of the medium folder, and only to
// read them.
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tarvex::platform {

struct MachineSettings {
    std::string windowsDir;                  // C:\WINDOWS
    std::string programFilesDir;             // C:\Program Files
    std::string commonFilesDir;              // C:\Program Files\Common Files
    std::string currentDirectory;            // C:\; always a drive and its root
    std::map<int, std::string> shellFolders; // by shell folder identifier
    std::optional<double> freeSpace;         // fixed figure for every drive
};

// Whether a machine root is set. Without one there is no machine, and the
// program's paths are the host's own (the tool's commands on host files).
bool HasMachine();

// machine.ini as it stands now, defaults filling what it leaves out.
MachineSettings ReadMachineSettings();

// True for a path that starts with a drive letter and a colon.
bool IsDrivePath(std::string_view path);

// The host path of a drive path (C:\Program Files\x.exe): each component
// matched without regard to ASCII case against what exists, the rest kept
// as given. "." and ".." are resolved, empty components skipped.
std::string DriveHostPath(std::string_view path);

// The host path of any path of the machine, inside ROOT as above: each
// component matched without regard to ASCII case against what exists.
std::string ResolveMachinePath(std::string_view path);

// The host path of an absolute host path that lies in the medium folder
// (by its text, "." and ".." resolved), else none.
std::optional<std::string> MediumHostPath(std::string_view path);

// Files of the machine root the uninstaller's tests look at: the files some
// program holds open (Windows paths, one a line, written by tests), and the
// deletions scheduled for the machine's next start (written by the machine).
inline constexpr char kLockedFilesName[] = "locked-files.txt";
inline constexpr char kRestartDeletesName[] = "restart-deletes.txt";

// The store file of the registry.
std::string RegistryStorePath();

// The host path of one of the machine's own files in ROOT (kLockedFilesName...).
std::string MachineStateFile(std::string_view name);

} // namespace tarvex::platform
