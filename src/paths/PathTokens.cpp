#include "paths/PathTokens.h"

#include "paths/SystemFolders.h"

#include <array>
#include <memory>

namespace tarvex {

namespace {

template <std::size_t N, typename Row>
constexpr std::array<std::string_view, N> TokenNames(const Row* rows)
{
    std::array<std::string_view, N> names{};
    for (std::size_t i = 0; i < N; ++i) names[i] = rows[i].Token;
    return names;
}

// The searched rows of each table; the end marker is not searched.
constexpr auto kSystemNames = TokenNames<kSpecialFolderEnd>(kSpecialFolders);
constexpr auto kMiscSysNames = TokenNames<kRegistryFolderEnd>(kRegistryFolders);
constexpr std::span<const std::string_view> kMiscNames(kMiscTokens, kMiscTokenEnd);

std::uint8_t FindIn(std::string_view text, std::span<const std::string_view> names)
{
    return static_cast<std::uint8_t>(FindTokenRow(text, names));
}

std::string ReplaceIn(std::string_view text, std::span<const std::string_view> names, std::size_t row,
                      std::string_view value)
{
    std::size_t at = FindTokenOccurrence(text, names, row);
    if (at == std::string_view::npos) return std::string(text);
    std::string out(text.substr(0, at));
    out.append(value);
    out.append(text.substr(at + names[row].size()));
    return out;
}

} // namespace

std::size_t FindTokenOccurrence(std::string_view text, std::span<const std::string_view> names, std::size_t row)
{
    const std::string_view name = names[row];
    for (std::size_t at = text.find(name); at != std::string_view::npos; at = text.find(name, at + 1)) {
        bool longer = false;
        for (std::string_view other : names)
            if (other.size() > name.size() && other.substr(0, name.size()) == name &&
                text.substr(at, other.size()) == other)
                longer = true;
        if (!longer) return at;
    }
    return std::string_view::npos;
}

std::size_t FindTokenRow(std::string_view text, std::span<const std::string_view> names)
{
    for (std::size_t row = 0; row < names.size(); ++row)
        if (FindTokenOccurrence(text, names, row) != std::string_view::npos) return row;
    return names.size();
}

std::string ReplaceFirst(std::string_view text, std::string_view name, std::string_view value)
{
    std::size_t at = name.empty() ? std::string_view::npos : text.find(name);
    if (at == std::string_view::npos) return std::string(text);
    std::string out(text.substr(0, at));
    out.append(value);
    out.append(text.substr(at + name.size()));
    return out;
}

std::string StripTrailingBackslash(std::string_view text)
{
    if (!text.empty() && text.back() == '\\') text.remove_suffix(1);
    return std::string(text);
}

void TSystemToken::FindToken() { Index = FindIn(Text, kSystemNames); }

std::string TSystemToken::ReplaceToken()
{
    return ReplaceIn(Text, kSystemNames, Index, GetSpecialFolder(Index));
}

std::string TSystemToken::Expand(const std::string& text)
{
    Text = text;
    FindToken();
    return Index == kSpecialFolderEnd ? Text : ReplaceToken();
}

void TMiscSysToken::FindToken() { Index = FindIn(Text, kMiscSysNames); }

std::string TMiscSysToken::ReplaceToken()
{
    return ReplaceIn(Text, kMiscSysNames, Index, GetRegistryFolder(Index));
}

std::string TMiscSysToken::Expand(const std::string& text)
{
    Text = text;
    FindToken();
    return Index == kRegistryFolderEnd ? Text : ReplaceToken();
}

void TMiscToken::FindToken() { Index = FindIn(Text, kMiscNames); }

std::string TMiscToken::ReplaceToken()
{
    std::string value;
    switch (Index) {
    case 0: value = Installation.Directory + kChoiceSeam + Installation.NewDirectory; break;
    case 1: value = Installation.StartMenu + kChoiceSeam + Installation.NewMenu; break;
    case 2: value = GetWindowsDir(); break;
    default: return Text;
    }
    return ReplaceIn(Text, kMiscNames, Index, value);
}

std::string TMiscToken::Expand(const std::string& text)
{
    Text = text;
    FindToken();
    return Index == kMiscTokenEnd ? Text : ReplaceToken();
}

std::string ExpandTokens(const std::string& text, const TInstallOption& installation)
{
    // Owned for the call only; released also when a step raises.
    auto system = std::make_unique<TSystemToken>();
    auto misc = std::make_unique<TMiscSysToken>();
    auto choices = std::make_unique<TMiscToken>(installation);
    std::string result = choices->Expand(misc->Expand(system->Expand(text)));
    return StripTrailingBackslash(result);
}

} // namespace tarvex
