#pragma once
// A file's time stamps as the MS-DOS date and time of local time, the form
// (and the two-second resolution) in which the installer compares and shows them.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tarvex::platform {

struct DosDateTime {
    std::uint16_t date = 0; // bits 15-9 years since 1980, 8-5 month, 4-0 day
    std::uint16_t time = 0; // bits 15-11 hours, 10-5 minutes, 4-0 seconds / 2
};

struct FileStamps {
    // Accessed, modified, created, in that order. An empty entry is a stamp
    // whose conversion failed (for example a year outside 1980-2107).
    std::array<std::optional<DosDateTime>, 3> stamps;
    enum Index { kAccessed = 0, kModified = 1, kCreated = 2 };
};

// The file's time stamps; nullopt when the file cannot be opened for
// attribute queries (missing, a folder, or held by another program
// without read sharing).
std::optional<FileStamps> ReadFileStamps(const std::string& path);

} // namespace tarvex::platform
