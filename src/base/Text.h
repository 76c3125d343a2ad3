#pragma once
// Text operations every layer shares. Inline, like the ASCII helpers: each
// unit of setup.exe that uses one would otherwise carry its own copies of
// the string code they need.
#include "base/Ascii.h"

#include <string>
#include <string_view>

namespace tarvex {

// Which bytes a trim takes away. Readers of Windows text disagree on it,
// each for a reason of the function it follows.
enum class Blanks {
    Controls, // every byte up to the space: the framework's Trim
    CSpace,   // space, tab, CR, LF, VT, FF: INI lines, as the profile reader trims them
    SpaceTab, // space and tab: what the profile functions strip around names and values
    Space,    // the space alone: what Windows drops at the end of a file name
};

// The set is a template argument, so that each caller's code is the plain
// loop it would write by hand.
template <Blanks blanks>
constexpr bool IsBlank(char c)
{
    if constexpr (blanks == Blanks::Controls) return static_cast<unsigned char>(c) <= ' ';
    if constexpr (blanks == Blanks::CSpace) return c == ' ' || (c >= '\t' && c <= '\r');
    if constexpr (blanks == Blanks::SpaceTab) return c == ' ' || c == '\t';
    return c == ' ';
}

template <Blanks blanks>
constexpr std::string_view TrimEndView(std::string_view text)
{
    while (!text.empty() && IsBlank<blanks>(text.back())) text.remove_suffix(1);
    return text;
}

template <Blanks blanks = Blanks::Controls>
constexpr std::string_view TrimView(std::string_view text)
{
    while (!text.empty() && IsBlank<blanks>(text.front())) text.remove_prefix(1);
    return TrimEndView<blanks>(text);
}

// Leading and trailing blanks removed, by default as the framework's Trim
// removes them.
template <Blanks blanks = Blanks::Controls>
inline std::string Trim(std::string_view text)
{
    return std::string(TrimView<blanks>(text));
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
    name = TrimEndView<Blanks::Space>(name.substr(0, name.find('.')));
    for (const char* device : {"CON", "PRN", "AUX", "NUL"})
        if (SameTextAscii(name, device)) return true;
    return name.size() == 4 && (SameTextAscii(name.substr(0, 3), "COM") || SameTextAscii(name.substr(0, 3), "LPT")) &&
           name[3] >= '1' && name[3] <= '9';
}

} // namespace tarvex
