#pragma once
// What each platform backend supplies to ProfileFile: whole values and whole
// key lists, without buffer cuts (those are applied once, in Profile.cpp).
#include "platform/Profile.h"

#include <optional>

namespace tarvex::platform {

struct ProfileFile::Backend {
    virtual ~Backend() = default;
    // The stored value with quotes stripped, or nothing when the key is absent
    // or has no value.
    virtual std::optional<std::string> Lookup(const std::string& section, const std::string& key) const = 0;
    virtual std::vector<std::string> KeyNames(const std::string& section) const = 0;
};

std::unique_ptr<ProfileFile::Backend> OpenProfileBackend(const std::string& path);

} // namespace tarvex::platform
