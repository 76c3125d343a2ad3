#include "formats/RegistryStore.h"

#include "base/Ascii.h"
#include "base/Exception.h"
#include "base/Text.h"

namespace tarvex {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kRoots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                                       "HKEY_CURRENT_CONFIG"};

std::string_view TrimBlanks(std::string_view s) { return TrimView<Blanks::SpaceTab>(s); }

// Canonical spelling for comparisons: no empty components, trailing
// separators dropped.
std::string NormalKeyPath(std::string_view path)
{
    std::string out;
    std::size_t pos = 0;
    while (pos <= path.size()) {
        std::size_t end = path.find('\\', pos);
        if (end == std::string_view::npos) end = path.size();
        if (end > pos) {
            if (!out.empty()) out += '\\';
            out.append(path.substr(pos, end - pos));
        }
        pos = end + 1;
    }
    return out;
}

bool IsKnownRoot(std::string_view path)
{
    std::string_view root = path.substr(0, path.find('\\'));
    for (std::string_view name : kRoots)
        if (SameTextAscii(root, name)) return true;
    return false;
}

class Parser {
public:
    Parser(std::string_view text, const std::string& fileName) : text_(text), fileName_(fileName) {}

    RegistryStore Run()
    {
        RegistryStore store;
        std::string currentKey;
        bool sawHeader = false;
        std::string_view line;
        while (NextLine(line)) {
            std::string_view content = TrimBlanks(line);
            if (!sawHeader) {
                if (content != kHeader) Fail("the first line is not " + std::string(kHeader));
                sawHeader = true;
                continue;
            }
            if (content.empty() || content.front() == ';') continue;
            if (content.front() == '[') {
                if (content.back() != ']') Fail("a key line without its closing bracket");
                std::string_view path = content.substr(1, content.size() - 2);
                if (!path.empty() && path.front() == '-') Fail("key deletion is not kept in the store");
                if (!IsKnownRoot(path)) Fail("unknown root key in [" + std::string(path) + "]");
                currentKey = NormalKeyPath(path);
                store.AddKey(currentKey);
                continue;
            }
            if (currentKey.empty()) Fail("a value outside any key");
            ParseValue(store, currentKey, content);
        }
        if (!sawHeader) {
            line_ = 1;
            Fail("the file is empty, not " + std::string(kHeader));
        }
        return store;
    }

private:
    bool NextLine(std::string_view& line)
    {
        if (pos_ >= text_.size()) return false;
        std::size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) end = text_.size();
        line = text_.substr(pos_, end - pos_);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos_ = end + 1;
        ++line_;
        return true;
    }

    [[noreturn]] void Fail(const std::string& reason) const
    {
        throw Exception("Malformed registry file " + fileName_ + ", line " + std::to_string(line_) + ": " + reason);
    }

    // A quoted string starting at s[0] == '"'; returns the rest after it.
    std::string_view ParseQuoted(std::string_view s, std::string& out) const
    {
        out.clear();
        std::size_t i = 1;
        for (; i < s.size(); ++i) {
            char c = s[i];
            if (c == '"') return s.substr(i + 1);
            if (c == '\\' && i + 1 < s.size()) {
                char e = s[++i];
                switch (e) {
                case '\\': out += '\\'; break;
                case '"': out += '"'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                default: out += '\\'; out += e; break; // regedit keeps unknown escapes
                }
                continue;
            }
            out += c;
        }
        Fail("a quoted text without its closing quote");
    }

    void ParseValue(RegistryStore& store, const std::string& key, std::string_view content)
    {
        std::string name; // empty for @
        std::string_view rest;
        if (content.front() == '@') {
            rest = content.substr(1);
        } else if (content.front() == '"') {
            rest = ParseQuoted(content, name);
        } else {
            Fail("expected a quoted value name or @");
        }
        rest = TrimBlanks(rest);
        if (rest.empty() || rest.front() != '=') Fail("expected '=' after the value name");
        rest = TrimBlanks(rest.substr(1));
        if (!rest.empty() && rest.front() == '"') {
            std::string data;
            std::string_view after = ParseQuoted(rest, data);
            if (!TrimBlanks(after).empty()) Fail("text after the closing quote");
            store.SetString(key, name, data);
            return;
        }
        if (rest.empty() || rest == "-") Fail("value deletion is not kept in the store");
        std::string raw(rest);
        // hex data may continue over lines ending in a backslash.
        while (!raw.empty() && raw.back() == '\\') {
            raw.pop_back();
            std::string_view next;
            if (!NextLine(next)) Fail("hex data continued past the end of the file");
            raw += TrimBlanks(next);
        }
        CheckRawData(raw);
        store.SetRaw(key, name, raw);
    }

    void CheckRawData(const std::string& raw) const
    {
        auto isHex = [](char c) { return (c >= '0' && c <= '9') || (AsciiLower(c) >= 'a' && AsciiLower(c) <= 'f'); };
        std::string_view s = raw;
        std::string lower = AsciiLowerCopy(s);
        if (lower.rfind("dword:", 0) == 0) {
            std::string_view digits = s.substr(6);
            if (digits.empty() || digits.size() > 8) Fail("a dword needs one to eight hex digits");
            for (char c : digits)
                if (!isHex(c)) Fail("a dword needs one to eight hex digits");
            return;
        }
        std::size_t colon = lower.find(':');
        std::string_view type = std::string_view(lower).substr(0, colon);
        bool typed = type.size() > 5 && type.rfind("hex(", 0) == 0 && type.back() == ')';
        if (colon == std::string::npos || (type != "hex" && !typed)) Fail("unknown data type in " + raw);
        std::string_view bytes = s.substr(colon + 1);
        std::size_t pos = 0;
        while (pos < bytes.size()) {
            std::size_t end = bytes.find(',', pos);
            if (end == std::string_view::npos) end = bytes.size();
            std::string_view byte = TrimBlanks(bytes.substr(pos, end - pos));
            if (byte.empty() || byte.size() > 2 || !isHex(byte[0]) || (byte.size() == 2 && !isHex(byte[1])))
                Fail("a hex byte list with a bad byte");
            pos = end + 1;
        }
    }

    std::string_view text_;
    const std::string& fileName_;
    std::size_t pos_ = 0;
    int line_ = 0;
};

} // namespace

RegistryStore RegistryStore::Parse(std::string_view text, const std::string& fileName)
{
    return Parser(text, fileName).Run();
}

std::string QuoteRegistryString(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c; break;
        }
    }
    out += '"';
    return out;
}

std::string RegistryStore::Text() const
{
    std::size_t size = kHeader.size() + 4;
    for (const Key& key : keys_) {
        size += key.path.size() + 6;
        for (const Value& value : key.values) size += value.name.size() + value.data.size() + value.raw.size() + 8;
    }
    std::string out;
    out.reserve(size + size / 16); // room for escapes
    out += kHeader;
    out += "\r\n\r\n";
    for (const Key& key : keys_) {
        out += '[';
        out += key.path;
        out += "]\r\n";
        for (const Value& value : key.values) {
            if (value.name.empty())
                out += '@';
            else
                out += QuoteRegistryString(value.name);
            out += '=';
            if (value.isString)
                out += QuoteRegistryString(value.data);
            else
                out += value.raw;
            out += "\r\n";
        }
        out += "\r\n";
    }
    return out;
}

const RegistryStore::Key* RegistryStore::FindKey(std::string_view path) const
{
    auto found = keyIndex_.find(AsciiLowerCopy(NormalKeyPath(path)));
    return found == keyIndex_.end() ? nullptr : &keys_[found->second];
}

const RegistryStore::Value* RegistryStore::FindValue(std::string_view path, std::string_view name) const
{
    auto key = keyIndex_.find(AsciiLowerCopy(NormalKeyPath(path)));
    if (key == keyIndex_.end()) return nullptr;
    const Index& values = valueIndex_[key->second];
    auto found = values.find(AsciiLowerCopy(name));
    return found == values.end() ? nullptr : &keys_[key->second].values[found->second];
}

std::size_t RegistryStore::KeyAt(std::string_view path)
{
    const std::string full = NormalKeyPath(path);
    const std::string lowered = AsciiLowerCopy(full);
    if (auto found = keyIndex_.find(lowered); found != keyIndex_.end()) return found->second;
    // Parents first, so that the file lists a key after the keys above it.
    auto add = [this](std::string spelled, std::string key) {
        keys_.push_back(Key{std::move(spelled), {}});
        valueIndex_.emplace_back();
        keyIndex_.emplace(std::move(key), keys_.size() - 1);
    };
    for (std::size_t cut = full.find('\\'); cut != std::string::npos; cut = full.find('\\', cut + 1))
        if (!keyIndex_.count(lowered.substr(0, cut))) add(full.substr(0, cut), lowered.substr(0, cut));
    add(full, lowered);
    return keys_.size() - 1;
}

bool RegistryStore::AddKey(std::string_view path)
{
    const std::size_t before = keys_.size();
    KeyAt(path);
    return keys_.size() != before;
}

RegistryStore::Value& RegistryStore::ValueAt(std::size_t key, const std::string& name)
{
    std::vector<Value>& values = keys_[key].values;
    auto [slot, added] = valueIndex_[key].emplace(AsciiLowerCopy(name), values.size());
    if (added) values.push_back(Value{name, true, {}, {}});
    return values[slot->second];
}

void RegistryStore::SetRaw(std::string_view path, const std::string& name, const std::string& raw)
{
    Value& value = ValueAt(KeyAt(path), name);
    value.isString = false;
    value.data.clear();
    value.raw = raw;
}

void RegistryStore::SetString(std::string_view path, const std::string& name, const std::string& data)
{
    Value& value = ValueAt(KeyAt(path), name);
    value.isString = true;
    value.data = data;
    value.raw.clear();
}

std::vector<std::string> RegistryStore::Subkeys(std::string_view path) const
{
    const std::string prefix = AsciiLowerCopy(NormalKeyPath(path)) + "\\";
    std::vector<std::string> names;
    for (const Key& key : keys_) {
        const std::string lowered = AsciiLowerCopy(key.path);
        if (lowered.size() > prefix.size() && lowered.compare(0, prefix.size(), prefix) == 0 &&
            lowered.find('\\', prefix.size()) == std::string::npos)
            names.push_back(key.path.substr(prefix.size()));
    }
    return names;
}

bool RegistryStore::RemoveKey(std::string_view path)
{
    auto found = keyIndex_.find(AsciiLowerCopy(NormalKeyPath(path)));
    if (found == keyIndex_.end() || !Subkeys(path).empty()) return false;
    keys_.erase(keys_.begin() + static_cast<std::ptrdiff_t>(found->second));
    RebuildIndex();
    return true;
}

bool RegistryStore::RemoveValue(std::string_view path, std::string_view name)
{
    auto key = keyIndex_.find(AsciiLowerCopy(NormalKeyPath(path)));
    if (key == keyIndex_.end()) return false;
    auto found = valueIndex_[key->second].find(AsciiLowerCopy(name));
    if (found == valueIndex_[key->second].end()) return false;
    std::vector<Value>& values = keys_[key->second].values;
    values.erase(values.begin() + static_cast<std::ptrdiff_t>(found->second));
    RebuildIndex();
    return true;
}

void RegistryStore::RebuildIndex()
{
    keyIndex_.clear();
    valueIndex_.assign(keys_.size(), Index());
    for (std::size_t k = 0; k < keys_.size(); ++k) {
        keyIndex_.emplace(AsciiLowerCopy(keys_[k].path), k);
        for (std::size_t v = 0; v < keys_[k].values.size(); ++v)
            valueIndex_[k].emplace(AsciiLowerCopy(keys_[k].values[v].name), v);
    }
}

bool DecodeHexString(std::string_view raw, std::string& out)
{
    std::string lower = AsciiLowerCopy(raw);
    std::string_view prefix;
    if (lower.rfind("hex(2):", 0) == 0 || lower.rfind("hex(1):", 0) == 0)
        prefix = std::string_view(raw).substr(0, 7);
    else
        return false;
    out.clear();
    std::string_view bytes = raw.substr(prefix.size());
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find(',', pos);
        if (end == std::string_view::npos) end = bytes.size();
        std::string byte(TrimBlanks(bytes.substr(pos, end - pos)));
        pos = end + 1;
        if (byte.empty()) continue;
        char c = static_cast<char>(std::stoul(byte, nullptr, 16));
        if (c == '\0') break;
        out += c;
    }
    return true;
}

} // namespace tarvex
