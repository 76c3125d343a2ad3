// Escapement normalisation and the placement of rotated text.
#include "components/RotateLabel.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

TEST(RotateLabelEscapement, NormalisesIntoZeroTo360)
{
    EXPECT_EQ(NormalizeEscapement(-90), 270);
    EXPECT_EQ(NormalizeEscapement(450), 90);
    EXPECT_EQ(NormalizeEscapement(720), 360);
    EXPECT_EQ(NormalizeEscapement(-360), 0);
    EXPECT_EQ(NormalizeEscapement(-720), 0);
    EXPECT_EQ(NormalizeEscapement(-361), 359);
    EXPECT_EQ(NormalizeEscapement(-1), 359);
    EXPECT_EQ(NormalizeEscapement(361), 1);
    EXPECT_EQ(NormalizeEscapement(360), 360);
    EXPECT_EQ(NormalizeEscapement(0), 0);
    EXPECT_EQ(NormalizeEscapement(1085), 5);
}

TEST(RotateLabelEscapement, SetterComparesBeforeNormalising)
{
    TRotateLabel label;
    int repaints = 0;
    label.OnInvalidate = [&] { ++repaints; };
    EXPECT_EQ(label.Escapement(), 45);

    label.SetEscapement(45);
    EXPECT_EQ(repaints, 0);

    // -315 is 45 again, but differs from the stored value as given.
    label.SetEscapement(-315);
    EXPECT_EQ(label.Escapement(), 45);
    EXPECT_EQ(repaints, 1);

    label.SetEscapement(-90);
    EXPECT_EQ(label.Escapement(), 270);
    label.SetEscapement(-360);
    EXPECT_EQ(label.Escapement(), 0);
    EXPECT_EQ(repaints, 3);
}

TEST(RotateLabelDefaults, ArialRaisedAt45)
{
    TRotateLabel label;
    EXPECT_EQ(label.Font().face, "Arial");
    EXPECT_EQ(label.TextStyle(), TTextStyle::tsRaised);
    int repaints = 0;
    label.OnInvalidate = [&] { ++repaints; };
    label.SetTextStyle(TTextStyle::tsRaised);
    EXPECT_EQ(repaints, 0);
    label.SetTextStyle(TTextStyle::tsRecessed);
    EXPECT_EQ(repaints, 1);
}

// Angles with non-integral products, away from the last-bits question.
TEST(PlaceAngleText, EachQuadrant)
{
    // 100 x 20: sin 45 * 100 = 70.71, sin 45 * 20 = 14.14.
    EXPECT_EQ(PlaceAngleText(45, 100, 20), (AngleTextPlacement{0, 70, 84, 84}));
    EXPECT_EQ(PlaceAngleText(135, 100, 20), (AngleTextPlacement{70, 84, 84, 84}));
    EXPECT_EQ(PlaceAngleText(225, 100, 20), (AngleTextPlacement{84, 14, 84, 84}));
    EXPECT_EQ(PlaceAngleText(315, 100, 20), (AngleTextPlacement{14, 0, 84, 84}));

    // 101 x 21 at 60: sin*W = 87.47, cos*W = 50.5, sin*H = 18.19, cos*H = 10.5.
    EXPECT_EQ(PlaceAngleText(60, 101, 21), (AngleTextPlacement{0, 87, 68, 97}));
    // At 300 the sines turn negative and only magnitudes make the box.
    EXPECT_EQ(PlaceAngleText(300, 101, 21), (AngleTextPlacement{18, 0, 68, 97}));
    // At 1 degree the text is nearly flat: sin 1 * 200 = 3.49.
    EXPECT_EQ(PlaceAngleText(1, 200, 30), (AngleTextPlacement{0, 3, 199, 32}));
}

TEST(PlaceAngleText, RightAngles)
{
    // The logo's case: the box is the text turned on its side.
    EXPECT_EQ(PlaceAngleText(90, 176, 40), (AngleTextPlacement{0, 176, 40, 176}));
    EXPECT_EQ(PlaceAngleText(360, 176, 40), (AngleTextPlacement{0, 0, 176, 40}));

    // Where a sine or cosine should vanish its last bits may cost one pixel.
    const AngleTextPlacement upsideDown = PlaceAngleText(180, 176, 40);
    EXPECT_GE(upsideDown.dx, 175);
    EXPECT_LE(upsideDown.dx, 176);
    EXPECT_GE(upsideDown.dy, 39);
    EXPECT_LE(upsideDown.dy, 40);
    EXPECT_GE(upsideDown.width, 175);
    EXPECT_LE(upsideDown.width, 176);
    EXPECT_GE(upsideDown.height, 39);
    EXPECT_LE(upsideDown.height, 40);

    const AngleTextPlacement down = PlaceAngleText(270, 176, 40);
    EXPECT_GE(down.dx, 39);
    EXPECT_LE(down.dx, 40);
    EXPECT_EQ(down.dy, 0);
    EXPECT_EQ(down.width, 40);
    EXPECT_EQ(down.height, 176);
}

TEST(PlaceAngleText, AlignmentShiftTruncatesTowardZero)
{
    EXPECT_EQ(AlignmentShift(TAlignment::taLeftJustify, 56, 40), 0);
    EXPECT_EQ(AlignmentShift(TAlignment::taCenter, 56, 40), 8);
    EXPECT_EQ(AlignmentShift(TAlignment::taCenter, 56, 41), 7);
    EXPECT_EQ(AlignmentShift(TAlignment::taRightJustify, 56, 41), 15);
    // A box wider than the control: -45 div 2 is -22, not -23.
    EXPECT_EQ(AlignmentShift(TAlignment::taCenter, 56, 101), -22);
    EXPECT_EQ(AlignmentShift(TAlignment::taRightJustify, 56, 101), -45);
}

TEST(LabelTextFlags, AlignmentAndWordBreak)
{
    EXPECT_EQ(LabelTextFlags(TAlignment::taLeftJustify, false), 0x40u);
    EXPECT_EQ(LabelTextFlags(TAlignment::taCenter, true), 0x40u | 0x10u | 0x1u);
    EXPECT_EQ(LabelTextFlags(TAlignment::taRightJustify, false), 0x40u | 0x2u);
}

} // namespace
} // namespace tarvex
