#include "platform/StreamFiles.h"

#include "platform/posix/MachineRoot.h"
#include "platform/posix/PosixFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace tarvex::platform {

namespace {
// The Windows codes the extraction can meet.
unsigned SystemCode(int error)
{
    switch (error) {
    case ENOENT: return 2;
    case ENOTDIR: return 3;
    case ENOSPC: return 112;
    default: return 5;
    }
}
} // namespace

ReadableFile::ReadableFile(const std::string& path) : path_(path), handle_(-1)
{
    std::string host = ReadHostPath(path);
    handle_ = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
    if (handle_ < 0) throw EInOutError(SystemCode(errno), path);
    struct stat st {};
    if (::fstat(static_cast<int>(handle_), &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(static_cast<int>(handle_));
        throw EInOutError(5, path);
    }
    size_ = static_cast<std::uint64_t>(st.st_size);
}

ReadableFile::~ReadableFile() { ::close(static_cast<int>(handle_)); }

std::uint64_t ReadableFile::LastWrite() const
{
    struct stat st {};
    if (::fstat(static_cast<int>(handle_), &st) != 0) return 0;
    std::int64_t ticks = (static_cast<std::int64_t>(st.st_mtim.tv_sec) + 11644473600LL) * 10000000 +
                         st.st_mtim.tv_nsec / 100;
    return ticks > 0 ? static_cast<std::uint64_t>(ticks) : 0;
}

void ReadableFile::ReadAt(std::uint64_t offset, unsigned char* buffer, std::size_t size)
{
    while (size > 0) {
        ssize_t n = ::pread(static_cast<int>(handle_), buffer, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw EInOutError(SystemCode(errno), path_);
        if (n == 0) throw EInOutError(38, path_); // the end of the file
        buffer += n;
        offset += static_cast<std::uint64_t>(n);
        size -= static_cast<std::size_t>(n);
    }
}

NewFile::NewFile(const std::string& path) : path_(path), handle_(-1)
{
    std::string host = MachineHostPath(path);
    if (!host.empty()) handle_ = ::open(host.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (handle_ < 0) throw Exception(kCannotCreate + path);
}

NewFile::~NewFile() { ::close(static_cast<int>(handle_)); }

void NewFile::Write(const unsigned char* data, std::size_t size)
{
    while (size > 0) {
        ssize_t n = ::write(static_cast<int>(handle_), data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw EInOutError(SystemCode(n < 0 ? errno : ENOSPC), path_);
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

bool NewFile::SetLastWrite(std::uint64_t fileTime)
{
    constexpr std::int64_t kEpochTicks = 11644473600LL * 10000000;
    std::int64_t ticks = static_cast<std::int64_t>(fileTime) - kEpochTicks;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    // Floor division: a time before 1970 keeps its nanoseconds positive.
    std::int64_t seconds = ticks / 10000000, rest = ticks % 10000000;
    if (rest < 0) {
        --seconds;
        rest += 10000000;
    }
    times[1].tv_sec = static_cast<time_t>(seconds);
    times[1].tv_nsec = static_cast<long>(rest * 100);
    return ::futimens(static_cast<int>(handle_), times) == 0;
}

std::string TempPath()
{
    // The simulated machine's temporary folder lies under its Windows folder.
    std::string dir = ReadMachineSettings().windowsDir + "\\Temp";
    MakeDirectory(dir);
    return dir + "\\";
}

bool RemoveFolder(const std::string& path) { return ::rmdir(MachineHostPath(path).c_str()) == 0; }

std::uint32_t RunSeed()
{
    struct timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint32_t>(::getpid()) * 2654435761u ^ static_cast<std::uint32_t>(now.tv_nsec);
}

} // namespace tarvex::platform
