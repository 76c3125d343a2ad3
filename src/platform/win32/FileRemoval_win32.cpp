// What the uninstaller asks of the file system; apart from the rest of the
// file service so that setup.exe, which never calls it, does not carry it.
#include "platform/Files.h"

#include "base/Ascii.h"
#include "platform/win32/UniqueResource.h"

#include <windows.h>

#include <algorithm>

namespace tarvex::platform {

bool ReadFileBytes(const std::string& path, std::string& out)
{
    out.clear();
    UniqueFile h(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return false;
    char buffer[16384];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(h.Get(), buffer, sizeof buffer, &got, nullptr)) {
            out.clear();
            return false;
        }
        if (got == 0) return true;
        out.append(buffer, got);
    }
}

bool RemoveEmptyDirectory(const std::string& path) { return RemoveDirectoryA(path.c_str()) != FALSE; }

namespace {
using FindHandle = UniqueResource<HANDLE, &FindClose, -1>;
} // namespace

std::vector<std::string> DirectoryEntries(const std::string& path, std::size_t max)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA((path + "\\*").c_str(), &data));
    if (!find) return names;
    do {
        const std::string name = data.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(find.Get(), &data));
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return AsciiLowerCopy(a) < AsciiLowerCopy(b); });
    if (names.size() > max) names.resize(max);
    return names;
}

DeleteOutcome DeleteFileReporting(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? DeleteOutcome::Missing
                                                                              : DeleteOutcome::Failed;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return DeleteOutcome::Failed;
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (DeleteFileA(path.c_str())) return DeleteOutcome::Deleted;
    const DWORD error = GetLastError();
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(path.c_str(), attributes);
    switch (error) {
    case ERROR_FILE_NOT_FOUND: case ERROR_PATH_NOT_FOUND: return DeleteOutcome::Missing;
    case ERROR_SHARING_VIOLATION: case ERROR_LOCK_VIOLATION: case ERROR_ACCESS_DENIED: return DeleteOutcome::InUse;
    default: return DeleteOutcome::Failed;
    }
}

namespace {

// Windows 9x deletes at its next start what wininit.ini's [rename] section
// renames to NUL; the key repeats, so the file is edited as text.
bool ScheduleInWininit(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    char shortPath[MAX_PATH + 1] = {};
    DWORD n = GetShortPathNameA(path.c_str(), shortPath, sizeof shortPath);
    if (n == 0 || n > MAX_PATH) return false;
    char windows[MAX_PATH + 1] = {};
    n = GetWindowsDirectoryA(windows, sizeof windows);
    if (n == 0 || n > MAX_PATH) return false;
    std::string ini = windows;
    if (ini.back() != '\\') ini += '\\';
    ini += "wininit.ini";
    std::string text;
    ReadFileBytes(ini, text); // a missing file starts empty
    const std::string entry = std::string("NUL=") + shortPath + "\r\n";
    const std::string lowered = AsciiLowerCopy(text);
    std::size_t section = lowered.find("[rename]");
    while (section != std::string::npos && section > 0 && lowered[section - 1] != '\n')
        section = lowered.find("[rename]", section + 1);
    if (section == std::string::npos) {
        if (!text.empty() && text.back() != '\n') text += "\r\n";
        text += "[rename]\r\n" + entry;
    } else {
        std::size_t lineEnd = text.find('\n', section);
        if (lineEnd == std::string::npos) {
            text += "\r\n";
            lineEnd = text.size() - 1;
        }
        text.insert(lineEnd + 1, entry);
    }
    try {
        WriteWholeFile(ini, text);
    } catch (const Exception&) {
        return false;
    }
    return true;
}

} // namespace

bool DeleteAtRestart(const std::string& path)
{
    using MoveFileExFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    void* address = kernel ? reinterpret_cast<void*>(GetProcAddress(kernel, "MoveFileExA")) : nullptr;
    if (address) {
        auto moveFileEx = reinterpret_cast<MoveFileExFn>(address);
        if (moveFileEx(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return true;
        if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
    }
    return ScheduleInWininit(path);
}

} // namespace tarvex::platform
