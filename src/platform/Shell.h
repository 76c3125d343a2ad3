#pragma once
// What the shell and kernel tell us about the machine: the Windows directory,
// special folders, free disk space, and starting programs.
#include <string>

namespace tarvex::platform {

// The Windows directory as the system reports it (C:\WINDOWS), empty when
// it cannot be read.
std::string WindowsDirectory();

// The system directory (C:\WINDOWS\SYSTEM), empty when it cannot be read;
// the simulated machine keeps it below its Windows directory.
std::string SystemDirectory();

// The file-system path of a shell special folder (a CSIDL value), or the
// empty text when the folder has none or the identifier is negative.
std::string SpecialFolderPath(int folderId);

// Free bytes on the drive whose root directory is given (C:\), or -1.
double DiskFreeBytes(const std::string& rootDirectory);

// Starts the command line as a new process and returns at once; a failure
// to start is ignored.
void StartProgram(const std::string& commandLine, int showCommand);

// Asks the shell to open a document, folder, web or mail address with its
// associated program, owned by the desktop and shown normally; a failure is
// ignored.
void OpenDocument(const std::string& target);

} // namespace tarvex::platform

// <windows.h> keeps a 16-bit leftover macro of this name that always gives
// 1 MiB; where both are seen, ours is meant.
#ifdef GetFreeSpace
#undef GetFreeSpace
#endif

namespace tarvex {

// The show command the wizard starts the installed program with.
inline constexpr int kShowNormal = 1; // SW_SHOWNORMAL

// Free bytes on the drive with this root directory (C:\), or -1.
inline double GetFreeSpace(const std::string& rootDirectory) { return platform::DiskFreeBytes(rootDirectory); }

// Starts the program and returns at once; a failure to start is ignored.
// A command line of any length is passed whole.
inline void RunProgram(const std::string& commandLine, int showCommand)
{
    platform::StartProgram(commandLine, showCommand);
}

} // namespace tarvex
