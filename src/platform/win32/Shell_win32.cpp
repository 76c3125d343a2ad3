#include "platform/Shell.h"

#include "platform/win32/UniqueResource.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

namespace tarvex::platform {

namespace {

constexpr UINT kWindowsDirBuffer = 260;
constexpr std::size_t kShellFolderBuffer = 262;
constexpr std::size_t kCommandLineBuffer = 512;
constexpr DWORD kCreationFlags = CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS;
constexpr char kOpenVerb[] = "open";

// An item identifier list from the shell, freed with the shell's allocator.
using ItemIdList = UniqueResource<LPITEMIDLIST, &CoTaskMemFree>;

} // namespace

std::string WindowsDirectory()
{
    char buf[kWindowsDirBuffer] = {};
    UINT n = GetWindowsDirectoryA(buf, kWindowsDirBuffer);
    if (n == 0 || n >= kWindowsDirBuffer) return std::string();
    return std::string(buf, n);
}

std::string SpecialFolderPath(int folderId)
{
    char buf[kShellFolderBuffer] = {};
    if (folderId < 0) return std::string();
    ItemIdList list;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, folderId, list.Put())) || !list.Get()) return std::string();
    if (!SHGetPathFromIDListA(list.Get(), buf)) return std::string();
    buf[kShellFolderBuffer - 1] = '\0';
    // Wine answers for virtual folders (Printers, Network) with their shell
    // names ("::{GUID}"); Windows fails. Neither is a file-system path.
    if (buf[0] == ':' && buf[1] == ':') return std::string();
    return std::string(buf);
}

double DiskFreeBytes(const std::string& rootDirectory)
{
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!GetDiskFreeSpaceA(rootDirectory.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                           &totalClusters))
        return -1;
    // In floating point: the product passes 4 GiB on any modern drive.
    return static_cast<double>(sectorsPerCluster) * static_cast<double>(bytesPerSector) *
           static_cast<double>(freeClusters);
}

void StartProgram(const std::string& commandLine, int showCommand)
{
    // The command line is passed whole even when it outgrows the usual buffer;
    // CreateProcessA may write into it, so it must be our own copy.
    std::vector<char> buf(std::max(kCommandLineBuffer, commandLine.size() + 1), '\0');
    std::copy(commandLine.begin(), commandLine.end(), buf.begin());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION info = {};
    // A program that does not start is not reported: the wizard closes either way.
    if (CreateProcessA(nullptr, buf.data(), nullptr, nullptr, FALSE, kCreationFlags, nullptr, nullptr, &startup,
                       &info)) {
        UniqueHandle process(info.hProcess);
        UniqueHandle thread(info.hThread);
    }
}

void OpenDocument(const std::string& target)
{
    ShellExecuteA(GetDesktopWindow(), kOpenVerb, target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace tarvex::platform
