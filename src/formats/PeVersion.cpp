#include "formats/PeVersion.h"

#include "base/Ascii.h"

#include <cstdint>
#include <vector>

namespace tarvex {

namespace {

constexpr std::uint32_t kResourceTypeVersion = 16;
constexpr std::uint32_t kVersionResourceName = 1;
constexpr std::uint32_t kSubdirectoryBit = 0x80000000u;
constexpr std::size_t kMaxSections = 96;

// Little-endian reads that fail instead of running past the end.
class Bytes {
public:
    explicit Bytes(std::string_view data) : data_(data) {}
    std::size_t Size() const { return data_.size(); }
    bool Has(std::size_t offset, std::size_t count) const
    {
        return offset <= data_.size() && count <= data_.size() - offset;
    }
    std::optional<std::uint16_t> U16(std::size_t offset) const
    {
        if (!Has(offset, 2)) return std::nullopt;
        return static_cast<std::uint16_t>(Byte(offset) | Byte(offset + 1) << 8);
    }
    std::optional<std::uint32_t> U32(std::size_t offset) const
    {
        if (!Has(offset, 4)) return std::nullopt;
        return static_cast<std::uint32_t>(Byte(offset)) | static_cast<std::uint32_t>(Byte(offset + 1)) << 8 |
               static_cast<std::uint32_t>(Byte(offset + 2)) << 16 | static_cast<std::uint32_t>(Byte(offset + 3)) << 24;
    }
    std::string_view Slice(std::size_t offset, std::size_t count) const { return data_.substr(offset, count); }

private:
    unsigned Byte(std::size_t offset) const { return static_cast<unsigned char>(data_[offset]); }
    std::string_view data_;
};

struct Section {
    std::uint32_t virtualAddress, virtualSize, rawSize, rawOffset;
};

// The file bytes at rva up to the end of its section's raw data.
std::optional<std::string_view> MapRva(const Bytes& image, const std::vector<Section>& sections, std::uint32_t rva)
{
    for (const Section& s : sections) {
        std::uint32_t extent = s.virtualSize > s.rawSize ? s.virtualSize : s.rawSize;
        if (rva < s.virtualAddress || rva - s.virtualAddress >= extent) continue;
        std::uint32_t into = rva - s.virtualAddress;
        if (into >= s.rawSize || !image.Has(s.rawOffset, s.rawSize)) return std::nullopt;
        return image.Slice(s.rawOffset + into, s.rawSize - into);
    }
    return std::nullopt;
}

// The entry of a resource directory with the given id, or the first one
// when id is empty; its OffsetToData field.
std::optional<std::uint32_t> FindEntry(const Bytes& tree, std::uint32_t directory, std::optional<std::uint32_t> id)
{
    auto named = tree.U16(directory + 12);
    auto ids = tree.U16(directory + 14);
    if (!named || !ids) return std::nullopt;
    std::size_t first = id ? *named : 0;
    std::size_t count = static_cast<std::size_t>(*named) + *ids;
    for (std::size_t i = first; i < count; ++i) {
        std::size_t entry = directory + 16 + i * 8;
        auto name = tree.U32(entry);
        auto data = tree.U32(entry + 4);
        if (!name || !data) return std::nullopt;
        if (!id || *name == *id) return data;
    }
    return std::nullopt;
}

std::optional<std::uint32_t> Subdirectory(std::optional<std::uint32_t> entry)
{
    if (!entry || !(*entry & kSubdirectoryBit)) return std::nullopt;
    return *entry & ~kSubdirectoryBit;
}

// Windows-1252 bytes for U+0080..U+009F's places, by code point.
constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char ToCp1252(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (unsigned i = 0; i < 32; ++i)
        if (kCp1252High[i] == c) return static_cast<char>(0x80 + i);
    return '?';
}

// One node of a VS_VERSIONINFO tree: wLength, wValueLength, wType, the
// zero-terminated UTF-16 key, then the value and the children, each
// starting on a 4-byte boundary of the block.
struct Node {
    std::size_t begin, end, keyBegin, keyEnd, valueBegin, childrenBegin;
};

std::size_t Align4(std::size_t offset) { return (offset + 3) & ~static_cast<std::size_t>(3); }

std::optional<Node> ReadNode(const Bytes& block, std::size_t begin, std::size_t limit)
{
    auto length = block.U16(begin);
    auto valueLength = block.U16(begin + 2);
    auto type = block.U16(begin + 4);
    if (!length || !valueLength || !type || *length < 6 || *length > limit - begin) return std::nullopt;
    Node node{begin, begin + *length, begin + 6, 0, 0, 0};
    std::size_t p = node.keyBegin;
    for (;; p += 2) {
        auto unit = block.U16(p);
        if (!unit || p + 2 > node.end) return std::nullopt;
        if (*unit == 0) break;
    }
    node.keyEnd = p;
    node.valueBegin = Align4(p + 2);
    std::size_t valueBytes = static_cast<std::size_t>(*valueLength) * (*type ? 2 : 1);
    node.childrenBegin = Align4(node.valueBegin + valueBytes);
    return node;
}

bool KeyMatches(const Bytes& block, const Node& node, std::string_view name)
{
    if ((node.keyEnd - node.keyBegin) / 2 != name.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char16_t unit = *block.U16(node.keyBegin + 2 * i);
        if (unit > 0x7F || AsciiLower(static_cast<char>(unit)) != AsciiLower(name[i])) return false;
    }
    return true;
}

} // namespace

std::optional<std::string_view> FindVersionResource(std::string_view data)
{
    Bytes image(data);
    if (data.substr(0, 2) != "MZ") return std::nullopt;
    auto peOffset = image.U32(0x3C);
    if (!peOffset || !image.Has(*peOffset, 24) || data.substr(*peOffset, 4) != std::string_view("PE\0\0", 4))
        return std::nullopt;
    std::size_t coff = *peOffset + 4;
    auto sectionCount = image.U16(coff + 2);
    auto optionalSize = image.U16(coff + 16);
    std::size_t optional = coff + 20;
    auto magic = image.U16(optional);
    if (!sectionCount || !optionalSize || !magic || *sectionCount > kMaxSections) return std::nullopt;
    std::size_t directoryCountAt = *magic == 0x20B ? 108 : *magic == 0x10B ? 92 : 0;
    if (directoryCountAt == 0) return std::nullopt;
    auto directoryCount = image.U32(optional + directoryCountAt);
    std::size_t resourceDirectory = optional + directoryCountAt + 4 + 2 * 8;
    if (!directoryCount || *directoryCount < 3 || resourceDirectory + 8 > optional + *optionalSize) return std::nullopt;
    auto resourceRva = image.U32(resourceDirectory);
    if (!resourceRva || *resourceRva == 0) return std::nullopt;

    std::vector<Section> sections;
    std::size_t table = optional + *optionalSize;
    for (std::size_t i = 0; i < *sectionCount; ++i) {
        std::size_t s = table + i * 40;
        auto virtualSize = image.U32(s + 8);
        auto virtualAddress = image.U32(s + 12);
        auto rawSize = image.U32(s + 16);
        auto rawOffset = image.U32(s + 20);
        if (!virtualSize || !virtualAddress || !rawSize || !rawOffset) return std::nullopt;
        sections.push_back(Section{*virtualAddress, *virtualSize, *rawSize, *rawOffset});
    }

    auto treeBytes = MapRva(image, sections, *resourceRva);
    if (!treeBytes) return std::nullopt;
    Bytes tree(*treeBytes);
    auto names = Subdirectory(FindEntry(tree, 0, kResourceTypeVersion));
    if (!names) return std::nullopt;
    auto languages = Subdirectory(FindEntry(tree, *names, kVersionResourceName));
    if (!languages) return std::nullopt;
    auto dataEntry = FindEntry(tree, *languages, std::nullopt);
    if (!dataEntry || (*dataEntry & kSubdirectoryBit)) return std::nullopt;
    auto dataRva = tree.U32(*dataEntry);
    auto dataSize = tree.U32(*dataEntry + 4);
    if (!dataRva || !dataSize) return std::nullopt;
    auto resource = MapRva(image, sections, *dataRva);
    if (!resource || resource->size() < *dataSize) return std::nullopt;
    return resource->substr(0, *dataSize);
}

std::optional<std::string> QueryVersionText(std::string_view data, std::string_view subBlock)
{
    Bytes block(data);
    auto node = ReadNode(block, 0, data.size());
    if (!node) return std::nullopt;
    std::size_t start = 0;
    while (start < subBlock.size()) {
        std::size_t slash = subBlock.find('\\', start);
        if (slash == std::string_view::npos) slash = subBlock.size();
        std::string_view name = subBlock.substr(start, slash - start);
        start = slash + 1;
        if (name.empty()) continue;
        std::optional<Node> found;
        for (std::size_t child = node->childrenBegin; child < node->end;) {
            auto next = ReadNode(block, child, node->end);
            if (!next) return std::nullopt;
            if (KeyMatches(block, *next, name)) {
                found = next;
                break;
            }
            child = Align4(next->end);
        }
        if (!found) return std::nullopt;
        node = found;
    }
    std::string text;
    for (std::size_t p = node->valueBegin; p + 2 <= node->end; p += 2) {
        char16_t unit = *block.U16(p);
        if (unit == 0) break;
        text += ToCp1252(unit);
    }
    return text;
}

} // namespace tarvex
