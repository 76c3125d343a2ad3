#include "platform/VersionResource.h"

#include <cstring>
#include <windows.h>

namespace tarvex::platform {

std::optional<VersionResource> VersionResource::Read(const std::string& path)
{
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return std::nullopt;
    return VersionResource(std::move(block));
}

std::optional<std::string> VersionResource::QueryString(const std::string& translation, const std::string& key) const
{
    std::string subBlock = "\\StringFileInfo\\" + translation + "\\" + key;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block_.data(), subBlock.c_str(), &value, &length) || value == nullptr) return std::nullopt;
    const char* text = static_cast<const char*>(value);
    const char* end = reinterpret_cast<const char*>(block_.data() + block_.size());
    if (text < reinterpret_cast<const char*>(block_.data()) || text >= end) return std::string();
    return std::string(text, strnlen(text, static_cast<std::size_t>(end - text)));
}

} // namespace tarvex::platform
