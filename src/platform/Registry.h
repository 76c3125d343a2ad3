#pragma once
// The registry wrapper: string values below the three writable roots.
// Key paths may start with a backslash, which anchors them at the root.
#include "base/Exception.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvex {

class ERegistryError : public Exception {
public:
    explicit ERegistryError(std::string message) : Exception(std::move(message)) {}
};

} // namespace tarvex

namespace tarvex::platform {

enum class RootKey : std::uint32_t {
    Invalid = 0xFFFFFFFFu, // "-1": not a root we write under
    CurrentUser = 0x80000001u,
    LocalMachine = 0x80000002u,
    Users = 0x80000003u,
};

// The root's name as regedit writes it (HKEY_LOCAL_MACHINE).
const char* RootKeyName(RootKey root);

// Creates the key and any missing keys above it; raises "Failed to create
// key %s" with the key path as given.
void CreateRegistryKey(RootKey root, const std::string& keyPath);

// Writes a string value into an existing key opened for writing. An empty
// name is the key's default value. Returns false, writing nothing, when the
// key cannot be opened; raises "Failed to set data for '%s'" when the value
// cannot be written.
bool WriteRegistryValue(RootKey root, const std::string& keyPath, const std::string& name,
                        const std::string& value);

// Reads a string value from a key opened for reading only. Nothing when the
// key or the value is missing; raises "Invalid data type for '%s'" when the
// value holds neither a string nor an expandable string.
std::optional<std::string> ReadRegistryString(RootKey root, const std::string& keyPath,
                                              const std::string& name);


// Writes a number value (REG_DWORD) into an existing key, as
// WriteRegistryValue writes a string.
bool WriteRegistryNumber(RootKey root, const std::string& keyPath, const std::string& name, std::uint32_t value);

bool RegistryKeyExists(RootKey root, const std::string& keyPath);

// The names of the key's direct subkeys; none for a missing key.
std::vector<std::string> RegistrySubkeys(RootKey root, const std::string& keyPath);

// The key's values: the text of string values, nothing for other types.
struct RegistryValueText {
    std::string name; // empty for the default value
    std::optional<std::string> text;
};
std::vector<RegistryValueText> RegistryValues(RootKey root, const std::string& keyPath);

// False when the value could not be deleted (missing, no rights).
bool DeleteRegistryValue(RootKey root, const std::string& keyPath, const std::string& name);

// Deletes a key that has no subkeys, with its values; false when it could
// not (missing, has subkeys, no rights).
bool DeleteRegistryKey(RootKey root, const std::string& keyPath);

// Registry writes made while one of these lives may be held back and reach
// the registry together: at Flush, which raises the error the first held
// write would have raised, or at the end of the scope, where a failure is
// not reported (an error is then already on its way). Outside any scope a
// write reaches the registry before its call returns. The Windows registry
// keeps its own: there both do nothing.
class RegistryBatch {
public:
    RegistryBatch();
    ~RegistryBatch();
    RegistryBatch(const RegistryBatch&) = delete;
    RegistryBatch& operator=(const RegistryBatch&) = delete;
    void Flush();
};

// Shared by both backends.
ERegistryError CreateKeyError(const std::string& keyPath);
ERegistryError SetDataError(const std::string& valueName);
ERegistryError InvalidDataTypeError(const std::string& valueName);
// The key path without its anchoring backslash, as the system takes it.
std::string RelativeKeyPath(const std::string& keyPath);

} // namespace tarvex::platform
