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
UniqueFd OpenSource(const std::string& source, struct stat& st)
{
    const std::string host = ReadHostPath(source);
    UniqueFd fd(::open(host.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valid()) {
        unsigned code = WindowsErrorCode(errno, host);
        throw LzError(LzError::Stage::OpenSource, code, source + ": " + IoErrorText(code));
    }
    if (::fstat(fd.Get(), &st) != 0 || S_ISDIR(st.st_mode))
        throw LzError(LzError::Stage::OpenSource, 5, source + ": " + IoErrorText(5));
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
    UniqueFd in = OpenSource(source, st);
    std::string destHost = MachineHostPath(dest);
    UniqueFd out(::open(destHost.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!out.Valid()) {
        unsigned code = WindowsErrorCode(errno, destHost);
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
    UniqueFd in = OpenSource(source, st);
    CountingSink counter;
    return Expand(source, in.Get(), counter);
}

} // namespace tarvex::platform
