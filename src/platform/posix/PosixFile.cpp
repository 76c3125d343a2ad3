#include "platform/posix/PosixFile.h"

#include "platform/posix/MachineRoot.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvex::platform {

UniqueFd::~UniqueFd()
{
    if (fd_ >= 0) ::close(fd_);
}

std::string MachineHostPath(const std::string& path)
{
    if (path.empty()) return path; // names nothing, as on Windows: every call on it fails
    if (HasMachine() || IsDrivePath(path)) return ResolveMachinePath(path);
    std::string out = path;
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

std::string ReadHostPath(const std::string& path)
{
    if (HasMachine())
        if (std::optional<std::string> medium = MediumHostPath(path)) return *medium;
    return MachineHostPath(path);
}

unsigned WindowsErrorCode(int error, const std::string& hostPath)
{
    switch (error) {
    case ENOENT: {
        std::size_t slash = hostPath.find_last_of('/');
        if (slash == std::string::npos) return 2;
        struct stat st {};
        bool folder = ::stat(slash == 0 ? "/" : hostPath.substr(0, slash).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        return folder ? 2 : 3;
    }
    case ENOTDIR: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return 5;
    case EBUSY:
    case ETXTBSY: return 32;
    case ENOSPC: return 112;
    case ENAMETOOLONG: return 206;
    default: return 31;
    }
}

bool ReadHostFile(const std::string& hostPath, std::string& out)
{
    out.clear();
    // Regular files only: a FIFO would block the read, a device never end it.
    UniqueFd f(::open(hostPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (!f.Valid() || ::fstat(f.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(f.Get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            out.clear();
            return false;
        }
        if (n == 0) return true;
        out.append(buf, static_cast<std::size_t>(n));
    }
}

bool WriteFileReplacing(const std::string& hostPath, const std::string& bytes)
{
    const std::string temp = hostPath + ".tmp" + std::to_string(::getpid());
    {
        UniqueFd f(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
        if (!f.Valid()) return false;
        std::size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(f.Get(), bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                ::unlink(temp.c_str());
                return false;
            }
            done += static_cast<std::size_t>(n);
        }
        if (::fsync(f.Get()) != 0) {
            ::unlink(temp.c_str());
            return false;
        }
    }
    if (::rename(temp.c_str(), hostPath.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

} // namespace tarvex::platform
