#include "paths/SystemFolders.h"

#include "base/Text.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

#include <iterator>

namespace tarvex {

namespace {
constexpr std::size_t kMaxValueName = 255;
constexpr char kTempFolder[] = "temp";
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
    return platform::ReadRegistryString(platform::RootKey::LocalMachine, entry.Key, entry.Name)
        .value_or(kRegistryFolderError);
}

std::string GetTempDir() { return GetWindowsDir() + kTempFolder; }

RegistryValuePath SplitRegistryValuePath(std::string_view path)
{
    std::size_t cut = path.find_last_of("\\:");
    if (cut == std::string_view::npos) return {std::string(), std::string(path.substr(0, kMaxValueName))};
    return {std::string(path.substr(0, cut)), std::string(path.substr(cut + 1, kMaxValueName))};
}

} // namespace tarvex
