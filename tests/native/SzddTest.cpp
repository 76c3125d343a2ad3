// Our SZDD expander on memory: window edge cases, streaming through small
// reads, and damaged input.
#include "formats/SzddExpander.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace tarvex::platform {
namespace {

class MemorySource : public ByteSource {
public:
    MemorySource(std::string data, std::size_t chunk) : data_(std::move(data)), chunk_(chunk) {}
    std::size_t Read(unsigned char* buffer, std::size_t size) override
    {
        std::size_t n = std::min({size, chunk_, data_.size() - pos_});
        std::copy_n(data_.data() + pos_, n, buffer);
        pos_ += n;
        return n;
    }

private:
    std::string data_;
    std::size_t chunk_;
    std::size_t pos_ = 0;
};

class StringSink : public ByteSink {
public:
    void Write(const unsigned char* data, std::size_t size) override
    {
        text.append(reinterpret_cast<const char*>(data), size);
    }
    std::string text;
};

std::string Header(std::uint32_t length)
{
    std::string out("SZDD\x88\xf0\x27\x33" "A\0", 10);
    for (int i = 0; i < 4; ++i) out += static_cast<char>(length >> (8 * i) & 0xFF);
    return out;
}

// A match token: window offset and length 3..18.
std::string Match(unsigned offset, unsigned length)
{
    return {static_cast<char>(offset & 0xFF), static_cast<char>((offset >> 4 & 0xF0) | (length - 3))};
}

std::string Expand(const std::string& file, std::size_t chunk = 1 << 20)
{
    MemorySource source(file, chunk);
    StringSink sink;
    std::uint64_t written = ExpandSzdd(source, sink);
    EXPECT_EQ(written, sink.text.size());
    return sink.text;
}

// A simple greedy compressor, enough to make long valid streams with
// matches at every distance (the reference is the ring offset rule).
std::string Compress(const std::string& data)
{
    std::string out = Header(static_cast<std::uint32_t>(data.size()));
    std::string window(4096, ' ');
    unsigned ring = 4096 - 16;
    std::size_t i = 0;
    while (i < data.size()) {
        std::size_t flagAt = out.size();
        out += '\0';
        unsigned flags = 0;
        for (int bit = 0; bit < 8 && i < data.size(); ++bit) {
            std::size_t bestLength = 0;
            unsigned bestOffset = 0;
            for (std::size_t back = 1; back <= 4096 && back <= i + 4096; back += 1 + back / 64) {
                unsigned offset = (ring - back) & 0xFFF;
                std::size_t length = 0;
                // Past the distance the copy reads what it has just written.
                while (length < 18 && i + length < data.size() &&
                       (length < back ? window[(offset + length) & 0xFFF] : data[i + length - back]) == data[i + length])
                    ++length;
                if (length > bestLength) {
                    bestLength = length;
                    bestOffset = offset;
                }
            }
            std::size_t take = bestLength >= 3 ? bestLength : 1;
            if (take == 1) {
                flags |= 1u << bit;
                out += data[i];
            } else {
                out += Match(bestOffset, static_cast<unsigned>(take));
            }
            for (std::size_t k = 0; k < take; ++k) {
                window[ring] = data[i + k];
                ring = (ring + 1) & 0xFFF;
            }
            i += take;
        }
        out[flagAt] = static_cast<char>(flags);
    }
    return out;
}

TEST(Szdd, MatchesReachIntoTheInitialSpaces)
{
    // Nothing written yet: offset 0 is 4080 bytes back, all spaces.
    EXPECT_EQ(Expand(Header(18) + '\0' + Match(0, 18)), std::string(18, ' '));
    // A literal then a run copied from it: overlapping copy.
    EXPECT_EQ(Expand(Header(19) + "\x01" "x" + Match(4080, 18)), std::string(19, 'x'));
    // The write position itself: the byte written 4096 bytes ago.
    EXPECT_EQ(Expand(Header(4)  + "\x01" "y" + Match(4081, 3)), "y   ");
}

TEST(Szdd, AnyReadSizeGivesTheSameOutput)
{
    std::mt19937 random(5);
    std::string data;
    for (int i = 0; i < 40000; ++i)
        data += (i / 997) % 2 ? static_cast<char>('a' + random() % 3) : static_cast<char>(random());
    std::string file = Compress(data);
    for (std::size_t chunk : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{17}, std::size_t{4096},
                              file.size()}) {
        EXPECT_EQ(Expand(file, chunk), data) << "chunk " << chunk;
    }
}

TEST(Szdd, OutputLargerThanTheBufferKeepsItsWindow)
{
    // Over a megabyte of short-period text: matches straddle every flush.
    std::string data;
    for (int i = 0; data.size() < (1u << 20) + 777; ++i) data += "line " + std::to_string(i % 5003) + "\r\n";
    EXPECT_EQ(Expand(Compress(data)), data);
}

TEST(Szdd, PlainInputPassesThrough)
{
    for (std::string data : {std::string(), std::string("SZDD"), std::string(300000, 'q')})
        EXPECT_EQ(Expand(data, 1000), data);
}

TEST(Szdd, EveryTruncationAndFlipIsHandled)
{
    std::string data(3000, 'a');
    for (std::size_t i = 0; i < data.size(); i += 7) data[i] = static_cast<char>(i);
    std::string file = Compress(data);
    for (std::size_t keep = 0; keep < file.size(); ++keep) {
        std::string cut = file.substr(0, keep);
        if (keep < 8) {
            EXPECT_EQ(Expand(cut), cut); // no full magic: plain
        } else {
            EXPECT_THROW(Expand(cut), SzddError) << "kept " << keep;
        }
    }
    std::mt19937 random(9);
    for (int round = 0; round < 2000; ++round) {
        std::string damaged = file;
        damaged[14 + random() % (damaged.size() - 14)] ^= static_cast<char>(1 + random() % 255);
        try {
            EXPECT_EQ(Expand(damaged).size(), data.size());
        } catch (const SzddError&) {
        }
    }
}

} // namespace
} // namespace tarvex::platform
