#pragma once
// Host file access for the portable backend.
#include <string>

namespace tarvex::platform {

// A file descriptor, closed when its owner goes.
class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    ~UniqueFd();
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    bool Valid() const { return fd_ >= 0; }
    int Get() const { return fd_; }

private:
    int fd_;
};

// The host path for a path the program uses. A drive path (C:\Program
// Files\x.exe) lies under the machine root, its components matched without
// regard to case; other paths pass unchanged except that backslashes
// separate directories too.
std::string HostPath(const std::string& path);

// Reads the whole file; false when it cannot be opened or read, or is not
// a regular file.
bool ReadWholeFile(const std::string& hostPath, std::string& out);

// Replaces the file with bytes through a temporary file beside it, so that
// the file is always whole; false when it cannot be done.
bool WriteFileReplacing(const std::string& hostPath, const std::string& bytes);

} // namespace tarvex::platform
