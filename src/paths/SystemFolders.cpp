#include "paths/SystemFolders.h"

#include "base/Text.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

#include <iterator>

namespace tarvex {

namespace {
constexpr std::size_t kMaxValueName = 255;
constexpr char kTempFolder[] = "temp";
constexpr char kDefaultDrive[] = "C:";

// The folder on the Windows directory's drive, as Windows puts it there.
std::string DefaultRegistryFolder(std::uint8_t index)
{
    const std::string windows = GetWindowsDir();
    const bool drive = windows.size() >= 2 && windows[1] == ':' &&
                       ((windows[0] >= 'A' && windows[0] <= 'Z') || (windows[0] >= 'a' && windows[0] <= 'z'));
    return (drive ? windows.substr(0, 2) : std::string(kDefaultDrive)) + std::string(kRegistryFolders[index].Default);
}
} // namespace

std::string GetWindowsDir() { return Trim(platform::WindowsDirectory() + "\\"); }

std::string GetSpecialFolder(std::uint8_t index)
{
    if (index >= std::size(kSpecialFolders)) return std::string();
    return platform::SpecialFolderPath(kSpecialFolders[index].FolderId);
}

std::string GetRegistryFolder(std::uint8_t index)
{
    if (index >= kRegistryFolderEnd) return kRegistryFolderError;
    RegistryValuePath entry = SplitRegistryValuePath(kRegistryFolders[index].Entry);
    // Read access is all this needs; asking for more would fail for users
    // without write rights to HKEY_LOCAL_MACHINE.
    if (auto stored = platform::ReadRegistryString(platform::RootKey::LocalMachine, entry.Key, entry.Name))
        return *stored;
    // A placeholder text here would become a folder of that name relative to
    // wherever setup was started; the folder's default is where it belongs.
    return DefaultRegistryFolder(index);
}

std::string GetTempDir() { return GetWindowsDir() + kTempFolder; }

RegistryValuePath SplitRegistryValuePath(std::string_view path)
{
    std::size_t cut = path.find_last_of("\\:");
    if (cut == std::string_view::npos) return {std::string(), std::string(path.substr(0, kMaxValueName))};
    return {std::string(path.substr(0, cut)), std::string(path.substr(cut + 1, kMaxValueName))};
}

} // namespace tarvex
