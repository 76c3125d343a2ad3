#include "platform/LzExpand.h"

#include "formats/SzddExpander.h"
#include "platform/Files.h"
#include "platform/posix/PosixFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvex::platform {

namespace {

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

bool ParentExists(const std::string& hostPath)
{
    std::size_t slash = hostPath.find_last_of('/');
    if (slash == std::string::npos) return true;
    struct stat st {};
    return ::stat(slash == 0 ? "/" : hostPath.substr(0, slash).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The Windows system error code a failed open of hostPath would give.
unsigned OpenErrorCode(int error, const std::string& hostPath)
{
    switch (error) {
    case ENOENT: return ParentExists(hostPath) ? 2u : 3u;
    case ENOTDIR:
    case ENAMETOOLONG: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return 5;
    case ETXTBSY: return 32;
    case ENOSPC: return 112;
    default: return 31;
    }
}

class FdSource : public ByteSource {
public:
    FdSource(int fd, const std::string& name) : fd_(fd), name_(name) {}
    std::size_t Read(unsigned char* buffer, std::size_t size) override
    {
        for (;;) {
            ssize_t n = ::read(fd_, buffer, size);
            if (n >= 0) return static_cast<std::size_t>(n);
            if (errno != EINTR) throw LzError(LzError::Stage::Expand, 0, "Unable to read " + name_);
        }
    }

private:
    int fd_;
    const std::string& name_;
};

class FdSink : public ByteSink {
public:
    FdSink(int fd, const std::string& name) : fd_(fd), name_(name) {}
    void Write(const unsigned char* data, std::size_t size) override
    {
        while (size > 0) {
            ssize_t n = ::write(fd_, data, size);
            if (n < 0) {
                if (errno == EINTR) continue;
                unsigned code = errno == ENOSPC ? 112u : 29u;
                throw LzError(LzError::Stage::Expand, code, "Unable to write " + name_);
            }
            data += n;
            size -= static_cast<std::size_t>(n);
        }
    }

private:
    int fd_;
    const std::string& name_;
};

// Nothing kept: only the number of bytes counted.
class CountingSink : public ByteSink {
public:
    void Write(const unsigned char*, std::size_t) override {}
};

// The source opened for reading, with its status; throws as opening fails.
int OpenSource(const std::string& source, struct stat& st)
{
    const std::string host = ReadHostPath(source);
    int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        unsigned code = OpenErrorCode(errno, host);
        throw LzError(LzError::Stage::OpenSource, code, source + ": " + IoErrorText(code));
    }
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        throw LzError(LzError::Stage::OpenSource, 5, source + ": " + IoErrorText(5));
    }
    return fd;
}

std::uint64_t Expand(const std::string& source, int in, ByteSink& out)
{
    FdSource reader(in, source);
    try {
        return ExpandSzdd(reader, out);
    } catch (const SzddError& e) {
        throw LzError(LzError::Stage::Expand, 0, "Unable to expand " + source + ": " + e.Message());
    }
}

} // namespace

void LzExpandFile(const std::string& source, const std::string& dest)
{
    struct stat st {};
    Fd in(OpenSource(source, st));
    std::string destHost = MachineHostPath(dest);
    Fd out(::open(destHost.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (out.Get() < 0) {
        unsigned code = OpenErrorCode(errno, destHost);
        throw LzError(LzError::Stage::CreateDest, code, dest + ": " + IoErrorText(code));
    }
    FdSink writer(out.Get(), dest);
    Expand(source, in.Get(), writer);
    // The library's copy carries the source's last-write time over.
    struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
    ::futimens(out.Get(), times);
}

std::uint64_t LzExpandedSize(const std::string& source)
{
    struct stat st {};
    Fd in(OpenSource(source, st));
    CountingSink counter;
    return Expand(source, in.Get(), counter);
}

} // namespace tarvex::platform
