#pragma once
// The version resource (VS_VERSIONINFO) of an executable file.
#include <optional>
#include <string>
#include <vector>

namespace tarvex::platform {

class VersionResource {
public:
    // nullopt when the file is missing, unreadable or has no version resource.
    static std::optional<VersionResource> Read(const std::string& path);

    // The text under StringFileInfo\<translation>\<key> (translation such as
    // "040904E4"), up to its terminating zero, in the Windows-1252 code page;
    // nullopt when that block or key is absent.
    std::optional<std::string> QueryString(const std::string& translation, const std::string& key) const;

private:
    explicit VersionResource(std::vector<unsigned char> block) : block_(std::move(block)) {}
    // version.dll writes converted texts into the block it queries.
    mutable std::vector<unsigned char> block_;
};

} // namespace tarvex::platform
