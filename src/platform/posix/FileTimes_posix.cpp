#include "platform/FileTimes.h"

#include "platform/posix/PosixFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

namespace tarvex::platform {

namespace {

std::optional<DosDateTime> ToDos(const struct statx_timestamp& stamp)
{
    time_t seconds = static_cast<time_t>(stamp.tv_sec);
    struct tm local {};
    if (!localtime_r(&seconds, &local)) return std::nullopt;
    int year = local.tm_year + 1900;
    if (year < 1980 || year > 2107) return std::nullopt;
    DosDateTime dos;
    dos.date = static_cast<std::uint16_t>((year - 1980) << 9 | (local.tm_mon + 1) << 5 | local.tm_mday);
    int second = local.tm_sec > 59 ? 59 : local.tm_sec; // a leap second
    dos.time = static_cast<std::uint16_t>(local.tm_hour << 11 | local.tm_min << 5 | second / 2);
    return dos;
}

} // namespace

std::optional<FileStamps> ReadFileStamps(const std::string& path)
{
    struct statx st {};
    if (::statx(AT_FDCWD, ReadHostPath(path).c_str(), 0, STATX_ATIME | STATX_MTIME | STATX_CTIME | STATX_BTIME, &st) != 0)
        return std::nullopt;
    if (S_ISDIR(st.stx_mode)) return std::nullopt;
    FileStamps result;
    result.stamps[FileStamps::kAccessed] = ToDos(st.stx_atime);
    result.stamps[FileStamps::kModified] = ToDos(st.stx_mtime);
    // Without a birth time the change time is the closest stand-in.
    result.stamps[FileStamps::kCreated] = ToDos((st.stx_mask & STATX_BTIME) ? st.stx_btime : st.stx_ctime);
    return result;
}

} // namespace tarvex::platform
