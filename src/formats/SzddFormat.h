#pragma once
// The header of a file compressed by the Windows LZ expansion library's
// format (SZDD). Shared by both backends so that they classify a file the
// same way before expanding it.
#include <cstddef>
#include <cstdint>

namespace tarvex {

constexpr std::size_t kSzddHeaderSize = 14;
constexpr std::size_t kSzddMagicSize = 8;
constexpr unsigned char kSzddMagic[kSzddMagicSize] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
constexpr unsigned char kSzddMethodA = 'A';

enum class SzddKind {
    Plain,        // not compressed: copied unchanged
    Compressed,   // a whole header with method 'A'
    Truncated,    // the magic, but the header is cut short
    UnknownMethod // the magic with a method other than 'A'
};

struct SzddHeader {
    SzddKind kind = SzddKind::Plain;
    std::uint32_t length = 0; // the expanded size the header declares
};

// Classifies a file from its first bytes: size is how many of them there
// are, at most kSzddHeaderSize are looked at.
inline SzddHeader ParseSzddHeader(const unsigned char* bytes, std::size_t size)
{
    SzddHeader header;
    if (size < kSzddMagicSize) return header;
    for (std::size_t i = 0; i < kSzddMagicSize; ++i)
        if (bytes[i] != kSzddMagic[i]) return header;
    if (size < kSzddHeaderSize) {
        header.kind = SzddKind::Truncated;
        return header;
    }
    if (bytes[8] != kSzddMethodA) {
        header.kind = SzddKind::UnknownMethod;
        return header;
    }
    header.kind = SzddKind::Compressed;
    header.length = static_cast<std::uint32_t>(bytes[10]) | static_cast<std::uint32_t>(bytes[11]) << 8 |
                    static_cast<std::uint32_t>(bytes[12]) << 16 | static_cast<std::uint32_t>(bytes[13]) << 24;
    return header;
}

} // namespace tarvex
