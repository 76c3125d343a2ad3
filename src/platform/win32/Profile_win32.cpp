#include "platform/ProfileBackend.h"

#include "base/Ascii.h"
#include "base/Text.h"

#include <windows.h>

#include <algorithm>
#include <unordered_map>

namespace tarvex::platform {

namespace {

std::string_view TrimBlanks(std::string_view s) { return TrimView<Blanks::SpaceTab>(s); }

// One section as the profile functions give it: each key=value line once.
// Reading it in one call keeps a full FILES list from costing one profile
// call (and one file check) per entry.
struct SectionLines {
    std::vector<std::pair<std::string, std::string>> entries; // name, value as written
    std::unordered_map<std::string, std::size_t> firstByName;
};

class Win32Profile final : public ProfileFile::Backend {
public:
    explicit Win32Profile(std::string path) : path_(std::move(path))
    {
        // A section's lines never take more room than the file itself; one
        // call per section matters, as each call may read the file again.
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (GetFileAttributesExA(path_.c_str(), GetFileExInfoStandard, &data) && data.nFileSizeHigh == 0)
            firstBuffer_ = std::max<DWORD>(firstBuffer_, data.nFileSizeLow + 16);
    }

    std::optional<std::string> Lookup(const std::string& section, const std::string& key) const override
    {
        const SectionLines& lines = Section(std::string(TrimBlanks(section)));
        auto it = lines.firstByName.find(AsciiLowerCopy(TrimBlanks(key)));
        if (it == lines.firstByName.end()) return std::nullopt;
        return StripQuotes(lines.entries[it->second].second);
    }

    std::vector<std::string> KeyNames(const std::string& section) const override
    {
        std::vector<std::string> names;
        for (const auto& entry : Section(section).entries) names.push_back(entry.first);
        return names;
    }

private:
    const SectionLines& Section(const std::string& name) const
    {
        auto found = cache_.find(AsciiLowerCopy(name));
        if (found != cache_.end()) return found->second;
        SectionLines& lines = cache_[AsciiLowerCopy(name)];
        std::string buf;
        DWORD got = 0;
        for (DWORD size = firstBuffer_;; size *= 2) {
            buf.assign(size, '\0');
            got = GetPrivateProfileSectionA(name.c_str(), buf.data(), size, path_.c_str());
            if (got + 2 < size || size >= (1u << 26)) break;
        }
        // Bound the walk by the returned length: the buffer's tail is not trusted.
        std::size_t pos = 0;
        while (pos < got) {
            std::size_t end = buf.find('\0', pos);
            if (end == std::string::npos || end > got) end = got;
            std::string_view line(buf.data() + pos, end - pos);
            pos = end + 1;
            std::size_t eq = line.find('=');
            if (line.empty() || line.front() == ';' || eq == std::string_view::npos) continue;
            std::string keyName(TrimBlanks(line.substr(0, eq)));
            if (keyName.empty()) continue;
            lines.firstByName.emplace(AsciiLowerCopy(keyName), lines.entries.size());
            lines.entries.emplace_back(std::move(keyName), std::string(TrimBlanks(line.substr(eq + 1))));
        }
        return lines;
    }

    std::string path_;
    DWORD firstBuffer_ = 4096;
    mutable std::unordered_map<std::string, SectionLines> cache_;
};

} // namespace

std::unique_ptr<ProfileFile::Backend> OpenProfileBackend(const std::string& path)
{
    return std::make_unique<Win32Profile>(path);
}

} // namespace tarvex::platform
