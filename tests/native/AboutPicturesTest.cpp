// The about box's picture resources as the resource compiler takes them:
// the links' hand cursor and the logo.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string Resource(const std::string& name)
{
    std::ifstream in(std::string(TARVEX_SOURCE_DIR) + "/src/resources/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

unsigned Word(const std::string& bytes, std::size_t at)
{
    return static_cast<unsigned char>(bytes.at(at)) | static_cast<unsigned char>(bytes.at(at + 1)) << 8;
}

unsigned Dword(const std::string& bytes, std::size_t at) { return Word(bytes, at) | Word(bytes, at + 2) << 16; }

TEST(AboutPictures, TheHandIsA32PixelTwoColourCursorHeldAtTheFingertip)
{
    const std::string cur = Resource("hand.cur");
    ASSERT_GE(cur.size(), 22u + 40 + 8 + 2 * 128);
    EXPECT_EQ(2u, Word(cur, 2)) << "a cursor file";
    EXPECT_EQ(1u, Word(cur, 4));
    EXPECT_EQ(32u, static_cast<unsigned char>(cur[6]));
    EXPECT_EQ(32u, static_cast<unsigned char>(cur[7]));
    EXPECT_EQ(5u, Word(cur, 10)) << "hot spot x";
    EXPECT_EQ(0u, Word(cur, 12)) << "hot spot y";
    const std::size_t image = Dword(cur, 18);
    EXPECT_EQ(cur.size() - image, Dword(cur, 14));
    EXPECT_EQ(1u, Word(cur, image + 14)) << "two colours";
    // The masks run bottom-up, 4 bytes a row: the hot spot's pixel is drawn
    // (AND bit clear), and the top row holds nothing left of the finger.
    const std::size_t andMask = image + 40 + 8 + 128;
    const auto andBit = [&](int x, int y) {
        return (static_cast<unsigned char>(cur.at(andMask + static_cast<std::size_t>(31 - y) * 4 + x / 8)) >>
                (7 - x % 8)) & 1;
    };
    EXPECT_EQ(0, andBit(5, 0));
    for (int x = 0; x < 4; ++x) EXPECT_EQ(1, andBit(x, 0)) << x;
}

TEST(AboutPictures, TheLogoIsA32PixelBitmapOf256Colours)
{
    const std::string bmp = Resource("logo.bmp");
    ASSERT_EQ(14u + 40 + 256 * 4 + 32 * 32, bmp.size());
    EXPECT_EQ(32u, Dword(bmp, 18));
    EXPECT_EQ(32u, Dword(bmp, 22));
    EXPECT_EQ(8u, Word(bmp, 28));
}

} // namespace
