#include "formats/SzddExpander.h"

#include "formats/SzddFormat.h"

#include <cstring>
#include <memory>

namespace tarvex {

namespace {

constexpr std::size_t kWindowSize = 4096;
constexpr unsigned kWindowMask = kWindowSize - 1;
constexpr unsigned kFirstWritePosition = kWindowSize - 16;
constexpr std::size_t kMaxMatch = 18;
// One flag byte and eight tokens: the most a group reads and writes.
constexpr std::size_t kGroupInput = 1 + 8 * 2;
constexpr std::size_t kGroupOutput = 8 * kMaxMatch;
constexpr std::size_t kInputSize = 256 * 1024;
constexpr std::size_t kOutputSize = 256 * 1024;

// Buffered reading with a guaranteed look-ahead where the data allows it.
class Input {
public:
    explicit Input(ByteSource& source) : source_(source), buffer_(new unsigned char[kInputSize]) {}

    const unsigned char* Data() const { return buffer_.get() + pos_; }
    std::size_t Available() const { return end_ - pos_; }
    void Consume(std::size_t n) { pos_ += n; }

    // Makes at least want bytes available unless the data ends first.
    std::size_t Fill(std::size_t want)
    {
        if (Available() >= want || ended_) return Available();
        std::memmove(buffer_.get(), buffer_.get() + pos_, Available());
        end_ -= pos_;
        pos_ = 0;
        while (end_ < want && !ended_) {
            std::size_t n = source_.Read(buffer_.get() + end_, kInputSize - end_);
            if (n == 0) ended_ = true;
            end_ += n;
        }
        return Available();
    }

    // Reads a full buffer's worth where possible (plain copies).
    std::size_t Refill()
    {
        pos_ = end_ = 0;
        if (ended_) return 0;
        std::size_t n = source_.Read(buffer_.get(), kInputSize);
        if (n == 0) ended_ = true;
        end_ = n;
        return n;
    }

private:
    ByteSource& source_;
    std::unique_ptr<unsigned char[]> buffer_;
    std::size_t pos_ = 0, end_ = 0;
    bool ended_ = false;
};

std::uint64_t CopyPlain(Input& in, ByteSink& out)
{
    std::uint64_t total = 0;
    do {
        out.Write(in.Data(), in.Available());
        total += in.Available();
    } while (in.Refill() > 0);
    return total;
}

[[noreturn]] void ThrowTruncated() { throw SzddError("compressed data ends before its declared length"); }

// The LZSS stream. Output goes to a linear buffer whose first kWindowSize
// bytes always hold the latest window, so a match is a plain backward copy;
// the ring position only serves to turn a match's window offset into a
// distance.
std::uint64_t ExpandData(Input& in, ByteSink& out, std::uint32_t length)
{
    constexpr std::size_t capacity = kWindowSize + kOutputSize;
    // Slack past capacity: a short match is copied as a fixed 18 bytes.
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[capacity + kMaxMatch]);
    unsigned char* const base = buffer.get();
    std::memset(base, ' ', kWindowSize);
    std::size_t op = kWindowSize;
    unsigned ring = kFirstWritePosition;
    std::uint64_t remaining = length;
    unsigned flags = 0; // the current flag byte in the low bits, above it one marker bit per token left

    auto flush = [&] {
        out.Write(base + kWindowSize, op - kWindowSize);
        std::memmove(base, base + op - kWindowSize, kWindowSize);
        op = kWindowSize;
    };
    auto copyMatch = [&](unsigned char* dst, unsigned offset, std::size_t len) {
        unsigned distance = (ring - offset) & kWindowMask;
        if (distance == 0) distance = kWindowSize;
        const unsigned char* src = dst - distance;
        if (distance >= kMaxMatch) {
            std::memcpy(dst, src, kMaxMatch);
        } else {
            for (std::size_t i = 0; i < len; ++i) dst[i] = src[i];
        }
    };

    while (remaining > 0) {
        if (op + kGroupOutput > capacity) flush();
        if (flags <= 1 && remaining >= kGroupOutput && in.Fill(kGroupInput) >= kGroupInput) {
            // A whole group with every bound known to hold.
            const unsigned char* ip = in.Data();
            unsigned char* dst = base + op;
            unsigned groupFlags = *ip++;
            for (int k = 0; k < 8; ++k, groupFlags >>= 1) {
                if (groupFlags & 1) {
                    *dst++ = *ip++;
                    ring = (ring + 1) & kWindowMask;
                } else {
                    unsigned offset = ip[0] | (static_cast<unsigned>(ip[1] & 0xF0) << 4);
                    std::size_t len = (ip[1] & 0x0F) + 3u;
                    ip += 2;
                    copyMatch(dst, offset, len);
                    dst += len;
                    ring = static_cast<unsigned>(ring + len) & kWindowMask;
                }
            }
            std::size_t produced = static_cast<std::size_t>(dst - (base + op));
            op += produced;
            remaining -= produced;
            in.Consume(static_cast<std::size_t>(ip - in.Data()));
            continue;
        }
        // One token at a time near the ends of the data or of the length.
        if (flags <= 1) {
            if (in.Fill(1) < 1) ThrowTruncated();
            flags = *in.Data() | 0x100u;
            in.Consume(1);
        }
        bool literal = flags & 1;
        flags >>= 1;
        if (literal) {
            if (in.Fill(1) < 1) ThrowTruncated();
            base[op++] = *in.Data();
            in.Consume(1);
            ring = (ring + 1) & kWindowMask;
            --remaining;
        } else {
            if (in.Fill(2) < 2) ThrowTruncated();
            const unsigned char* ip = in.Data();
            unsigned offset = ip[0] | (static_cast<unsigned>(ip[1] & 0xF0) << 4);
            std::size_t len = (ip[1] & 0x0F) + 3u;
            in.Consume(2);
            copyMatch(base + op, offset, len);
            if (len > remaining) len = static_cast<std::size_t>(remaining);
            op += len;
            ring = static_cast<unsigned>(ring + len) & kWindowMask;
            remaining -= len;
        }
    }
    out.Write(base + kWindowSize, op - kWindowSize);
    return length;
}

} // namespace

std::uint64_t ExpandSzdd(ByteSource& source, ByteSink& out)
{
    Input in(source);
    std::size_t got = in.Fill(kSzddHeaderSize);
    SzddHeader header = ParseSzddHeader(in.Data(), got);
    switch (header.kind) {
    case SzddKind::Plain:
        return CopyPlain(in, out);
    case SzddKind::Truncated:
        throw SzddError("compressed file header is cut short");
    case SzddKind::UnknownMethod:
        throw SzddError("unknown compression method");
    case SzddKind::Compressed:
        break;
    }
    in.Consume(kSzddHeaderSize);
    return ExpandData(in, out, header.length);
}

} // namespace tarvex
