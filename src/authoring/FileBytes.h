#pragma once
// Whole files as bytes, for the authoring tools (which work on media the
// size of a product, never on a machine being installed).
#include <string>

namespace tarvex {

// The file's bytes; throws Exception "Cannot read file <path>".
std::string ReadFileBytes(const std::string& path);

// Why path cannot be read as a file, told before anything opens it (a FIFO
// would block the open): empty for a regular file that opens, else "file
// not found", "path not found", "is a folder", "not a regular file" or
// "cannot be opened".
std::string FileReadProblem(const std::string& path);

// The last component of a path written with either separator.
std::string BaseName(const std::string& path);

} // namespace tarvex
