#include "platform/VersionResource.h"

#include "formats/PeVersion.h"
#include "platform/posix/PosixFile.h"

namespace tarvex::platform {

std::optional<VersionResource> VersionResource::Read(const std::string& path)
{
    std::string image;
    if (!ReadHostFile(ReadHostPath(path), image)) return std::nullopt;
    std::optional<std::string_view> resource = FindVersionResource(image);
    if (!resource) return std::nullopt;
    return VersionResource(std::vector<unsigned char>(resource->begin(), resource->end()));
}

std::optional<std::string> VersionResource::QueryString(const std::string& translation, const std::string& key) const
{
    std::string_view block(reinterpret_cast<const char*>(block_.data()), block_.size());
    return QueryVersionText(block, "\\StringFileInfo\\" + translation + "\\" + key);
}

} // namespace tarvex::platform
