// The gradient side bar's colour table and band rectangles.
#include "components/GradientBack.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

using platform::Rgb;

TEST(GradientColors, DefaultIsBlueFadingDown)
{
    TGradientBack back;
    EXPECT_EQ(back.BackColor(), TGradColor::clBlue);
    EXPECT_EQ(back.Direction(), TGradDirection::gdDown);
    EXPECT_EQ(back.Colors()[0], Rgb(0, 0, 255));
    EXPECT_EQ(back.Colors()[1], Rgb(0, 0, 254));
    EXPECT_EQ(back.Colors()[128], Rgb(0, 0, 127));
    EXPECT_EQ(back.Colors()[255], Rgb(0, 0, 0));
}

TEST(GradientColors, UpRunsFromBlackToFullIntensity)
{
    const GradientColors red = BuildColors(TGradColor::clRed, TGradDirection::gdUp);
    EXPECT_EQ(red[0], Rgb(0, 0, 0));
    EXPECT_EQ(red[100], Rgb(100, 0, 0));
    EXPECT_EQ(red[255], Rgb(255, 0, 0));
}

TEST(GradientColors, ChannelsOfEachBaseColour)
{
    // Band 55 of a downward ramp has intensity 200.
    const struct {
        TGradColor color;
        platform::Color expected;
    } cases[] = {
        {TGradColor::clAqua, Rgb(0, 200, 200)},   {TGradColor::clBlue, Rgb(0, 0, 200)},
        {TGradColor::clGreen, Rgb(0, 200, 0)},    {TGradColor::clPurple, Rgb(200, 0, 200)},
        {TGradColor::clRed, Rgb(200, 0, 0)},      {TGradColor::clWhite, Rgb(200, 200, 200)},
        {TGradColor::clYellow, Rgb(200, 200, 0)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BuildColors(c.color, TGradDirection::gdDown)[55], c.expected) << static_cast<int>(c.color);
    // Packed as red + green * 256 + blue * 65536.
    EXPECT_EQ(Rgb(1, 2, 3), 0x030201u);
}

TEST(GradientColors, SettersRebuildAndRepaintEvenWhenUnchanged)
{
    TGradientBack back;
    int paints = 0;
    back.OnPaintNow = [&] { ++paints; };
    back.SetBackColor(TGradColor::clBlue);
    EXPECT_EQ(paints, 1);
    back.SetBackColor(TGradColor::clGreen);
    EXPECT_EQ(back.Colors()[0], Rgb(0, 255, 0));
    back.SetDirection(TGradDirection::gdUp);
    EXPECT_EQ(back.Colors()[0], Rgb(0, 0, 0));
    EXPECT_EQ(back.Colors()[255], Rgb(0, 255, 0));
    back.SetDirection(TGradDirection::gdUp);
    EXPECT_EQ(paints, 4);
}

TEST(GradientBands, WizardSideBarOf364Rows)
{
    const float step = BandStep(364);
    EXPECT_FLOAT_EQ(step, 1.4274510f);
    EXPECT_EQ(BandHeight(step), 2);
    const int expectedTops[] = {0, 1, 2, 4, 5, 7, 8, 9, 11, 12, 14, 15};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(BandRect(i, step, 59).top, expectedTops[i]) << i;
    EXPECT_EQ(BandRect(3, step, 59), (platform::Rect{0, 4, 59, 6}));
    // The single-precision step rounds up: the last band starts just below.
    EXPECT_EQ(BandRect(254, step, 59).top, 362);
    EXPECT_EQ(BandRect(255, step, 59).top, 364);
}

TEST(GradientBands, DegenerateAndExactHeights)
{
    EXPECT_EQ(BandStep(0), 0.0f);
    EXPECT_EQ(BandHeight(BandStep(0)), 1);
    EXPECT_EQ(BandRect(200, BandStep(0), 10), (platform::Rect{0, 0, 10, 1}));

    const float one = BandStep(255);
    EXPECT_EQ(one, 1.0f);
    EXPECT_EQ(BandHeight(one), 2);
    for (int i : {0, 1, 100, 254, 255}) EXPECT_EQ(BandRect(i, one, 7), (platform::Rect{0, i, 7, i + 2}));

    // A bar of 600 rows: step 2.35, bands 3 high.
    EXPECT_EQ(BandHeight(BandStep(600)), 3);
    EXPECT_EQ(BandRect(10, BandStep(600), 1).top, 23);
}

} // namespace
} // namespace tarvex
