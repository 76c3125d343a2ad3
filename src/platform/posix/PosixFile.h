#pragma once
// Host file access for the portable backend.
#include <string>

namespace tarvex::platform {

// A file descriptor, closed when its owner goes. Every descriptor the
// backend opens is held by one.
class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    ~UniqueFd();
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    UniqueFd& operator=(UniqueFd&&) = delete;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    bool Valid() const { return fd_ >= 0; }
    int Get() const { return fd_; }

private:
    int fd_;
};

// The Windows system error code that a call failing on hostPath with errno
// error would have given: 2 file not found (3 when its folder is missing
// too), 3 path not found, 4 too many open files, 5 access denied, 32 in use
// (sharing violation), 112 disk full, 206 name too long; 31 for the rest.
unsigned WindowsErrorCode(int error, const std::string& hostPath);

// The host path for a path the program writes, creates, deletes, sets the
// time of, runs or tests for existence: always inside the machine root (see
// MachineRoot.h). Without a machine, the host path itself, backslashes
// separating directories too; a drive path is then an error. The empty path
// stays empty, which every file operation refuses.
std::string MachineHostPath(const std::string& path);

// The host path for a path the program reads a file's bytes or times from:
// a file of the medium folder where it lies, anything else as
// MachineHostPath gives it.
std::string ReadHostPath(const std::string& path);

// Reads the whole host file; false when it cannot be opened or read, or is
// not a regular file. What platform::ReadWholeFile reads through.
bool ReadHostFile(const std::string& hostPath, std::string& out);

// Replaces the file with bytes through a temporary file beside it, so that
// the file is always whole; false when it cannot be done.
bool WriteFileReplacing(const std::string& hostPath, const std::string& bytes);

} // namespace tarvex::platform
