#include "platform/Files.h"

#include "base/Ascii.h"
#include "platform/posix/MachineRoot.h"
#include "platform/posix/PosixFile.h"

#include <algorithm>
#include <dirent.h>
#include <memory>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvex::platform {

namespace {

// A file without any write permission stands for the read-only attribute,
// which binds even an administrator (and our tests run as root).
bool ReadOnlyFile(const struct stat& st) { return S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0; }

} // namespace

bool MakeDirectory(const std::string& path)
{
    return ::mkdir(MachineHostPath(path).c_str(), 0777) == 0;
}

bool DirectoryExists(const std::string& path)
{
    struct stat st {};
    return ::stat(MachineHostPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(MachineHostPath(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool RemoveFile(const std::string& path)
{
    std::string host = MachineHostPath(path);
    struct stat st {};
    if (::stat(host.c_str(), &st) != 0 || S_ISDIR(st.st_mode) || ReadOnlyFile(st)) return false;
    return ::unlink(host.c_str()) == 0;
}

void CheckWritable(const std::string& path)
{
    std::string host = MachineHostPath(path);
    struct stat st {};
    if (::stat(host.c_str(), &st) != 0) return;
    if (S_ISDIR(st.st_mode) || ReadOnlyFile(st)) throw EInOutError(5);
    UniqueFd fd(::open(host.c_str(), O_WRONLY | O_CLOEXEC));
    if (!fd.Valid()) throw EInOutError(WindowsErrorCode(errno, host));
}

bool SameFile(const std::string& source, const std::string& dest)
{
    struct stat a {}, b {};
    return ::stat(ReadHostPath(source).c_str(), &a) == 0 && ::stat(MachineHostPath(dest).c_str(), &b) == 0 &&
           a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

void PutInPlace(const std::string& temp, const std::string& dest)
{
    std::string hostDest = MachineHostPath(dest);
    if (::rename(MachineHostPath(temp).c_str(), hostDest.c_str()) != 0) throw EInOutError(WindowsErrorCode(errno, hostDest));
}

void WriteWholeFile(const std::string& path, const std::string& bytes)
{
    std::string host = MachineHostPath(path);
    struct stat st {};
    if (::stat(host.c_str(), &st) == 0 && (S_ISDIR(st.st_mode) || ReadOnlyFile(st)))
        throw Exception(kCannotCreate + path);
    UniqueFd fd(::open(host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!fd.Valid()) throw Exception(kCannotCreate + path);
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd.Get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw EInOutError(WindowsErrorCode(n < 0 ? errno : ENOSPC, host));
        done += static_cast<std::size_t>(n);
    }
}

bool ReadWholeFile(const std::string& path, std::string& bytes) { return ReadHostFile(ReadHostPath(path), bytes); }

bool SetLastWriteTime(const std::string& path, const DosDateTime& local)
{
    struct tm t {};
    t.tm_year = ((local.date >> 9) & 0x7F) + 80;
    t.tm_mon = ((local.date >> 5) & 0x0F) - 1;
    t.tm_mday = local.date & 0x1F;
    t.tm_hour = (local.time >> 11) & 0x1F;
    t.tm_min = (local.time >> 5) & 0x3F;
    t.tm_sec = (local.time & 0x1F) * 2;
    t.tm_isdst = -1;
    time_t when = ::mktime(&t);
    if (when == static_cast<time_t>(-1)) return false;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT; // access time stays
    times[1].tv_sec = when;
    times[1].tv_nsec = 0;
    return ::utimensat(AT_FDCWD, MachineHostPath(path).c_str(), times, 0) == 0;
}

bool FileReadable(const std::string& path)
{
    std::string bytes;
    return ReadWholeFile(path, bytes);
}

JournalFile::JournalFile(const std::string& path)
    : handle_(::open(MachineHostPath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666))
{
    if (handle_ < 0) throw Exception(kCannotCreate + path);
}

JournalFile::~JournalFile() { ::close(static_cast<int>(handle_)); }

bool JournalFile::Write(const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(static_cast<int>(handle_), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool ReadFileBytes(const std::string& path, std::string& out) { return ReadWholeFile(path, out); }

bool RemoveEmptyDirectory(const std::string& path) { return ::rmdir(MachineHostPath(path).c_str()) == 0; }

std::vector<std::string> DirectoryEntries(const std::string& path, std::size_t max)
{
    std::vector<std::string> names;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(MachineHostPath(path).c_str()), &::closedir);
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return AsciiLowerCopy(a) < AsciiLowerCopy(b); });
    if (names.size() > max) names.resize(max);
    return names;
}

namespace {

// The simulated machine's open files: the Windows paths listed one a line in
// ROOT/locked-files.txt are held open by some program without sharing.
bool HeldOpen(const std::string& hostPath)
{
    if (!HasMachine()) return false;
    std::string text;
    if (!ReadHostFile(MachineStateFile(kLockedFilesName), text)) return false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = std::min(text.find('\n', pos), text.size());
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && ResolveMachinePath(line) == hostPath) return true;
    }
    return false;
}

} // namespace

DeleteOutcome DeleteFileReporting(const std::string& path)
{
    // A read-only file goes too (Windows clears the attribute first), and
    // unlink takes it whatever its permissions.
    const std::string host = MachineHostPath(path);
    if (host.empty()) return DeleteOutcome::Missing;
    if (HeldOpen(host)) return DeleteOutcome::InUse;
    if (::unlink(host.c_str()) == 0) return DeleteOutcome::Deleted;
    switch (errno) {
    case ENOENT: case ENOTDIR: return DeleteOutcome::Missing;
    case EBUSY: case ETXTBSY: return DeleteOutcome::InUse;
    default: return DeleteOutcome::Failed; // a directory among them
    }
}

bool DeleteAtRestart(const std::string& path)
{
    // The machine's list of deletions at its next start: Windows paths, one a line.
    if (!HasMachine() || path.empty()) return false;
    const std::string list = MachineStateFile(kRestartDeletesName);
    UniqueFd fd(::open(list.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666));
    const std::string line = path + "\r\n";
    return fd.Valid() && ::write(fd.Get(), line.data(), line.size()) == static_cast<ssize_t>(line.size());
}

} // namespace tarvex::platform
