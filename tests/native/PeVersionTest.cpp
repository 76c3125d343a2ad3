// Our PE version reader on damaged images and hand-made VS_VERSIONINFO trees.
#include "common/GeneratedData.h"

#include "formats/PeVersion.h"
#include "platform/posix/PosixFile.h"

#include <gtest/gtest.h>

#include <random>

namespace tarvex::platform {
namespace {

std::string Image(const char* name)
{
    std::string bytes;
    EXPECT_TRUE(ReadHostFile(test::GeneratedPath(std::string("version/") + name + ".dll"), bytes)) << name;
    return bytes;
}

// A version node: wLength, wValueLength, wType, key, value, children.
std::string Node(const std::string& key, const std::u16string& text, const std::string& children)
{
    auto u16 = [](std::string& s, unsigned v) { s += static_cast<char>(v & 0xFF), s += static_cast<char>(v >> 8); };
    std::string body;
    for (char c : key) u16(body, static_cast<unsigned char>(c));
    u16(body, 0);
    while ((6 + body.size()) % 4) body += '\0';
    if (!text.empty()) {
        for (char16_t c : text) u16(body, c);
        u16(body, 0);
    }
    while ((6 + body.size()) % 4) body += '\0';
    body += children;
    std::string node;
    u16(node, static_cast<unsigned>(6 + body.size()));
    u16(node, text.empty() ? 0 : static_cast<unsigned>(text.size() + 1));
    u16(node, 1);
    return node + body;
}

TEST(PeVersion, FindsTheResourceOfRealImages)
{
    std::string image = Image("with-040904E4");
    auto block = FindVersionResource(image);
    ASSERT_TRUE(block);
    EXPECT_EQ(QueryVersionText(*block, "\\StringFileInfo\\040904E4\\ProductName"), "Sample Product");
    EXPECT_EQ(QueryVersionText(*block, "\\\\stringfileinfo\\040904e4\\\\PRODUCTNAME"), "Sample Product");
    EXPECT_EQ(QueryVersionText(*block, "\\StringFileInfo\\040904B0\\FileVersion"), "9.9.9.9 (wrong table)");
    EXPECT_FALSE(QueryVersionText(*block, "\\StringFileInfo\\040904E4\\Comments"));
    EXPECT_FALSE(FindVersionResource(Image("no-version")));
}

TEST(PeVersion, ConvertsTextToWindows1252)
{
    std::string block = Node("VS_VERSION_INFO", u"",
                             Node("StringFileInfo", u"",
                                  Node("040904E4", u"", Node("A", u"\u20ac\u00e9\u0101x", ""))));
    EXPECT_EQ(QueryVersionText(block, "\\StringFileInfo\\040904E4\\A"), "\x80\xe9?x");
}

TEST(PeVersion, DamagedTreesReadAsAbsent)
{
    std::string good = Node("VS_VERSION_INFO", u"", Node("StringFileInfo", u"", Node("K", u"value", "")));
    ASSERT_EQ(QueryVersionText(good, "\\StringFileInfo\\K"), "value");
    // The root's key takes 6 + 32 bytes, aligned to 40: its child's wLength.
    std::string zeroLength = good;
    zeroLength[40] = zeroLength[41] = 0;
    EXPECT_FALSE(QueryVersionText(zeroLength, "\\StringFileInfo\\K"));
    for (std::size_t keep = 0; keep < good.size(); ++keep)
        EXPECT_NE(QueryVersionText(good.substr(0, keep), "\\StringFileInfo\\K"), "value") << keep;
}

TEST(PeVersion, TruncatedAndCorruptedImagesNeverReadOutOfBounds)
{
    std::string image = Image("with-040904E4");
    for (std::size_t keep = 0; keep < image.size(); ++keep) {
        auto block = FindVersionResource(std::string_view(image).substr(0, keep));
        if (block) QueryVersionText(*block, "\\StringFileInfo\\040904E4\\FileVersion");
    }
    std::mt19937 random(3);
    for (int round = 0; round < 3000; ++round) {
        std::string damaged = image;
        for (int flips = 0; flips < 4; ++flips) damaged[random() % damaged.size()] = static_cast<char>(random());
        if (auto block = FindVersionResource(damaged)) {
            EXPECT_LE(block->size(), damaged.size());
            QueryVersionText(*block, "\\StringFileInfo\\040904E4\\FileVersion");
        }
    }
}

} // namespace
} // namespace tarvex::platform
