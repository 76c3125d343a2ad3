#pragma once
// Our reader of INI text, following the reading rules of the Windows profile
// functions. Kept apart from the file access so it can be fuzzed on bytes.
// It also tells where each section and key is written, so that the medium
// check points at the lines the wizard reads, by the same reading.
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarvex {

class IniText {
public:
    explicit IniText(std::string_view text);

    // The value as the profile functions give it: blanks trimmed, one pair
    // of enclosing quotes removed, the first [section] and the first line of
    // the key counting.
    std::optional<std::string> Lookup(std::string_view section, std::string_view key) const;
    std::vector<std::string> KeyNames(std::string_view section) const;

    struct Key {
        std::string name;  // trimmed, as written
        std::string value; // trimmed, enclosing quotes kept
        int line = 0;      // 1-based; CR, LF and CR LF each end one
    };

    // The line of the [section] header that counts, 0 when there is none.
    int SectionLine(std::string_view section) const;
    // The line of the key's first occurrence in that section, 0 when absent.
    int KeyLine(std::string_view section, std::string_view key) const;
    // Every key line of the section that counts, in file order, repeats
    // included: the lines KeyNames lists.
    std::vector<Key> Keys(std::string_view section) const;
    // Lines of later headers of the same section: they are not read.
    std::vector<int> IgnoredSectionLines(std::string_view section) const;
    // Lines of the section that counts that hold no '=' and are no comment:
    // they are never read. The name is the line; the value is empty.
    std::vector<Key> LinesWithoutEquals(std::string_view section) const;

private:
    struct Entry {
        std::string name;
        std::optional<std::string> value; // none for a line without '='
        int line = 0;
        bool IsKey() const { return value && !name.empty() && name.front() != ';'; }
    };
    struct Section {
        std::string name;
        int line = 0; // 0 for the lines before the first header
        std::vector<Entry> entries;
        std::unordered_map<std::string, std::size_t> firstByName; // lower-case name -> entry
    };
    const Section* Find(std::string_view section) const;

    std::vector<Section> sections_;
    std::unordered_map<std::string, std::size_t> firstSection_; // lower-case name -> section
};

} // namespace tarvex
