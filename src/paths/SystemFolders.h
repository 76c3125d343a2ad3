#pragma once
// Questions about the machine the installer runs on. Nothing is kept
// between calls: every answer is asked of the platform afresh.
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvex {

struct SpecialFolderRow {
    std::string_view Token; // the path token that stands for the folder
    int FolderId;           // the shell's CSIDL value, -1 for none
};

// Indexed as callers pass them; 18 is the end marker of the token search.
inline constexpr SpecialFolderRow kSpecialFolders[] = {
    {"%DESKTOP", 0x0000},   {"%UNSUPPORTED", -1},   {"%PROGRAMDIR", 0x0002}, {"%CONTROLS", 0x0003},
    {"%PRINTERS", 0x0004},  {"%PERSONAL", 0x0005},  {"%FAVORITES", 0x0006},  {"%STARTUP", 0x0007},
    {"%RECENT", 0x0008},    {"%SENDTO", 0x0009},    {"%BITBUCKET", 0x000A},  {"%STARTMENU", 0x000B},
    {"%DESKTOPDIR", 0x0010}, {"%DRIVES", 0x0011},   {"%NETWORK", 0x0012},    {"%NETHOOD", 0x0013},
    {"%FONTS", 0x0014},     {"%TEMPLATES", 0x0015}, {"%UNSUPPORTED", -1},
};
inline constexpr std::uint8_t kSpecialFolderEnd = 18;

struct RegistryFolderRow {
    std::string_view Token;
    std::string_view Entry;   // key path and value name below HKEY_LOCAL_MACHINE
    std::string_view Default; // below the Windows directory's drive, when the value cannot be read
};

inline constexpr RegistryFolderRow kRegistryFolders[] = {
    {"%PROGRAMFILES", "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ProgramFilesDir", "\\Program Files"},
    {"%COMMONFILES", "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\CommonFilesDir",
     "\\Program Files\\Common Files"},
    {"%UNKNOWN", "", ""},
};
inline constexpr std::uint8_t kRegistryFolderEnd = 2;

// What a row past the table stands as.
inline constexpr char kRegistryFolderError[] = "error";

// The Windows directory with one backslash appended (C:\WINDOWS\).
std::string GetWindowsDir();

// The file-system path of a special folder by its row, or the empty text.
std::string GetSpecialFolder(std::uint8_t index);

// The directory stored under a registry folder's row; the folder's default
// on the Windows directory's drive (C:\Program Files) when the key or the
// value is missing or cannot be read; "error" for a row past the table. A
// value of another type than a string raises the registry wrapper's error.
std::string GetRegistryFolder(std::uint8_t index);

// GetWindowsDir followed by "temp"; not created here.
std::string GetTempDir();

// A registry path split at its last backslash or colon into the key path and
// the value name (at most 255 characters). Without a separator the key path
// is empty and the whole text is the name.
struct RegistryValuePath {
    std::string Key;
    std::string Name;
};
RegistryValuePath SplitRegistryValuePath(std::string_view path);

} // namespace tarvex
