#include "formats/SzddCompressor.h"

#include "base/Exception.h"
#include "formats/SzddFormat.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <limits>
#include <thread>
#include <vector>

namespace tarvex {

// Match lengths and hashes are read eight bytes at a time, lowest address first.
static_assert(std::endian::native == std::endian::little);

namespace {

constexpr std::size_t kWindowSize = 4096;
constexpr unsigned kWindowMask = kWindowSize - 1;
// The expander writes the first byte at this ring position.
constexpr unsigned kFirstWritePosition = kWindowSize - 16;
constexpr unsigned kMinMatch = 3;
constexpr std::size_t kMaxMatch = 18;
// The ring slot a whole window back is the one the expander writes next,
// so a match reaches back one byte less.
constexpr std::size_t kMaxDistance = kWindowSize - 1;
// The window's initial blanks right before the first write position are
// history a match may use (a file that opens with blanks).
constexpr std::size_t kBlankPrefix = kMaxMatch;
// Data parsed by one thread: a window of history before it is looked at
// again, so that segments do not depend on each other.
constexpr std::size_t kSegmentSize = 1 << 19;
// Bytes the match finder may read past the data (hashes read sixteen).
constexpr std::size_t kReadSlack = 16;
// A match this long is taken without looking one byte on: a longer one
// there seldom pays for the literal it costs, and the look is not free.
constexpr unsigned kLazyLimit = 8;

std::uint16_t Load16(const unsigned char* p)
{
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

std::uint64_t Load64(const unsigned char* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

// How far a and b agree, up to limit (at most kMaxMatch); reads up to
// seven bytes past the limit.
unsigned CommonLength(const unsigned char* a, const unsigned char* b, unsigned limit)
{
    for (unsigned at = 0; at < limit; at += 8) {
        if (std::uint64_t diff = Load64(a + at) ^ Load64(b + at))
            return std::min(limit, at + static_cast<unsigned>(std::countr_zero(diff) >> 3));
    }
    return limit;
}

// Hash chains over the last window, one keyed on the next 10 bytes, one on
// the next 5 and one on the next 3. Text repeats its short words hundreds
// of times a window, so a three-byte chain alone would be walked for long;
// the longer keys reach its long matches in a few steps, and the short one
// still finds the short matches binary data is full of.
class MatchFinder {
public:
    // data holds the positions from origin on.
    MatchFinder(const unsigned char* data, std::size_t origin)
        : data_(data), origin_(origin), head_(std::size_t{kLevels} << kHashBits, 0), step_(kLevels * kWindowSize, 0)
    {
    }

    struct Match {
        unsigned length = 0;
        unsigned distance = 0;
    };

    // Enters position p: each position once, in order.
    void Insert(std::size_t p)
    {
        Link<0>(p);
        Link<1>(p);
        Link<2>(p);
    }

    // Enters p and returns the longest match with an earlier position that
    // the walks find, up to limit bytes, if it is longer than `than` bytes
    // (at least kMinMatch - 1); else a match of length 0.
    Match Find(std::size_t p, unsigned limit, unsigned than)
    {
        const unsigned first[kLevels] = {Link<0>(p), Link<1>(p), Link<2>(p)};
        const std::size_t reach = std::min(kMaxDistance, p);
        const unsigned char* current = At(p);
        Match best{than, 0};
        for (unsigned level = 0; level < kLevels; ++level) {
            // What a shorter key adds beyond the longer one's walk is shorter
            // than that key.
            if (level > 0 && best.length >= kKeyLength[level - 1]) break;
            const std::uint16_t* step = &step_[level * kWindowSize];
            unsigned depth = kDepth[level];
            for (std::size_t distance = first[level]; distance <= reach && depth-- > 0;
                 distance += step[(p - distance) & kWindowMask]) {
                const unsigned char* other = current - distance;
                // A longer match agrees on the best one's last byte and the next.
                if (Load16(other + best.length - 1) != Load16(current + best.length - 1)) continue;
                unsigned length = CommonLength(other, current, limit);
                if (length > best.length) {
                    best = Match{length, static_cast<unsigned>(distance)};
                    if (length == limit) return best;
                }
            }
        }
        return best.length > than ? best : Match{};
    }

private:
    static constexpr unsigned kLevels = 3;
    static constexpr unsigned kKeyLength[kLevels] = {10, 5, 3};
    // Candidates looked at per chain: the deep ones pay on text, which
    // finds its longest matches far down.
    static constexpr unsigned kDepth[kLevels] = {64, 64, 16};
    // Enough buckets that binary data's chains are rarely mixed.
    static constexpr unsigned kHashBits = 15;

    const unsigned char* At(std::size_t p) const { return data_ + (p - origin_); }

    template <unsigned K>
    static std::uint32_t Hash(const unsigned char* s)
    {
        std::uint64_t h;
        if constexpr (K <= 8)
            h = (Load64(s) << (64 - 8 * K)) * 0x9E3779B97F4A7C15u;
        else
            h = Load64(s) * 0x9E3779B97F4A7C15u ^ (Load64(s + 8) << (128 - 8 * K)) * 0xC2B2AE3D27D4EB4Fu;
        return static_cast<std::uint32_t>(h >> (64 - kHashBits));
    }

    // Puts p at the head of its chain on level L and returns the distance
    // to the previous head: 1 to 65536, beyond the window when there is
    // none. Heads keep 16 bits of a position; one left from 64 KiB or more
    // back may point at the wrong place, which only costs a comparison.
    template <unsigned L>
    unsigned Link(std::size_t p)
    {
        std::uint16_t& head = head_[L << kHashBits | Hash<kKeyLength[L]>(At(p))];
        const unsigned distance = ((static_cast<unsigned>(p) - head - 1) & 0xFFFF) + 1;
        head = static_cast<std::uint16_t>(p);
        // Steps past the window end a walk.
        step_[L * kWindowSize + (p & kWindowMask)] =
            static_cast<std::uint16_t>(distance <= kMaxDistance ? distance : kWindowSize);
        return distance;
    }

    const unsigned char* data_;
    std::size_t origin_;
    std::vector<std::uint16_t> head_; // per level and hash
    std::vector<std::uint16_t> step_; // per level and window slot: back to the next in the chain
};

// Flag bytes and tokens, eight tokens to a flag byte, literals flagged 1.
// Bytes are handed on once no later token can change them.
class TokenWriter {
public:
    // Room for count more tokens.
    void Reserve(std::size_t count) { bytes_.resize(used_ + count + count / 8 + 1); }

    void Literal(unsigned char c)
    {
        Flag(1);
        bytes_[used_++] = static_cast<char>(c);
    }
    // ringOffset: where the match starts in the expander's window.
    void Match(unsigned ringOffset, unsigned length)
    {
        Flag(0);
        bytes_[used_++] = static_cast<char>(ringOffset & 0xFF);
        bytes_[used_++] = static_cast<char>((ringOffset >> 4 & 0xF0) | (length - kMinMatch));
    }

    // Hands on everything before an open flag byte, or everything at the end.
    void Flush(const SzddSink& write, bool end)
    {
        const std::size_t done = end || bit_ == 8 ? used_ : flag_;
        if (done) write(bytes_.data(), done);
        std::copy(bytes_.begin() + static_cast<std::ptrdiff_t>(done), bytes_.begin() + static_cast<std::ptrdiff_t>(used_),
                  bytes_.begin());
        used_ -= done;
        flag_ -= std::min(flag_, done);
    }

private:
    void Flag(unsigned literal)
    {
        if (bit_ == 8) {
            flag_ = used_++;
            bytes_[flag_] = 0;
            bit_ = 0;
        }
        bytes_[flag_] = static_cast<char>(bytes_[flag_] | literal << bit_);
        ++bit_;
    }

    std::string bytes_;
    std::size_t used_ = 0;
    std::size_t flag_ = 0;
    unsigned bit_ = 8;
};

// Ring position of buffer index i.
unsigned RingPosition(std::size_t i)
{
    return static_cast<unsigned>((kFirstWritePosition - kBlankPrefix + i) & kWindowMask);
}

// One step of a parse: a literal (length 1) or a match.
struct Token {
    std::uint16_t distance;
    std::uint8_t length;
};

// A parse of the positions [begin, end) of buffer (which holds the positions
// from origin on), with the window before begin as history:
// each position's longest match found, unless the next position has a
// longer one, which gets a literal before it.
std::vector<Token> ParseSegment(const unsigned char* buffer, std::size_t origin, std::size_t begin, std::size_t end)
{
    MatchFinder finder(buffer, origin);
    for (std::size_t p = begin - std::min(begin, kWindowSize); p < begin; ++p) finder.Insert(p);

    std::vector<Token> parse;
    parse.reserve((end - begin) / 4);
    MatchFinder::Match match;
    bool known = false; // match is already p's, from the look ahead
    for (std::size_t p = begin; p < end;) {
        const unsigned limit = static_cast<unsigned>(std::min(kMaxMatch, end - p));
        if (!known) match = finder.Find(p, limit, kMinMatch - 1);
        known = false;
        if (match.length == 0) {
            parse.push_back(Token{0, 1});
            ++p;
            continue;
        }
        std::size_t entered = p + 1;
        if (match.length < std::min(limit, kLazyLimit)) {
            const unsigned nextLimit = static_cast<unsigned>(std::min(kMaxMatch, end - p - 1));
            MatchFinder::Match next = finder.Find(p + 1, nextLimit, match.length);
            ++entered;
            if (next.length != 0) {
                parse.push_back(Token{0, 1});
                ++p;
                match = next;
                known = true;
                continue;
            }
        }
        parse.push_back(Token{static_cast<std::uint16_t>(match.distance), static_cast<std::uint8_t>(match.length)});
        for (std::size_t q = entered; q < p + match.length; ++q) finder.Insert(q);
        p += match.length;
    }
    return parse;
}

// The input as positions: the window's blanks, the data, blanks after it.
// Holds the window before the positions being parsed and the slack after
// them, reading the data as the parse moves on.
class InputWindow {
public:
    InputWindow(std::uint64_t size, const SzddSource& read) : end_(kBlankPrefix + size), read_(read) {}

    std::size_t End() const { return end_; }
    std::size_t Origin() const { return origin_; }
    const unsigned char* Data() const { return bytes_.data(); }
    unsigned char At(std::size_t p) const { return bytes_[p - origin_]; }

    // Holds the positions [origin, until) and kReadSlack more, dropping
    // those before origin; neither end moves back.
    void Hold(std::size_t origin, std::size_t until)
    {
        const std::size_t kept = filled_ - origin;
        const auto from = bytes_.begin() + static_cast<std::ptrdiff_t>(origin - origin_);
        std::copy(from, from + static_cast<std::ptrdiff_t>(kept), bytes_.begin());
        origin_ = origin;
        const std::size_t need = until + kReadSlack;
        bytes_.resize(need - origin_);
        std::fill(bytes_.begin() + static_cast<std::ptrdiff_t>(kept), bytes_.end(), ' ');
        for (std::size_t p = std::max(filled_, kBlankPrefix), to = std::min(need, end_); p < to;) {
            std::size_t got = read_(reinterpret_cast<char*>(&bytes_[p - origin_]), to - p);
            if (got == 0) throw Exception("the data ended " + std::to_string(end_ - p) + " bytes before its length");
            p += got;
        }
        filled_ = need;
    }

private:
    std::size_t end_;
    const SzddSource& read_;
    std::vector<unsigned char> bytes_ = std::vector<unsigned char>(kBlankPrefix, ' ');
    std::size_t origin_ = 0;
    std::size_t filled_ = kBlankPrefix; // positions below are in bytes_
};

} // namespace

void CompressSzdd(std::uint64_t size, const SzddSource& read, const SzddSink& write, char lastChar)
{
    if (size > std::numeric_limits<std::uint32_t>::max())
        throw Exception("file too large for the LZ format: " + std::to_string(size) + " bytes");
    std::string header(reinterpret_cast<const char*>(kSzddMagic), kSzddMagicSize);
    header.push_back(static_cast<char>(kSzddMethodA));
    header.push_back(lastChar);
    for (int i = 0; i < 4; ++i) header.push_back(static_cast<char>(size >> (8 * i) & 0xFF));
    write(header.data(), header.size());
    if (size == 0) return;

    // Positions count from the blanks the window starts with. Segments are
    // parsed side by side, a round of them at a time, each with the window
    // before it as history, so a round needs only its own data and one
    // window more in memory; the parses are written in order.
    InputWindow input(size, read);
    const std::size_t end = input.End();
    const std::size_t segments = (size + kSegmentSize - 1) / kSegmentSize;
    const std::size_t workers = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, segments);
    std::vector<std::vector<Token>> parses(workers);
    TokenWriter writer;
    for (std::size_t round = 0; round < segments; round += workers) {
        const std::size_t count = std::min(workers, segments - round);
        const std::size_t roundBegin = kBlankPrefix + round * kSegmentSize;
        const std::size_t roundEnd = std::min(end, roundBegin + count * kSegmentSize);
        input.Hold(roundBegin - std::min(roundBegin, kWindowSize), roundEnd);
        auto parse = [&](std::size_t k) {
            std::size_t begin = roundBegin + k * kSegmentSize;
            parses[k] = ParseSegment(input.Data(), input.Origin(), begin, std::min(end, begin + kSegmentSize));
        };
        // The failures outlive the threads that write them; the threads
        // are joined when they go, also when a later one fails to start.
        std::vector<std::exception_ptr> failures(count);
        std::vector<std::jthread> threads;
        for (std::size_t k = 1; k < count; ++k)
            threads.emplace_back([&, k] {
                try {
                    parse(k);
                } catch (...) {
                    failures[k] = std::current_exception();
                }
            });
        try {
            parse(0);
        } catch (...) {
            failures[0] = std::current_exception();
        }
        threads.clear();
        for (const std::exception_ptr& failure : failures)
            if (failure) std::rethrow_exception(failure);

        // At worst every token is a literal.
        writer.Reserve(roundEnd - roundBegin);
        std::size_t p = roundBegin;
        for (std::size_t k = 0; k < count; ++k) {
            for (const Token& token : parses[k]) {
                if (token.length == 1) {
                    writer.Literal(input.At(p));
                } else {
                    writer.Match(RingPosition(p - token.distance), token.length);
                }
                p += token.length;
            }
        }
        writer.Flush(write, false);
    }
    writer.Flush(write, true);
}

std::string CompressSzdd(std::string_view data, char lastChar)
{
    std::string out;
    std::size_t at = 0;
    CompressSzdd(
        data.size(),
        [&](char* into, std::size_t most) {
            std::size_t n = std::min(most, data.size() - at);
            std::copy_n(data.data() + at, n, into);
            at += n;
            return n;
        },
        [&](const char* bytes, std::size_t count) { out.append(bytes, count); }, lastChar);
    return out;
}

namespace {
// Where the extension's dot is, or npos when the name has none.
std::size_t ExtensionDot(std::string_view name)
{
    std::size_t dot = name.find_last_of(".\\/:");
    return dot != std::string_view::npos && name[dot] == '.' ? dot : std::string_view::npos;
}
} // namespace

std::string CompressedName(std::string_view fileName)
{
    std::string name(fileName);
    std::size_t dot = ExtensionDot(name);
    if (dot == std::string::npos) return name + "._";
    if (name.size() - dot - 1 >= 3) {
        name.back() = '_';
        return name;
    }
    return name + "_";
}

char ReplacedChar(std::string_view fileName)
{
    std::size_t dot = ExtensionDot(fileName);
    if (dot == std::string_view::npos || fileName.size() - dot - 1 < 3) return 0;
    return fileName.back();
}

} // namespace tarvex
