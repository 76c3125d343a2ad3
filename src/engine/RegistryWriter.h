#pragma once
// Writing the setup description's registry values.
#include "platform/Registry.h"

#include <string>
#include <string_view>

namespace tarvex {

// HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER or HKEY_USERS in any letter case,
// with no blanks around it; RootKey::Invalid (-1) for anything else.
platform::RootKey RootKeyFromName(std::string_view name);

// Writes value as a string (REG_SZ). path is the key path and the value name
// separated by a backslash (\SOFTWARE\Vendor\Tool\InstallDir); the name "."
// is the key's default value. Missing keys are created. Raises
// ERegistryError "Unknown HKEY: <name>" for a root outside the three.
void WriteRegistryString(const std::string& rootName, const std::string& path, const std::string& value);

} // namespace tarvex
