// Enumerating and deleting keys and values, for the uninstaller; apart from
// the rest of the registry service so that setup.exe does not carry it.
#include "platform/Registry.h"

#include "platform/win32/UniqueResource.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace tarvex::platform {

namespace {
using RegKey = UniqueResource<HKEY, &RegCloseKey>;

HKEY RootHandle(RootKey root) { return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(root)); }

bool OpenKey(RootKey root, const std::string& keyPath, REGSAM access, RegKey& key)
{
    return RegOpenKeyExA(RootHandle(root), RelativeKeyPath(keyPath).c_str(), 0, access, key.Put()) == ERROR_SUCCESS;
}
} // namespace

bool RegistryKeyExists(RootKey root, const std::string& keyPath)
{
    RegKey key;
    return OpenKey(root, keyPath, KEY_READ, key);
}

std::vector<std::string> RegistrySubkeys(RootKey root, const std::string& keyPath)
{
    std::vector<std::string> names;
    RegKey key;
    if (!OpenKey(root, keyPath, KEY_READ, key)) return names;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof name;
        if (RegEnumKeyExA(key.Get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, size);
    }
    return names;
}

std::vector<RegistryValueText> RegistryValues(RootKey root, const std::string& keyPath)
{
    std::vector<RegistryValueText> values;
    RegKey key;
    if (!OpenKey(root, keyPath, KEY_READ, key)) return values;
    DWORD maxName = 0, maxData = 0;
    if (RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName, &maxData,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return values;
    std::vector<char> name(maxName + 2), data(maxData + 2);
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = static_cast<DWORD>(name.size()), dataSize = static_cast<DWORD>(data.size()), type = 0;
        if (RegEnumValueA(key.Get(), i, name.data(), &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                          &dataSize) != ERROR_SUCCESS)
            break;
        RegistryValueText value{std::string(name.data(), nameSize), std::nullopt};
        if (type == REG_SZ || type == REG_EXPAND_SZ) {
            data[std::min<std::size_t>(dataSize, data.size() - 1)] = '\0';
            value.text = std::string(data.data());
        }
        values.push_back(std::move(value));
    }
    return values;
}

bool DeleteRegistryValue(RootKey root, const std::string& keyPath, const std::string& name)
{
    RegKey key;
    return OpenKey(root, keyPath, KEY_SET_VALUE, key) && RegDeleteValueA(key.Get(), name.c_str()) == ERROR_SUCCESS;
}

bool DeleteRegistryKey(RootKey root, const std::string& keyPath)
{
    const std::string relative = RelativeKeyPath(keyPath);
    if (relative.find_first_not_of('\\') == std::string::npos) return false;
    // Windows 9x deletes a whole tree here; we delete leaves only.
    if (!RegistrySubkeys(root, keyPath).empty()) return false;
    return RegDeleteKeyA(RootHandle(root), relative.c_str()) == ERROR_SUCCESS;
}

} // namespace tarvex::platform
