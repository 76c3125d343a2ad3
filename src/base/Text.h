#pragma once
// Text operations every layer shares. Inline, like the ASCII helpers: each
// unit of setup.exe that uses one would otherwise carry its own copies of
// the string code they need.
#include "base/Ascii.h"

#include <string>
#include <string_view>

namespace tarvex {

// Leading and trailing blanks and control characters (every byte up to the
// space) removed, as the framework's Trim removes them.
inline std::string Trim(std::string_view text)
{
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
    return std::string(text);
}

// The text inside one pair of matching quotes (" or ') that encloses all of
// it; any other text unchanged.
inline std::string StripQuotes(std::string_view text)
{
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front())
        text = text.substr(1, text.size() - 2);
    return std::string(text);
}

// Calls visit with each part of a path between backslashes or slashes,
// empty parts included, left to right.
template <class Visit>
void ForEachPathPart(std::string_view path, Visit visit)
{
    std::size_t pos = 0;
    while (pos <= path.size()) {
        std::size_t end = path.find_first_of("\\/", pos);
        if (end == std::string_view::npos) end = path.size();
        visit(path.substr(pos, end - pos));
        pos = end + 1;
    }
}

// Whether Windows takes the name for a device (CON, PRN, AUX, NUL, COM1 to
// COM9, LPT1 to LPT9), in any case and with any extension.
inline bool IsDeviceName(std::string_view name)
{
    // The part before the first dot, without its trailing blanks, decides.
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    for (const char* device : {"CON", "PRN", "AUX", "NUL"})
        if (SameTextAscii(name, device)) return true;
    return name.size() == 4 && (SameTextAscii(name.substr(0, 3), "COM") || SameTextAscii(name.substr(0, 3), "LPT")) &&
           name[3] >= '1' && name[3] <= '9';
}

} // namespace tarvex
