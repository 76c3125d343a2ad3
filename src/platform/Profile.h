#pragma once
// Reading an INI file the way the Windows profile functions read it.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace tarvex::platform {

// Buffer sizes the setup description is read through.
constexpr std::size_t kProfileValueBuffer = 1024;
constexpr std::size_t kProfileKeyListBuffer = 8192;

class ProfileFile {
public:
    // A missing or unreadable file reads as empty: every key is absent.
    explicit ProfileFile(const std::string& path);
    ~ProfileFile();
    ProfileFile(const ProfileFile&) = delete;
    ProfileFile& operator=(const ProfileFile&) = delete;

    // The value of key in section: names matched without regard to case,
    // blanks trimmed, one pair of enclosing quotes removed, the first
    // occurrence of a key counting; defaultValue when the key is absent.
    // The result is cut to what fits in bufferSize bytes with its zero.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue,
                           std::size_t bufferSize = kProfileValueBuffer) const;

    // The section's key names in file order (duplicates included), limited
    // to the names that fit whole, each with its zero byte, in a buffer of
    // bufferSize bytes that also holds the closing zero.
    std::vector<std::string> ReadKeyNames(const std::string& section,
                                          std::size_t bufferSize = kProfileKeyListBuffer) const;

    struct Backend;

private:
    std::unique_ptr<Backend> backend_;
};

// Shared by both backends: the buffer cuts of the profile functions.
std::string CutToBuffer(const std::string& value, std::size_t bufferSize);
std::vector<std::string> CutKeyList(std::vector<std::string> names, std::size_t bufferSize);

} // namespace tarvex::platform
