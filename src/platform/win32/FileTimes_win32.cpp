#include "platform/FileTimes.h"

#include "platform/win32/UniqueResource.h"

#include <windows.h>

namespace tarvex::platform {

namespace {

std::optional<DosDateTime> ToDos(const FILETIME& utc)
{
    FILETIME local;
    WORD date = 0, time = 0;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToDosDateTime(&local, &date, &time)) return std::nullopt;
    return DosDateTime{date, time};
}

} // namespace

std::optional<FileStamps> ReadFileStamps(const std::string& path)
{
    // No access rights: attribute queries only, which also works on a file
    // opened by others as long as they share reading.
    UniqueFile file(CreateFileA(path.c_str(), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    FILETIME created, accessed, written;
    FileStamps result;
    if (!GetFileTime(file.Get(), &created, &accessed, &written)) return result;
    result.stamps[FileStamps::kAccessed] = ToDos(accessed);
    result.stamps[FileStamps::kModified] = ToDos(written);
    result.stamps[FileStamps::kCreated] = ToDos(created);
    return result;
}

} // namespace tarvex::platform
