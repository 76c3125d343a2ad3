#include "formats/IniText.h"

#include "base/Ascii.h"
#include "base/Text.h"

namespace tarvex {

namespace {

std::string_view TrimSpace(std::string_view s) { return TrimView<Blanks::CSpace>(s); }

// A NUL byte ends a name or value (the profile functions hand them on as
// zero-terminated strings); blanks left before it go with it.
std::string_view CutAtNul(std::string_view s)
{
    return TrimEndView<Blanks::SpaceTab>(s.substr(0, s.find('\0')));
}

} // namespace

IniText::IniText(std::string_view text)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    // Lines before the first section belong to a nameless one, which is
    // there even when empty: a later section whose name reads as empty
    // ("[]", or a NUL after the bracket) is never found.
    sections_.push_back(Section{});
    firstSection_.emplace(std::string(), 0);
    Section* current = &sections_.back();
    std::size_t pos = 0;
    int lineNumber = 1;
    while (pos < text.size()) {
        // A line ends at CR or LF, alone or in any run of them.
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = TrimSpace(text.substr(pos, end - pos));
        const int at = lineNumber;
        pos = text.find_first_not_of("\r\n", end);
        if (pos == std::string_view::npos) pos = text.size();
        for (std::size_t i = end; i < pos; ++i)
            if (text[i] == '\n' || i + 1 == pos || text[i + 1] != '\n') ++lineNumber;
        if (line.empty()) continue;

        if (line.front() == '[') {
            std::size_t close = line.rfind(']');
            if (close != std::string_view::npos) {
                std::string name(CutAtNul(TrimSpace(line.substr(1, close - 1))));
                sections_.push_back(Section{name, at, {}, {}});
                current = &sections_.back();
                firstSection_.emplace(AsciiLowerCopy(name), sections_.size() - 1);
                continue;
            }
            // A bracket without its closing mate is an ordinary line.
        }
        Entry entry;
        entry.line = at;
        std::size_t eq = line.find('='); // also past a NUL
        if (eq == std::string_view::npos) {
            entry.name = std::string(CutAtNul(line));
        } else {
            entry.name = std::string(CutAtNul(TrimSpace(line.substr(0, eq))));
            entry.value = std::string(CutAtNul(TrimSpace(line.substr(eq + 1))));
        }
        current->firstByName.emplace(AsciiLowerCopy(entry.name), current->entries.size());
        current->entries.push_back(std::move(entry));
    }
}

const IniText::Section* IniText::Find(std::string_view section) const
{
    auto it = firstSection_.find(AsciiLowerCopy(section));
    return it == firstSection_.end() ? nullptr : &sections_[it->second];
}

std::optional<std::string> IniText::Lookup(std::string_view section, std::string_view key) const
{
    // A value lookup ignores blanks around the section name; a key listing
    // does not (as the Windows profile functions behave).
    const Section* s = Find(TrimSpace(section));
    if (s == nullptr) return std::nullopt;
    auto it = s->firstByName.find(AsciiLowerCopy(TrimSpace(key)));
    if (it == s->firstByName.end()) return std::nullopt;
    const auto& value = s->entries[it->second].value;
    if (!value) return std::nullopt;
    return StripQuotes(*value);
}

std::vector<std::string> IniText::KeyNames(std::string_view section) const
{
    std::vector<std::string> names;
    if (const Section* s = Find(section))
        for (const Entry& e : s->entries)
            if (e.IsKey()) names.push_back(e.name); // not blank names, comments or lines without '='
    return names;
}

int IniText::SectionLine(std::string_view section) const
{
    const Section* s = Find(section);
    return s ? s->line : 0;
}

int IniText::KeyLine(std::string_view section, std::string_view key) const
{
    if (const Section* s = Find(section))
        for (const Entry& e : s->entries)
            if (e.IsKey() && SameTextAscii(e.name, key)) return e.line;
    return 0;
}

std::vector<IniText::Key> IniText::Keys(std::string_view section) const
{
    std::vector<Key> keys;
    if (const Section* s = Find(section))
        for (const Entry& e : s->entries)
            if (e.IsKey()) keys.push_back(Key{e.name, *e.value, e.line});
    return keys;
}

std::vector<int> IniText::IgnoredSectionLines(std::string_view section) const
{
    std::vector<int> lines;
    const Section* first = Find(section);
    for (const Section& s : sections_)
        if (&s != first && s.line != 0 && SameTextAscii(s.name, section)) lines.push_back(s.line);
    return lines;
}

std::vector<IniText::Key> IniText::LinesWithoutEquals(std::string_view section) const
{
    std::vector<Key> lines;
    if (const Section* s = Find(section))
        for (const Entry& e : s->entries)
            if (!e.value && (e.name.empty() || e.name.front() != ';')) lines.push_back(Key{e.name, "", e.line});
    return lines;
}

} // namespace tarvex
