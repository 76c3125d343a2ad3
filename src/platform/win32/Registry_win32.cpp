#include "platform/Registry.h"

#include "platform/win32/UniqueResource.h"

#include <windows.h>

#include <vector>

namespace tarvex::platform {

namespace {

// An open registry key.
using RegKey = UniqueResource<HKEY, &RegCloseKey>;

HKEY RootHandle(RootKey root) { return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(root)); }

} // namespace

RegistryBatch::RegistryBatch() = default;
RegistryBatch::~RegistryBatch() = default;
void RegistryBatch::Flush() {}

void CreateRegistryKey(RootKey root, const std::string& keyPath)
{
    RegKey key;
    DWORD disposition = 0;
    if (RegCreateKeyExA(RootHandle(root), RelativeKeyPath(keyPath).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, key.Put(), &disposition) != ERROR_SUCCESS)
        throw CreateKeyError(keyPath);
}

bool WriteRegistryValue(RootKey root, const std::string& keyPath, const std::string& name,
                        const std::string& value)
{
    RegKey key;
    if (RegOpenKeyExA(RootHandle(root), RelativeKeyPath(keyPath).c_str(), 0, KEY_ALL_ACCESS, key.Put()) !=
        ERROR_SUCCESS)
        return false;
    if (RegSetValueExA(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1)) != ERROR_SUCCESS)
        throw SetDataError(name);
    return true;
}

std::optional<std::string> ReadRegistryString(RootKey root, const std::string& keyPath, const std::string& name)
{
    RegKey key;
    // Reading needs no more than query rights: a user who may not change
    // HKEY_LOCAL_MACHINE can still read it.
    if (RegOpenKeyExA(RootHandle(root), RelativeKeyPath(keyPath).c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) throw InvalidDataTypeError(name);
    std::vector<char> data(size + 1, '\0');
    if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::string(data.data()); // up to the stored terminating zero
}

} // namespace tarvex::platform

namespace tarvex::platform {

namespace {
bool OpenKey(RootKey root, const std::string& keyPath, REGSAM access, RegKey& key)
{
    return RegOpenKeyExA(RootHandle(root), RelativeKeyPath(keyPath).c_str(), 0, access, key.Put()) == ERROR_SUCCESS;
}
} // namespace

bool WriteRegistryNumber(RootKey root, const std::string& keyPath, const std::string& name, std::uint32_t value)
{
    RegKey key;
    if (!OpenKey(root, keyPath, KEY_ALL_ACCESS, key)) return false;
    DWORD data = value;
    if (RegSetValueExA(key.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data) !=
        ERROR_SUCCESS)
        throw SetDataError(name);
    return true;
}

} // namespace tarvex::platform
