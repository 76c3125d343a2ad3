#include "authoring/IniLineLocator.h"

#include "base/Ascii.h"

namespace tarvex {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

} // namespace

IniLineLocator::IniLineLocator(std::string_view text)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    Section* current = nullptr;
    int lineNumber = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = TrimBlanks(text.substr(pos, end - pos));
        pos = end + 1;
        ++lineNumber;
        if (line.empty()) continue;
        if (line.front() == '[') {
            std::size_t close = line.rfind(']');
            if (close != std::string_view::npos) {
                sections_.push_back(Section{std::string(TrimBlanks(line.substr(1, close - 1))), lineNumber, {}, {}});
                current = &sections_.back();
                continue;
            }
        }
        if (current == nullptr) {
            sections_.push_back(Section{}); // lines before the first header
            current = &sections_.back();
        }
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            if (line.front() != ';') current->bare.push_back(Key{std::string(line), "", lineNumber});
            continue;
        }
        std::string_view name = TrimBlanks(line.substr(0, eq));
        if (name.empty() || name.front() == ';') continue;
        current->keys.push_back(Key{std::string(name), std::string(TrimBlanks(line.substr(eq + 1))), lineNumber});
    }
}

const IniLineLocator::Section* IniLineLocator::Find(std::string_view section) const
{
    for (const Section& s : sections_)
        if (s.line != 0 && SameTextAscii(s.name, section)) return &s;
    return nullptr;
}

int IniLineLocator::SectionLine(std::string_view section) const
{
    const Section* s = Find(section);
    return s ? s->line : 0;
}

int IniLineLocator::KeyLine(std::string_view section, std::string_view key) const
{
    if (const Section* s = Find(section))
        for (const Key& k : s->keys)
            if (SameTextAscii(k.name, key)) return k.line;
    return 0;
}

std::vector<IniLineLocator::Key> IniLineLocator::Keys(std::string_view section) const
{
    const Section* s = Find(section);
    return s ? s->keys : std::vector<Key>{};
}

std::vector<int> IniLineLocator::IgnoredSectionLines(std::string_view section) const
{
    std::vector<int> lines;
    const Section* first = Find(section);
    for (const Section& s : sections_)
        if (&s != first && s.line != 0 && SameTextAscii(s.name, section)) lines.push_back(s.line);
    return lines;
}

std::vector<IniLineLocator::Key> IniLineLocator::LinesWithoutEquals(std::string_view section) const
{
    const Section* s = Find(section);
    return s ? s->bare : std::vector<Key>{};
}

} // namespace tarvex
