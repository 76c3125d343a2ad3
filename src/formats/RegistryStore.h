#pragma once
// The registry of the portable backend as REGEDIT4 text, the form regedit
// imports. Key paths are full ("HKEY_LOCAL_MACHINE\SOFTWARE\Vendor"); key and
// value names compare without regard to ASCII case and keep the case they
// were first written in. Pure text work: file access is the caller's.
// Keys and values are found through an index of their ASCII-lowered names,
// so a store of any size takes the same time per lookup.
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarvex {

class RegistryStore {
public:
    struct Value {
        std::string name;  // empty for the default value (@)
        bool isString;     // a "quoted" value; otherwise raw holds the data
        std::string data;  // the string, unescaped
        std::string raw;   // non-string data as written after '=' (dword:..., hex:...)
    };
    struct Key {
        std::string path;
        std::vector<Value> values;
    };

    // Raises tarvex::Exception naming fileName and the line for text that is
    // not a REGEDIT4 file this store can keep.
    static RegistryStore Parse(std::string_view text, const std::string& fileName);

    // The whole store as REGEDIT4 text with CR LF line ends.
    std::string Text() const;

    const Key* FindKey(std::string_view path) const;
    const Value* FindValue(std::string_view path, std::string_view name) const;

    // Adds the key and any missing keys above it; false when it existed.
    bool AddKey(std::string_view path);

    // Sets a string value; the key is added when missing.
    void SetString(std::string_view path, const std::string& name, const std::string& data);

    // Sets a value of another type, kept as its text after '='.
    void SetRaw(std::string_view path, const std::string& name, const std::string& raw);

    // The names of the key's direct subkeys, in file order.
    std::vector<std::string> Subkeys(std::string_view path) const;

    // Removes a key without subkeys, with its values; false when it is
    // missing or has subkeys.
    bool RemoveKey(std::string_view path);

    // False when the key or the value is missing.
    bool RemoveValue(std::string_view path, std::string_view name);

    const std::vector<Key>& Keys() const { return keys_; }

private:
    using Index = std::unordered_map<std::string, std::size_t>;
    // The key's position, added with the keys above it when missing.
    std::size_t KeyAt(std::string_view path);
    Value& ValueAt(std::size_t key, const std::string& name);
    void RebuildIndex();

    std::vector<Key> keys_;         // in the order the file lists them
    Index keyIndex_;                // lowered normal path -> keys_ position
    std::vector<Index> valueIndex_; // per key: lowered value name -> values position
};

// A string in regedit's quoted form: backslash and quote escaped, and line
// breaks as \r and \n so that each value stays on its line.
std::string QuoteRegistryString(std::string_view text);

// The text of an expandable or plain string stored as hex(2): or hex(1):
// bytes, up to the first zero; false when raw is not such data.
bool DecodeHexString(std::string_view raw, std::string& out);

} // namespace tarvex
