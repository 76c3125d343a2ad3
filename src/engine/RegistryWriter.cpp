#include "engine/RegistryWriter.h"

#include "base/Ascii.h"
#include "paths/PathTokens.h"
#include "paths/SystemFolders.h"

namespace tarvex {

namespace {
constexpr char kUnknownRoot[] = "Unknown HKEY: ";
constexpr char kDefaultValueName[] = ".";

struct RootName {
    std::string_view Name;
    platform::RootKey Key;
};
constexpr RootName kRootNames[] = {
    {"HKEY_LOCAL_MACHINE", platform::RootKey::LocalMachine},
    {"HKEY_CURRENT_USER", platform::RootKey::CurrentUser},
    {"HKEY_USERS", platform::RootKey::Users},
};
} // namespace

platform::RootKey RootKeyFromName(std::string_view name)
{
    for (const RootName& root : kRootNames)
        if (SameTextAscii(name, root.Name)) return root.Key;
    return platform::RootKey::Invalid;
}

void WriteRegistryString(const std::string& rootName, const std::string& path, const std::string& value)
{
    const std::string fullPath = StripTrailingBackslash(path);
    const platform::RootKey root = RootKeyFromName(rootName);
    if (root == platform::RootKey::Invalid) throw ERegistryError(kUnknownRoot + rootName);
    RegistryValuePath target = SplitRegistryValuePath(fullPath);
    if (target.Name == kDefaultValueName) target.Name.clear();
    platform::CreateRegistryKey(root, target.Key);
    // A key that was made but cannot be opened is left without the value, by
    // design without an error: the engine lists the key all the same.
    platform::WriteRegistryValue(root, target.Key, target.Name, value);
}

} // namespace tarvex
