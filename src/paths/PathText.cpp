#include "paths/PathText.h"

#include "base/Ascii.h"
#include "base/Text.h"
#include "platform/System.h"

#include <algorithm>

namespace tarvex {

std::string RemoveDoubleBackslashes(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\\' || out.empty() || out.back() != '\\') out.push_back(c);
    return out;
}

std::string ExtractFilePath(std::string_view path)
{
    std::size_t cut = path.find_last_of("\\:/");
    return cut == std::string_view::npos ? std::string() : std::string(path.substr(0, cut + 1));
}

std::string ExtractFileName(std::string_view path)
{
    std::size_t cut = path.find_last_of("\\:");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

bool LeavesFolder(std::string_view relative)
{
    if (relative.size() >= 2 && relative[1] == ':') return true;
    long depth = 0;
    bool leaves = false;
    ForEachPathPart(relative, [&](std::string_view part) {
        if (part.find_first_not_of(". ") != std::string_view::npos) {
            ++depth;
        } else if (std::count(part.begin(), part.end(), '.') >= 2) {
            if (--depth < 0) leaves = true;
        }
    });
    return leaves;
}

std::string ExeDirectory() { return ExtractFilePath(platform::ExePath()); }

std::string ChangeFileExt(const std::string& path, const std::string& extension)
{
    std::size_t cut = path.find_last_of(".\\:");
    if (cut != std::string::npos && path[cut] == '.') return path.substr(0, cut) + extension;
    return path + extension;
}

std::string AbbreviatePath(const std::string& path)
{
    // Up to the second backslash, and from the last but one.
    std::size_t count = 0, head = 0, tail = path.size();
    for (std::size_t i = 0; i < path.size(); ++i)
        if (path[i] == '\\' && ++count == 2) head = i;
    if (count <= 3) return path;
    for (count = 0; count < 2;)
        if (path[--tail] == '\\') ++count;
    return path.substr(0, head + 1) + "..." + path.substr(tail);
}

std::string UnholdableName(std::string_view path)
{
    std::string_view unholdable;
    ForEachPathPart(path, [&](std::string_view name) {
        if (!unholdable.empty() || name.empty() || name == "." || name == "..") return;
        if (name.back() == '.' || name.back() == ' ' || IsDeviceName(name)) unholdable = name;
    });
    return std::string(unholdable);
}

} // namespace tarvex
