#pragma once
// Pure text operations on Windows paths.
#include <string>
#include <string_view>

namespace tarvex {

// Every run of two or more backslashes becomes one.
std::string RemoveDoubleBackslashes(std::string_view text);

// The directory part of a path: up to and including its last backslash or colon.
std::string ExtractFilePath(std::string_view path);

// The file-name part of a path: the text after its last backslash or colon.
std::string ExtractFileName(std::string_view path);

// Whether a path meant relative to a folder leads out of it: it names a
// drive, or its ".." components climb above where it starts. A component of
// dots and blanks only is taken as "..", as Windows drops trailing dots and
// blanks.
bool LeavesFolder(std::string_view relative);

// The directory of the running setup program, ending with a backslash.
std::string ExeDirectory();

// The path with its extension (from the last dot after the last backslash
// or colon) replaced; appended when there is none.
std::string ChangeFileExt(const std::string& path, const std::string& extension);

// Shortens a path with more than three backslashes to its first two
// components, "...", and its last two.
std::string AbbreviatePath(const std::string& path);

// The first component of path that Windows cannot hold as a file or folder
// name: a device name (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, in
// any case and with any extension) or a name ending in a dot or a blank,
// which Windows drops. Empty when there is none; "." and ".." pass.
std::string UnholdableName(std::string_view path);

} // namespace tarvex
