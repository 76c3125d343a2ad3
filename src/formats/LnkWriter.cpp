#include "formats/LnkWriter.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace tarvex {

namespace {

constexpr std::uint32_t kHeaderSize = 0x4C;
constexpr unsigned char kShellLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                               0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr unsigned char kMyComputerClsid[16] = {0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A, 0x69, 0x10,
                                                0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};

// LinkFlags
constexpr std::uint32_t kHasLinkTargetIdList = 0x01;
constexpr std::uint32_t kHasLinkInfo = 0x02;
constexpr std::uint32_t kHasName = 0x04;
constexpr std::uint32_t kHasWorkingDir = 0x10;
constexpr std::uint32_t kHasArguments = 0x20;
constexpr std::uint32_t kIsUnicode = 0x80;

constexpr std::uint32_t kShowNormal = 1;
constexpr std::uint32_t kDriveNoRootDir = 1;
constexpr std::uint32_t kDriveFixed = 3;
constexpr std::uint32_t kVolumeIdAndLocalBasePath = 1;
constexpr std::uint32_t kLinkInfoHeaderSize = 0x1C;
constexpr std::uint16_t kAttributeDirectory = 0x10;

// Shell item kinds in the target ID list.
constexpr unsigned char kItemRoot = 0x1F;
constexpr unsigned char kItemVolume = 0x2F;
constexpr unsigned char kItemDirectory = 0x31;
constexpr unsigned char kItemFile = 0x32;
constexpr unsigned char kSortMyComputer = 0x50;
constexpr std::size_t kVolumeNameField = 22;

// Code points of Windows-1252 bytes 0x80..0x9F; the rest map to themselves.
constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

class Bytes {
public:
    void U8(unsigned v) { out_ += static_cast<char>(v & 0xFF); }
    void U16(unsigned v) { U8(v); U8(v >> 8); }
    void U32(std::uint32_t v) { U16(v & 0xFFFF); U16(v >> 16); }
    void Raw(const unsigned char* data, std::size_t n) { out_.append(reinterpret_cast<const char*>(data), n); }
    void Text(std::string_view s) { out_.append(s); }
    void Zeros(std::size_t n) { out_.append(n, '\0'); }
    std::size_t Size() const { return out_.size(); }
    std::string& Str() { return out_; }

private:
    std::string out_;
};

bool StartsWithDrive(std::string_view path)
{
    return path.size() >= 3 && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') && path[1] == ':' &&
           path[2] == '\\';
}

std::vector<std::string_view> Components(std::string_view rest)
{
    std::vector<std::string_view> parts;
    while (!rest.empty()) {
        std::size_t cut = rest.find('\\');
        std::string_view part = rest.substr(0, cut);
        if (!part.empty()) parts.push_back(part);
        if (cut == std::string_view::npos) break;
        rest.remove_prefix(cut + 1);
    }
    return parts;
}

// My Computer, the drive, then one entry per folder and the file itself.
// File entries hold the plain (ANSI) name only, as the long-standing item
// form does; size, time and attributes of a target that may not exist yet
// are left zero apart from the folder bit. False, with nothing written, when
// the list does not fit its 16-bit size: the link info still names the target.
bool AppendIdList(Bytes& out, std::string_view target)
{
    Bytes items;
    items.U16(0x14);
    items.U8(kItemRoot);
    items.U8(kSortMyComputer);
    items.Raw(kMyComputerClsid, sizeof kMyComputerClsid);

    items.U16(3 + kVolumeNameField);
    items.U8(kItemVolume);
    items.Text(target.substr(0, 3));
    items.Zeros(kVolumeNameField - 3);

    const std::vector<std::string_view> parts = Components(target.substr(3));
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const bool last = i + 1 == parts.size();
        std::size_t nameBytes = parts[i].size() + 1;
        if (nameBytes % 2) ++nameBytes;
        if (items.Size() + 14 + nameBytes + 2 > 0xFFFF) return false;
        items.U16(static_cast<unsigned>(14 + nameBytes));
        items.U8(last ? kItemFile : kItemDirectory);
        items.U8(0);
        items.U32(0); // file size
        items.U32(0); // DOS date and time
        items.U16(last ? 0 : kAttributeDirectory);
        items.Text(parts[i]);
        items.Zeros(nameBytes - parts[i].size());
    }
    out.U16(static_cast<unsigned>(items.Size() + 2));
    out.Text(items.Str());
    out.U16(0);
    return true;
}

// The target as a local path on a volume with no label; paths that don't
// start with a drive are kept as given, on a volume of unknown kind.
void AppendLinkInfo(Bytes& out, std::string_view target, bool onDrive)
{
    constexpr std::uint32_t volumeIdSize = 0x11;
    const std::uint32_t localPathOffset = kLinkInfoHeaderSize + volumeIdSize;
    const std::uint32_t suffixOffset = localPathOffset + static_cast<std::uint32_t>(target.size()) + 1;
    out.U32(suffixOffset + 1);
    out.U32(kLinkInfoHeaderSize);
    out.U32(kVolumeIdAndLocalBasePath);
    out.U32(kLinkInfoHeaderSize);
    out.U32(localPathOffset);
    out.U32(0); // no network location
    out.U32(suffixOffset);

    out.U32(volumeIdSize);
    out.U32(onDrive ? kDriveFixed : kDriveNoRootDir);
    out.U32(0);    // serial number
    out.U32(0x10); // label offset
    out.U8(0);     // empty label

    out.Text(target);
    out.U8(0);
    out.U8(0); // empty common path suffix
}

// An empty text is stored as one zero character, as the shell does; some
// readers refuse a string of no characters.
void AppendString(Bytes& out, std::string_view text)
{
    if (text.empty()) {
        out.U16(1);
        out.U16(0);
        return;
    }
    const std::size_t count = text.size() < 0xFFFF ? text.size() : 0xFFFF;
    out.U16(static_cast<unsigned>(count));
    for (std::size_t i = 0; i < count; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        out.U16(byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte);
    }
}

} // namespace

std::string LnkBytes(const LnkContents& contents)
{
    const bool onDrive = StartsWithDrive(contents.target);
    const bool hasWorkingDir = !contents.workingDirectory.empty();
    std::uint32_t flags = kHasLinkInfo | kHasName | kHasArguments | kIsUnicode;
    if (hasWorkingDir) flags |= kHasWorkingDir;
    Bytes idList;
    if (onDrive && AppendIdList(idList, contents.target)) flags |= kHasLinkTargetIdList;

    Bytes out;
    out.U32(kHeaderSize);
    out.Raw(kShellLinkClsid, sizeof kShellLinkClsid);
    out.U32(flags);
    out.U32(0);   // file attributes
    out.Zeros(24); // creation, access and write times
    out.U32(0);   // file size: of a target that may not exist yet, none
    out.U32(0);   // icon index
    out.U32(kShowNormal);
    out.U16(0);   // hot key
    out.Zeros(10);

    out.Text(idList.Str());
    AppendLinkInfo(out, contents.target, onDrive);
    AppendString(out, contents.description);
    if (hasWorkingDir) AppendString(out, contents.workingDirectory);
    AppendString(out, contents.arguments);
    out.U32(0); // terminal block
    return std::move(out.Str());
}

} // namespace tarvex
