// The hyperlink label: what a click opens, and how a new label looks.
#include "components/UrlLabel.h"

#include <gtest/gtest.h>

using namespace tarvex;

namespace {

TEST(UrlLabelTarget, TheUrlAsStoredUnlessBlankThenTheCaption)
{
    EXPECT_EQ("http://www.tarvex.org", LinkTarget("http://www.tarvex.org", "Tarvex"));
    EXPECT_EQ(" mailto:a@b.org\t", LinkTarget(" mailto:a@b.org\t", "a@b.org")) << "not trimmed when used";
    EXPECT_EQ("C:\\Tarvex", LinkTarget("", "C:\\Tarvex"));
    EXPECT_EQ("C:\\Tarvex", LinkTarget(" \t\r\n", "C:\\Tarvex"));
    EXPECT_EQ("", LinkTarget("", ""));
    EXPECT_EQ("", LinkTarget("  ", " \x01\x1f "));
}

TEST(UrlLabel, ANewLabelIsBlueUnderlinedUnderTheHandWithACopyMenu)
{
    platform::Form form(200, 100, {"Arial", -12, true, true, false, false, platform::clBlack});
    TUrlLabel label(&form, {10, 10, 0, 0}, "Tarvex");
    EXPECT_EQ(platform::clBlue, label.Font().color);
    EXPECT_TRUE(label.Font().underline);
    EXPECT_FALSE(label.Font().bold) << "underline is the only style";
    EXPECT_FALSE(label.Font().italic);
    EXPECT_EQ("Arial", label.Font().face);
    EXPECT_EQ(platform::Rgb(128, 0, 128), label.ActiveColor);
    EXPECT_EQ(crHand, label.Cursor());
    EXPECT_STREQ("HAND", platform::ScreenCursor(crHand));
    EXPECT_EQ("", label.URL);
    ASSERT_EQ(&label.CopyMenu(), label.ContextMenu());
    ASSERT_EQ(1u, label.CopyMenu().Items().size());
    EXPECT_EQ("Copy", label.CopyMenu().Items()[0].caption);
}

} // namespace
