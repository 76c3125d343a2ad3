#include "platform/posix/PosixFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tarvex::platform {

namespace {
struct Fd {
    int fd;
    explicit Fd(int f) : fd(f) {}
    ~Fd() { if (fd >= 0) ::close(fd); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
};
} // namespace

std::string HostPath(const std::string& path)
{
    std::string out = path;
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

bool ReadWholeFile(const std::string& hostPath, std::string& out)
{
    out.clear();
    Fd f(::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC));
    if (f.fd < 0) return false;
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(f.fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            out.clear();
            return false;
        }
        if (n == 0) return true;
        out.append(buf, static_cast<std::size_t>(n));
    }
}

} // namespace tarvex::platform
