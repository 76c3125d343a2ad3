#pragma once
// Our reader of INI text, following the reading rules of the Windows profile
// functions. Kept apart from the file access so it can be fuzzed on bytes.
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarvex {

class IniText {
public:
    explicit IniText(std::string_view text);

    std::optional<std::string> Lookup(std::string_view section, std::string_view key) const;
    std::vector<std::string> KeyNames(std::string_view section) const;

private:
    struct Entry {
        std::string name;
        std::optional<std::string> value; // none for a line without '='
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
        std::unordered_map<std::string, std::size_t> firstByName; // lower-case name -> entry
    };
    const Section* Find(std::string_view section) const;

    std::vector<Section> sections_;
    std::unordered_map<std::string, std::size_t> firstSection_; // lower-case name -> section
};

} // namespace tarvex
