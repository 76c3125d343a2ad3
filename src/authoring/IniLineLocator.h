#pragma once
// Where Setup.INI's sections and keys are written, line by line. The profile
// reader gives values without lines; this pass reads the text by the same
// rules (names without regard to case, blanks trimmed, the first [SECTION]
// and the first occurrence of a key counting) so that a problem can be
// pointed at.
#include <string>
#include <string_view>
#include <vector>

namespace tarvex {

class IniLineLocator {
public:
    explicit IniLineLocator(std::string_view text);

    struct Key {
        std::string name;  // trimmed, as written
        std::string value; // trimmed, enclosing quotes kept
        int line = 0;      // 1-based
    };

    // The line of the [section] header that counts, 0 when there is none.
    int SectionLine(std::string_view section) const;
    // The line of the key's first occurrence in that section, 0 when absent.
    int KeyLine(std::string_view section, std::string_view key) const;
    // Every key line of the section that counts, in file order, repeats
    // included (comments and lines without '=' are not keys).
    std::vector<Key> Keys(std::string_view section) const;
    // Lines of later headers of the same section: they are not read.
    std::vector<int> IgnoredSectionLines(std::string_view section) const;
    // Lines of the section that counts that hold no '=' and are no comment:
    // neither reader lists them as keys, so they are never read. The text
    // is trimmed; the value is empty.
    std::vector<Key> LinesWithoutEquals(std::string_view section) const;

private:
    struct Section {
        std::string name;
        int line = 0;
        std::vector<Key> keys;
        std::vector<Key> bare;
    };
    const Section* Find(std::string_view section) const;

    std::vector<Section> sections_;
};

} // namespace tarvex
