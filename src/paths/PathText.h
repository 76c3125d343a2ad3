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

// The directory of the running setup program, ending with a backslash.
std::string ExeDirectory();

// The path with its extension (from the last dot after the last backslash
// or colon) replaced; appended when there is none.
std::string ChangeFileExt(const std::string& path, const std::string& extension);

// Shortens a path with more than three backslashes to its first two
// components, "...", and its last two.
std::string AbbreviatePath(const std::string& path);

} // namespace tarvex
