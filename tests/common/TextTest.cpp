// The shared trim and quote strip: what the readers of Setup.INI, the
// profile and the registry store will rely on once they share them.
#include "base/Text.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

TEST(TextTest, TrimRemovesEveryByteUpToTheSpaceAtBothEndsOnly)
{
    EXPECT_EQ("a \t b", Trim(std::string(" \t\r\n\x01" "a \t b" "\x1f ") + '\0'));
    EXPECT_EQ("\x7f" "a\x7f", Trim(" \x7f" "a\x7f\n")) << "DEL is text";
    EXPECT_EQ("\xA0x\xA0", Trim("\xA0x\xA0")) << "so are bytes above 127";
    EXPECT_EQ("", Trim(" \t\r\n"));
}

TEST(TextTest, StripQuotesTakesOneMatchingPairAroundTheWhole)
{
    EXPECT_EQ("a b", StripQuotes("\"a b\""));
    EXPECT_EQ("a", StripQuotes("'a'"));
    EXPECT_EQ("", StripQuotes("\"\""));
    EXPECT_EQ("\"a\"", StripQuotes("\"\"a\"\"")) << "one pair only";
    for (const char* kept : {"\"", "'", "\"a'", "'a\"", "\"a", "a\"", " \"a\"", "\"a\" "}) EXPECT_EQ(kept, StripQuotes(kept));
}

} // namespace
} // namespace tarvex
