#include "platform/ProfileBackend.h"

namespace tarvex::platform {

ProfileFile::ProfileFile(const std::string& path) : backend_(OpenProfileBackend(path)) {}
ProfileFile::~ProfileFile() = default;

std::string CutToBuffer(const std::string& value, std::size_t bufferSize)
{
    if (bufferSize == 0) return {};
    return value.size() < bufferSize ? value : value.substr(0, bufferSize - 1);
}

std::vector<std::string> CutKeyList(std::vector<std::string> names, std::size_t bufferSize)
{
    // Room for the closing zero; a name is kept only when it fits whole.
    std::size_t used = 1;
    std::size_t kept = 0;
    for (; kept < names.size(); ++kept) {
        std::size_t need = names[kept].size() + 1;
        if (used + need > bufferSize) break;
        used += need;
    }
    names.resize(kept);
    return names;
}

std::string ProfileFile::ReadString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, std::size_t bufferSize) const
{
    std::optional<std::string> value;
    if (!key.empty()) value = backend_->Lookup(section, key);
    return CutToBuffer(value ? *value : defaultValue, bufferSize);
}

std::vector<std::string> ProfileFile::ReadKeyNames(const std::string& section, std::size_t bufferSize) const
{
    return CutKeyList(backend_->KeyNames(section), bufferSize);
}

} // namespace tarvex::platform
