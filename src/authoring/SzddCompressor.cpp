#include "authoring/SzddCompressor.h"

#include "platform/Exception.h"
#include "platform/SzddFormat.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <exception>
#include <limits>
#include <thread>
#include <vector>

namespace tarvex {

// Match lengths are read eight bytes at a time, lowest address first.
static_assert(std::endian::native == std::endian::little);

namespace {

constexpr std::size_t kWindowSize = 4096;
constexpr unsigned kWindowMask = kWindowSize - 1;
// The expander writes the first byte at this ring position.
constexpr unsigned kFirstWritePosition = kWindowSize - 16;
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 18;
// The ring slot a whole window back is the one the expander writes next,
// so a match reaches back one byte less.
constexpr std::size_t kMaxDistance = kWindowSize - 1;
// The window's initial blanks right before the first write position are
// history a match may use (a file that opens with blanks).
constexpr std::size_t kBlankPrefix = kMaxMatch;
// Positions the optimal parse looks at in one piece.
constexpr std::size_t kBlockSize = 1 << 16;
// Data parsed by one thread: a window of history before it is looked at
// again, so that segments do not depend on each other.
constexpr std::size_t kSegmentSize = 1 << 19;
constexpr unsigned kHashBits = 13;
// Bytes the match finder may read past the data (compared eight at a time).
constexpr std::size_t kReadSlack = 8;

constexpr std::uint32_t kLiteralBits = 9;
constexpr std::uint32_t kMatchBits = 17;

// A binary search tree per three-byte hash of the positions in the last
// window, ordered by the bytes that follow them; every position is added in
// turn, and the walk that adds it passes its longest match.
class MatchFinder {
public:
    MatchFinder(const unsigned char* data, std::size_t size)
        : data_(data), size_(size), head_(std::size_t{1} << kHashBits, kNone), children_(2 * kWindowSize, kNone)
    {
    }

    struct Match {
        unsigned length = 0;
        unsigned distance = 0;
    };

    // Adds position p (each position once, in order) and returns its
    // longest match with an earlier position, up to kMaxMatch bytes.
    Match Insert(std::size_t p)
    {
        Match best;
        const std::size_t lengthLimit = std::min(kMaxMatch, size_ - p);
        if (lengthLimit < kMinMatch) return best; // too close to the end to matter
        const unsigned char* current = data_ + p;
        std::uint32_t& head = head_[Hash(p)];
        std::uint32_t candidate = head;
        head = static_cast<std::uint32_t>(p);
        std::uint32_t* smaller = &children_[2 * (p & kWindowMask)];   // where the next smaller node goes
        std::uint32_t* larger = &children_[2 * (p & kWindowMask) + 1]; // where the next larger one goes
        std::size_t smallerLength = 0, largerLength = 0;
        for (int depth = kMaxDepth;; --depth) {
            if (candidate == kNone || p - candidate > kMaxDistance || depth == 0) {
                *smaller = *larger = kNone;
                break;
            }
            std::uint32_t* pair = &children_[2 * (candidate & kWindowMask)];
            const unsigned char* other = data_ + candidate;
            std::size_t length = CommonLength(other, current, std::min(smallerLength, largerLength), lengthLimit);
            if (length > best.length) {
                best.length = static_cast<unsigned>(length);
                best.distance = static_cast<unsigned>(p - candidate);
            }
            if (length == lengthLimit) {
                // Equal as far as matches go: p takes the candidate's place.
                *smaller = pair[0];
                *larger = pair[1];
                break;
            }
            // Without branches: which side is a coin toss on most data.
            const bool isSmaller = other[length] < current[length];
            std::uint32_t*& side = isSmaller ? smaller : larger;
            *side = candidate;
            side = &pair[isSmaller ? 1 : 0];
            (isSmaller ? smallerLength : largerLength) = length;
            candidate = *side;
        }
        if (best.length < kMinMatch) best = Match{};
        return best;
    }

private:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
    // Bounds the walk on pathological data.
    static constexpr int kMaxDepth = 64;

    // How far a and b agree, knowing they agree on the first known bytes,
    // up to limit; reads up to kReadSlack bytes past the limit.
    static std::size_t CommonLength(const unsigned char* a, const unsigned char* b, std::size_t known, std::size_t limit)
    {
        for (std::size_t at = known; at < limit; at += 8) {
            std::uint64_t x, y;
            std::memcpy(&x, a + at, 8);
            std::memcpy(&y, b + at, 8);
            if (std::uint64_t diff = x ^ y) return std::min(limit, at + (std::countr_zero(diff) >> 3));
        }
        return limit;
    }

    std::uint32_t Hash(std::size_t p) const
    {
        std::uint32_t v = static_cast<std::uint32_t>(data_[p]) << 16 | static_cast<std::uint32_t>(data_[p + 1]) << 8 |
                          data_[p + 2];
        return (v * 2654435761u) >> (32 - kHashBits);
    }

    const unsigned char* data_;
    std::size_t size_;
    std::vector<std::uint32_t> head_;
    std::vector<std::uint32_t> children_; // per window slot: smaller, larger
};

// Flag bytes and tokens, eight tokens to a flag byte, literals flagged 1.
class TokenWriter {
public:
    explicit TokenWriter(std::string& out) : out_(out) {}

    void Literal(unsigned char c)
    {
        Flag(true);
        out_.push_back(static_cast<char>(c));
    }
    // ringOffset: where the match starts in the expander's window.
    void Match(unsigned ringOffset, unsigned length)
    {
        Flag(false);
        out_.push_back(static_cast<char>(ringOffset & 0xFF));
        out_.push_back(static_cast<char>((ringOffset >> 4 & 0xF0) | (length - kMinMatch)));
    }

private:
    void Flag(bool literal)
    {
        if (bit_ == 8) {
            flagAt_ = out_.size();
            out_.push_back(0);
            bit_ = 0;
        }
        if (literal) out_[flagAt_] = static_cast<char>(out_[flagAt_] | 1 << bit_);
        ++bit_;
    }

    std::string& out_;
    std::size_t flagAt_ = 0;
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

// The cheapest parse of buffer[begin, end), with the window before begin
// as history.
std::vector<Token> ParseSegment(const unsigned char* buffer, std::size_t size, std::size_t begin, std::size_t end)
{
    MatchFinder finder(buffer, size);
    for (std::size_t p = begin - std::min(begin, kWindowSize); p < begin; ++p) finder.Insert(p);

    std::vector<Token> parse;
    std::vector<MatchFinder::Match> matches(kBlockSize);
    std::vector<std::uint32_t> cost(kBlockSize + 1);
    std::vector<std::uint8_t> choice(kBlockSize); // 1 literal, else match length
    for (std::size_t blockStart = begin; blockStart < end; blockStart += kBlockSize) {
        const std::size_t n = std::min(end, blockStart + kBlockSize) - blockStart;
        for (std::size_t i = 0; i < n; ++i) {
            matches[i] = finder.Insert(blockStart + i);
            // A match may not run past the block: the parse ends there.
            matches[i].length = static_cast<unsigned>(std::min<std::size_t>(matches[i].length, n - i));
        }
        cost[n] = 0;
        for (std::size_t i = n; i-- > 0;) {
            std::uint32_t best = cost[i + 1] + kLiteralBits;
            std::uint8_t how = 1;
            for (unsigned length = kMinMatch; length <= matches[i].length; ++length) {
                std::uint32_t c = cost[i + length] + kMatchBits;
                bool take = c <= best; // ties go to the longer match: fewer tokens
                best = take ? c : best;
                how = take ? static_cast<std::uint8_t>(length) : how;
            }
            cost[i] = best;
            choice[i] = how;
        }
        for (std::size_t i = 0; i < n; i += choice[i])
            parse.push_back(Token{static_cast<std::uint16_t>(choice[i] == 1 ? 0 : matches[i].distance), choice[i]});
    }
    return parse;
}

} // namespace

std::string CompressSzdd(std::string_view data, char lastChar)
{
    if (data.size() > std::numeric_limits<std::uint32_t>::max())
        throw Exception("file too large for the LZ format: " + std::to_string(data.size()) + " bytes");
    std::string out(reinterpret_cast<const char*>(platform::kSzddMagic), platform::kSzddMagicSize);
    out.push_back(static_cast<char>(platform::kSzddMethodA));
    out.push_back(lastChar);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(data.size() >> (8 * i) & 0xFF));
    if (data.empty()) return out;
    out.reserve(out.size() + data.size() / 2 + 64);

    // The data behind the blanks the window starts with; positions below
    // count in this buffer.
    std::vector<unsigned char> buffer(kBlankPrefix + data.size() + kReadSlack, ' ');
    std::copy(data.begin(), data.end(), buffer.begin() + kBlankPrefix);
    const std::size_t end = kBlankPrefix + data.size();

    // Segments are parsed side by side, a round of them at a time so that
    // the parses held stay small, and written in order.
    const std::size_t segments = (data.size() + kSegmentSize - 1) / kSegmentSize;
    const std::size_t workers = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, segments);
    std::vector<std::vector<Token>> parses(workers);
    TokenWriter writer(out);
    for (std::size_t round = 0; round < segments; round += workers) {
        const std::size_t count = std::min(workers, segments - round);
        auto parse = [&](std::size_t k) {
            std::size_t begin = kBlankPrefix + (round + k) * kSegmentSize;
            parses[k] = ParseSegment(buffer.data(), end, begin, std::min(end, begin + kSegmentSize));
        };
        std::vector<std::thread> threads;
        std::vector<std::exception_ptr> failures(count);
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
        for (std::thread& t : threads) t.join();
        for (const std::exception_ptr& failure : failures)
            if (failure) std::rethrow_exception(failure);

        std::size_t p = kBlankPrefix + round * kSegmentSize;
        for (std::size_t k = 0; k < count; ++k) {
            for (const Token& token : parses[k]) {
                if (token.length == 1) {
                    writer.Literal(buffer[p]);
                } else {
                    writer.Match(RingPosition(p - token.distance), token.length);
                }
                p += token.length;
            }
        }
    }
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
