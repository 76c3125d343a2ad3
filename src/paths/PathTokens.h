#pragma once
// Path tokens: %PROGRAMFILES, %STARTMENU, %APPPATH and the like stand for
// folders of the target machine or for the user's choices.
#include "setup_description/InstallOption.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tarvex {

// A text under expansion; each derived class owns one table of names.
class TToken {
public:
    virtual ~TToken() = default;

    // Sets Index to the first row whose name occurs in Text, or to the end marker.
    virtual void FindToken() = 0;
    // Text with the first occurrence of the found row's name replaced by its value.
    virtual std::string ReplaceToken() = 0;
    // Text with the found token replaced, or unchanged when none is found.
    virtual std::string Expand(const std::string& text) = 0;

    std::string Text;
};

// The shell's special folders (%DESKTOP ... %TEMPLATES).
class TSystemToken : public TToken {
public:
    void FindToken() override;
    std::string ReplaceToken() override;
    std::string Expand(const std::string& text) override;

    std::uint8_t Index = 0;
};

// Program Files and Common Files from the registry.
class TMiscSysToken : public TToken {
public:
    void FindToken() override;
    std::string ReplaceToken() override;
    std::string Expand(const std::string& text) override;

    std::uint8_t Index = 0;
};

// The user's choices and the Windows directory.
class TMiscToken : public TToken {
public:
    explicit TMiscToken(const TInstallOption& installation) : Installation(installation) {}
    void FindToken() override;
    std::string ReplaceToken() override;
    std::string Expand(const std::string& text) override;

    std::uint8_t Index = 0;
    const TInstallOption& Installation; // not owned
};

inline constexpr std::string_view kMiscTokens[] = {"%APPPATH", "%SMICON", "%WINDOWSDIR", "%UNKNOWN"};
inline constexpr std::uint8_t kMiscTokenEnd = 3;

// Between the user's base folder and the program's own folder in %APPPATH
// and %SMICON; the install engine splits on it, so it is two backslashes.
inline constexpr char kChoiceSeam[] = "\\\\";

// The text with special folders, then program files, then the user's
// choices expanded (one token of each table), less one trailing backslash.
std::string ExpandTokens(const std::string& text, const TInstallOption& installation);

// The text with the first occurrence of name (case-sensitive) replaced by value.
std::string ReplaceFirst(std::string_view text, std::string_view name, std::string_view value);

// The text without its last character when that is a backslash.
std::string StripTrailingBackslash(std::string_view text);

// Where names[row] first occurs in text as that row's token, or npos. An
// occurrence that begins a longer name of the same table (%DESKTOP in
// %DESKTOPDIR) belongs to the longer name and does not count.
std::size_t FindTokenOccurrence(std::string_view text, std::span<const std::string_view> names, std::size_t row);

// The first row of names that occurs in text, or names.size() when none does.
std::size_t FindTokenRow(std::string_view text, std::span<const std::string_view> names);

} // namespace tarvex
