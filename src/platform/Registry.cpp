#include "platform/Registry.h"

namespace tarvex::platform {

namespace {
constexpr const char kCreateKeyFailed[] = "Failed to create key %s";
constexpr const char kSetDataFailed[] = "Failed to set data for '%s'";
constexpr const char kInvalidDataType[] = "Invalid data type for '%s'";

std::string Format(const char* pattern, const std::string& argument)
{
    std::string text = pattern;
    text.replace(text.find("%s"), 2, argument);
    return text;
}
} // namespace

const char* RootKeyName(RootKey root)
{
    switch (root) {
    case RootKey::CurrentUser: return "HKEY_CURRENT_USER";
    case RootKey::LocalMachine: return "HKEY_LOCAL_MACHINE";
    case RootKey::Users: return "HKEY_USERS";
    case RootKey::Invalid: break;
    }
    return "";
}

ERegistryError CreateKeyError(const std::string& keyPath) { return ERegistryError(Format(kCreateKeyFailed, keyPath)); }
ERegistryError SetDataError(const std::string& valueName) { return ERegistryError(Format(kSetDataFailed, valueName)); }
ERegistryError InvalidDataTypeError(const std::string& valueName)
{
    return ERegistryError(Format(kInvalidDataType, valueName));
}

std::string RelativeKeyPath(const std::string& keyPath)
{
    return !keyPath.empty() && keyPath.front() == '\\' ? keyPath.substr(1) : keyPath;
}

} // namespace tarvex::platform
