// Our compressor's output through the platform's LZ expansion: lz32 in the
// win32 build, our expander natively. Each case must come back unchanged.
#include "common/GeneratedData.h"
#include "TestSupport.h"

#include "authoring/FileBytes.h"
#include "formats/SzddCompressor.h"
#include "platform/LzExpand.h"

#include <gtest/gtest.h>

#include <random>

namespace tarvex {
namespace {

using test::GeneratedPath;
using test::ScratchDir;

std::string RoundTrip(const ScratchDir& dir, const std::string& data)
{
    std::string compressed = dir.Write("in_", CompressSzdd(data, 'x'));
    platform::LzExpandFile(compressed, dir.File("out"));
    return ReadFileBytes(dir.File("out"));
}

std::string RandomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string out(size, '\0');
    for (char& c : out) c = static_cast<char>(random());
    return out;
}

// A block of noise (which has no matches of its own) repeated at a given
// distance, so that the only matches reach exactly that far back.
std::string RepeatedAt(std::size_t distance, std::size_t repeatLength)
{
    std::string noise = RandomBytes(distance, static_cast<unsigned>(distance));
    return noise + noise.substr(0, repeatLength) + RandomBytes(50, 3);
}

TEST(SzddCompressor, SmallInputsComeBack)
{
    ScratchDir dir;
    // mscompress gets files under 16 bytes wrong; every size here counts.
    for (std::size_t size = 0; size <= 40; ++size) {
        std::string data = RandomBytes(size, 7).substr(0, size / 2) + std::string(size - size / 2, 'a');
        EXPECT_EQ(RoundTrip(dir, data), data) << "size " << size;
    }
    for (std::string data : {std::string(" "), std::string("   abc"), std::string(18, ' '), std::string(40, ' ') + "x"})
        EXPECT_EQ(RoundTrip(dir, data), data) << "leading blanks (the window's initial fill): " << data.size();
}

TEST(SzddCompressor, LargerInputsComeBack)
{
    ScratchDir dir;
    std::string text = ReadFileBytes(GeneratedPath("lz/text"));
    ASSERT_GT(text.size(), 100000u) << "test data missing: build the test_data target";
    struct Case {
        const char* what;
        std::string data;
    } cases[] = {
        {"text", text},
        {"random", RandomBytes(70000, 1)},
        {"long run", std::string(100000, '\0')},
        {"short cycles", [] {
             std::string s;
             for (int i = 0; i < 30000; ++i) s += static_cast<char>(i % 7 + (i / 700) % 3);
             return s;
         }()},
        // Past one segment of parallel parsing: matches across the seams.
        {"several segments", text + RandomBytes(300000, 2) + text.substr(0, 150000) + text},
        // Segments of 512 KiB: the last one whole, or a single byte.
        {"two whole segments", (text + text + text + text + text + text).substr(0, 1 << 20)},
        {"a byte past two segments", (text + text + text + text + text + text).substr(0, (1 << 20) + 1)},
    };
    for (const Case& c : cases) EXPECT_EQ(RoundTrip(dir, c.data), c.data) << c.what;
}

TEST(SzddCompressor, MatchesAtTheWindowEdge)
{
    ScratchDir dir;
    // 4095 is the farthest a match reaches; 4096 and more must be literals
    // (or matches elsewhere) and still come back.
    for (std::size_t distance : {std::size_t{4078}, std::size_t{4094}, std::size_t{4095}, std::size_t{4096},
                                 std::size_t{4097}, std::size_t{5000}}) {
        for (std::size_t length : {std::size_t{3}, std::size_t{18}, std::size_t{40}}) {
            std::string data = RepeatedAt(distance, length);
            EXPECT_EQ(RoundTrip(dir, data), data) << "distance " << distance << " length " << length;
        }
    }
    // Within the window the repeat is found: 40 bytes cost far less than
    // 40 literals.
    std::size_t plain = CompressSzdd(RepeatedAt(4095, 0)).size();
    EXPECT_LT(CompressSzdd(RepeatedAt(4095, 40)).size(), plain + 10);
    EXPECT_GT(CompressSzdd(RepeatedAt(4097, 40)).size(), plain + 40);
}

TEST(SzddCompressor, SizesAroundTheWindowComeBack)
{
    ScratchDir dir;
    for (std::size_t size : {std::size_t{4094}, std::size_t{4095}, std::size_t{4096}, std::size_t{4097},
                             std::size_t{8191}, std::size_t{8192}, std::size_t{8193}}) {
        std::string cycle; // a period longer than a match: every match is a full one but the last
        for (std::size_t i = 0; i < size; ++i) cycle += static_cast<char>('a' + i % 23);
        for (const std::string& data : {RandomBytes(size, static_cast<unsigned>(size)), std::string(size, 'r'), cycle})
            EXPECT_EQ(RoundTrip(dir, data), data) << "size " << size;
    }
}

// The expander's ring starts 16 bytes before its end, so file offset 16,
// and every 4096 after it, is slot 0: a match may copy from over the end.
TEST(SzddCompressor, MatchesOverTheRingEnd)
{
    ScratchDir dir;
    for (std::size_t wrap : {std::size_t{16}, std::size_t{16 + 4096}, std::size_t{16 + 3 * 4096}}) {
        for (std::size_t before : {std::size_t{1}, std::size_t{9}, std::size_t{15}}) {
            std::string noise = RandomBytes(wrap + 300, static_cast<unsigned>(wrap + before));
            std::string data = noise;
            data.replace(wrap - before + 200, 18, noise, wrap - before, 18);
            EXPECT_EQ(RoundTrip(dir, data), data) << "wrap " << wrap << ", " << before << " before it";
            // The copy is found: 18 literals cost 20 bytes, a match 2.
            EXPECT_LT(CompressSzdd(data).size() + 10, CompressSzdd(noise).size()) << wrap << " " << before;
        }
        // A run over the end copies from itself.
        std::string run = RandomBytes(wrap - 5, 9) + std::string(40, 'q') + RandomBytes(20, 10);
        EXPECT_EQ(RoundTrip(dir, run), run) << "run over " << wrap;
    }
}

// The match finder keeps 16 bits of a position: a repeat 64 KiB back, out
// of the window, must not be taken for one nearby, nor hide one that is.
TEST(SzddCompressor, RepeatsSixtyFourKiBBack)
{
    ScratchDir dir;
    for (std::size_t distance : {std::size_t{65536 - 100}, std::size_t{65536}, std::size_t{65536 + 7},
                                 std::size_t{65536 + 4095}, std::size_t{131072 + 3}}) {
        std::string noise = RandomBytes(distance, static_cast<unsigned>(distance));
        std::string far = noise + noise.substr(0, 40) + RandomBytes(100, 11);
        EXPECT_EQ(RoundTrip(dir, far), far) << "distance " << distance;
        std::string near = far + noise.substr(distance - 1000, 40);
        EXPECT_EQ(RoundTrip(dir, near), near) << "distance " << distance;
        EXPECT_LT(CompressSzdd(near).size(), CompressSzdd(far).size() + 10) << "distance " << distance;
    }
}

// The stream holds a round of segments and one window at a time: input in
// small pieces and past several rounds comes out as the whole input does,
// and a source that ends before its length is an error, not a short file.
TEST(SzddCompressor, StreamedInputGivesTheSameBytes)
{
    std::string text = ReadFileBytes(GeneratedPath("lz/text"));
    ASSERT_GT(text.size(), 100000u) << "test data missing: build the test_data target";
    std::string data;
    for (unsigned i = 0; data.size() < (5u << 20) + 333; ++i) data += i % 3 ? text : RandomBytes(70000, i);
    const auto streamed = [](const std::string& input, std::uint64_t length) {
        std::string out;
        std::size_t at = 0;
        CompressSzdd(
            length,
            [&](char* into, std::size_t most) {
                std::size_t n = std::min({most, input.size() - at, std::size_t{4093}});
                std::copy_n(input.data() + at, n, into);
                at += n;
                return n;
            },
            [&](const char* bytes, std::size_t count) { out.append(bytes, count); }, 'x');
        return out;
    };
    std::string whole = CompressSzdd(data, 'x');
    EXPECT_TRUE(streamed(data, data.size()) == whole);
    ScratchDir dir;
    platform::LzExpandFile(dir.Write("in_", whole), dir.File("out"));
    EXPECT_TRUE(ReadFileBytes(dir.File("out")) == data);
    EXPECT_THROW(streamed(data, data.size() + 1), Exception);
}

TEST(SzddCompressor, HeaderNamesTheLengthAndTheReplacedCharacter)
{
    std::string out = CompressSzdd(std::string(70000, 'z'), 'e');
    ASSERT_GE(out.size(), 14u);
    EXPECT_EQ(out.substr(0, 9), std::string("SZDD\x88\xf0\x27\x33" "A"));
    EXPECT_EQ(out[9], 'e');
    EXPECT_EQ(out.substr(10, 4), std::string("\x70\x11\x01\x00", 4));
    // A run is all long matches: 17 bits for 18 bytes.
    EXPECT_LT(out.size(), 70000u * 17 / 18 / 8 + 100);
    EXPECT_EQ(CompressSzdd("", 0).size(), 14u);
}

// The size goal: never larger than mscompress's output on the same data.
TEST(SzddCompressor, NoLargerThanMscompress)
{
    for (const char* name : {"text", "random", "mixed"}) {
        std::string original = ReadFileBytes(GeneratedPath(std::string("lz/") + name));
        std::string theirs = ReadFileBytes(GeneratedPath(std::string("lz/") + name + "_"));
        ASSERT_FALSE(original.empty()) << name;
        EXPECT_LE(CompressSzdd(original).size(), theirs.size()) << name;
    }
}

TEST(SzddCompressor, MediumNames)
{
    struct Case {
        const char* name;
        const char* compressed;
        char replaced;
    } cases[] = {
        {"demo.exe", "demo.ex_", 'e'}, {"manual.html", "manual.htm_", 'l'}, {"a.c", "a.c_", 0},
        {"README", "README._", 0},     {"dir.v2\\file", "dir.v2\\file._", 0}, {"x.", "x._", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CompressedName(c.name), c.compressed) << c.name;
        EXPECT_EQ(ReplacedChar(c.name), c.replaced) << c.name;
    }
}

} // namespace
} // namespace tarvex
