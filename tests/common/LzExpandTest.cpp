// LZ expansion through the platform service: lz32 in the win32 build, our
// expander natively, on the same mscompress output and damaged files.
#include "common/GeneratedData.h"
#include "TestSupport.h"

#include "platform/Files.h"
#include "platform/LzExpand.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace tarvex::platform {
namespace {

using test::GeneratedPath;
using test::ScratchDir;

using test::ReadBytes;

std::string SzddBytes(std::uint32_t length, const std::string& data)
{
    std::string out("SZDD\x88\xf0\x27\x33" "A\0", 10);
    for (int i = 0; i < 4; ++i) out += static_cast<char>(length >> (8 * i) & 0xFF);
    return out + data;
}

// Expands bytes written to a scratch file; the output, or the error.
struct Outcome {
    bool ok;
    std::string output;
    LzError::Stage stage{};
};
Outcome ExpandBytes(const ScratchDir& dir, const std::string& bytes)
{
    std::string source = dir.Write("in_", bytes);
    std::string dest = dir.File("out");
    try {
        LzExpandFile(source, dest);
        return {true, ReadBytes(dest)};
    } catch (const LzError& e) {
        return {false, "", e.GetStage()};
    }
}

class LzExpandMscompress : public testing::TestWithParam<const char*> {};

TEST_P(LzExpandMscompress, GivesTheOriginalBack)
{
    ScratchDir dir;
    std::string name = GetParam();
    std::string original = ReadBytes(GeneratedPath("lz/" + name));
    ASSERT_TRUE(original.size() > 0 || name == "empty") << "test data missing: build the test_data target";
    LzExpandFile(GeneratedPath("lz/" + name + "_"), dir.File("out"));
    EXPECT_EQ(ReadBytes(dir.File("out")), original);
}

INSTANTIATE_TEST_SUITE_P(Files, LzExpandMscompress,
                         testing::Values("empty", "one", "fifteen", "text", "random", "mixed"));

TEST(LzExpand, CopiesPlainFilesUnchanged)
{
    ScratchDir dir;
    for (std::string bytes : {std::string(), std::string("x"), std::string("SZDD\x88\xf0\x27", 7),
                              std::string("SZDD\x88\xf0\x27\x34" "A\0\1\0\0\0\1a", 16), std::string(100000, '\0')}) {
        Outcome result = ExpandBytes(dir, bytes);
        ASSERT_TRUE(result.ok);
        EXPECT_EQ(result.output, bytes);
    }
}

TEST(LzExpand, ReplacesALongerDestination)
{
    ScratchDir dir;
    std::string dest = dir.Write("out", std::string(5000, 'z'));
    LzExpandFile(dir.Write("in_", SzddBytes(3, "\x07" "abc")), dest);
    EXPECT_EQ(ReadBytes(dest), "abc");
}

TEST(LzExpand, HeaderLengthDecidesTheOutputSize)
{
    ScratchDir dir;
    // Data for three literals, but two declared: the third is not written.
    Outcome surplus = ExpandBytes(dir, SzddBytes(2, "\xff" "abc"));
    ASSERT_TRUE(surplus.ok);
    EXPECT_EQ(surplus.output, "ab");
    // A match reaching past the declared length is cut at it.
    Outcome cut = ExpandBytes(dir, SzddBytes(5, std::string("\x01" "a\x00\x0f", 4)));
    ASSERT_TRUE(cut.ok);
    EXPECT_EQ(cut.output, "a    ");
}

TEST(LzExpand, DamagedFilesAreErrors)
{
    ScratchDir dir;
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"data shorter than declared", SzddBytes(5, "\xff" "abc")},
        {"no data at all", SzddBytes(1, "")},
        {"flag byte without its literal", SzddBytes(1, "\x01")},
        {"half a match", SzddBytes(4, std::string("\x00\x10", 2))},
        {"header cut short", std::string("SZDD\x88\xf0\x27\x33" "A\0\1", 11)},
        {"unknown method", std::string("SZDD\x88\xf0\x27\x33" "B\0\3\0\0\0\xff" "abc", 17)},
    };
    for (const Case& c : cases) {
        Outcome result = ExpandBytes(dir, c.bytes);
        EXPECT_FALSE(result.ok) << c.what;
        EXPECT_EQ(result.stage, LzError::Stage::Expand) << c.what;
    }
}

TEST(LzExpand, EveryTruncationOfARealFileIsAnError)
{
    ScratchDir dir;
    std::string compressed = ReadBytes(GeneratedPath("lz/text_"));
    ASSERT_GT(compressed.size(), 1000u);
    for (std::size_t keep : {std::size_t{14}, std::size_t{15}, std::size_t{16}, std::size_t{17}, std::size_t{500},
                             compressed.size() / 2, compressed.size() - 2, compressed.size() - 1}) {
        EXPECT_FALSE(ExpandBytes(dir, compressed.substr(0, keep)).ok) << "kept " << keep;
    }
}

TEST(LzExpand, CorruptedDataNeverGoesBeyondTheDeclaredLength)
{
    ScratchDir dir;
    std::string compressed = ReadBytes(GeneratedPath("lz/text_"));
    compressed.resize(3000);
    std::string declared = SzddBytes(2000, "").substr(10);
    compressed.replace(10, 4, declared);
    std::mt19937 random(11);
    for (int round = 0; round < 40; ++round) {
        std::string damaged = compressed;
        for (int flips = 0; flips < 8; ++flips)
            damaged[14 + random() % (damaged.size() - 14)] = static_cast<char>(random());
        Outcome result = ExpandBytes(dir, damaged);
        if (result.ok) {
            EXPECT_EQ(result.output.size(), 2000u);
        }
    }
}

TEST(LzExpand, FilesThatCannotBeOpenedCarryTheSystemErrorCode)
{
    ScratchDir dir;
    auto failure = [](const std::string& source, const std::string& dest) {
        try {
            LzExpandFile(source, dest);
        } catch (const LzError& e) {
            return e;
        }
        return LzError(LzError::Stage::Expand, 0, "no error");
    };
    std::string missing = dir.File("missing_");
    LzError notFound = failure(missing, dir.File("out"));
    EXPECT_EQ(notFound.GetStage(), LzError::Stage::OpenSource);
    EXPECT_EQ(notFound.SystemCode(), 2u);
    EXPECT_EQ(notFound.Message(), missing + ": File not found");

    EXPECT_EQ(failure(dir.File("nodir/x_"), dir.File("out")).SystemCode(), 3u);

    std::string source = dir.Write("in_", "plain");
    LzError noFolder = failure(source, dir.File("nodir/out"));
    EXPECT_EQ(noFolder.GetStage(), LzError::Stage::CreateDest);
    EXPECT_EQ(noFolder.SystemCode(), 3u);
}

TEST(LzExpand, IoErrorTexts)
{
    EXPECT_EQ(IoErrorText(2), "File not found");
    EXPECT_EQ(IoErrorText(3), "Invalid filename");
    EXPECT_EQ(IoErrorText(4), "Too many open files");
    EXPECT_EQ(IoErrorText(5), "File access denied");
    EXPECT_EQ(IoErrorText(32), "I/O error 32");
}

} // namespace
} // namespace tarvex::platform
