#pragma once
// Host file access for the portable backend.
#include <string>

namespace tarvex::platform {

// The host path for a path the program uses. Host paths pass unchanged
// except that backslashes separate directories too.
std::string HostPath(const std::string& path);

// Reads the whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& hostPath, std::string& out);

} // namespace tarvex::platform
