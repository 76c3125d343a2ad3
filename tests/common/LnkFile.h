#pragma once
// Reads back what a shell link file stores, from its bytes, so the same
// checks apply to links the Windows shell saved and links our writer made.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace tarvex::test {

struct LnkFields {
    std::uint32_t flags = 0;
    std::string localPath;
    std::optional<std::string> description;
    std::optional<std::string> workingDirectory;
    std::optional<std::string> arguments;
};

namespace lnk_detail {

inline std::uint32_t Le(const std::string& b, std::size_t at, int width)
{
    if (at + static_cast<std::size_t>(width) > b.size()) throw std::out_of_range("link file cut short");
    std::uint32_t v = 0;
    for (int i = width - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

// One StringData entry; wide characters above 0xFF become '?', which is
// enough for the ASCII texts the shared checks use.
inline std::string ReadString(const std::string& b, std::size_t& at, bool unicode)
{
    const std::uint32_t count = Le(b, at, 2);
    at += 2;
    std::string text;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t c = unicode ? Le(b, at, 2) : Le(b, at, 1);
        at += unicode ? 2 : 1;
        text += c < 0x100 ? static_cast<char>(c) : '?';
    }
    // The shell stores an empty text as one zero character.
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

} // namespace lnk_detail

inline LnkFields ParseLnk(const std::string& b)
{
    using lnk_detail::Le;
    if (Le(b, 0, 4) != 0x4C) throw std::runtime_error("not a link file");
    LnkFields f;
    f.flags = Le(b, 0x14, 4);
    const bool unicode = f.flags & 0x80;
    std::size_t at = 0x4C;
    if (f.flags & 0x01) at += 2 + Le(b, at, 2);
    if (f.flags & 0x02) {
        const std::size_t info = at;
        if (Le(b, info + 8, 4) & 1) {
            for (std::size_t p = info + Le(b, info + 16, 4); p < b.size() && b[p]; ++p) f.localPath += b[p];
        }
        at += Le(b, info, 4);
    }
    if (f.flags & 0x04) f.description = lnk_detail::ReadString(b, at, unicode);
    if (f.flags & 0x08) lnk_detail::ReadString(b, at, unicode); // relative path
    if (f.flags & 0x10) f.workingDirectory = lnk_detail::ReadString(b, at, unicode);
    if (f.flags & 0x20) f.arguments = lnk_detail::ReadString(b, at, unicode);
    return f;
}

} // namespace tarvex::test
