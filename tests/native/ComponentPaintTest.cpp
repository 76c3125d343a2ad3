// What the rotated label and the gradient background paint, recorded.
#include "components/GradientBack.h"
#include "components/RotateLabel.h"
#include "testing/RecordingCanvas.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

using platform::CanvasCall;
using Kind = platform::CanvasCall::Kind;

// The wizard's logo caption over the side bar.
TRotateLabel LogoLabel()
{
    TRotateLabel label;
    label.SetEscapement(90);
    label.SetTextStyle(TTextStyle::tsRecessed);
    label.SetAlignment(TAlignment::taCenter);
    label.SetAutoSize(false);
    label.SetTransparent(true);
    label.SetBounds(1, 4, 56, 333);
    platform::FontSpec font;
    font.face = "Arial";
    font.italic = true;
    font.height = 40;
    font.color = platform::Rgb(0, 0, 128);
    label.SetFont(font);
    label.SetCaption("      Setup Tarvex    ");
    return label;
}

TEST(RotateLabelPaint, LogoDrawsRecessedUpwardText)
{
    TRotateLabel label = LogoLabel();
    platform::RecordingCanvas canvas; // 8 pixels a character: W = 176, H = 40
    label.Paint(canvas);

    EXPECT_TRUE(canvas.Calls(Kind::FillRect).empty());
    EXPECT_EQ(canvas.Calls(Kind::MeasureText).size(), 3u);
    const auto text = canvas.Calls(Kind::DrawRotatedText);
    ASSERT_EQ(text.size(), 3u);
    // Reference point at (left + (56 - H) div 2, top + W), the effect copies
    // one pixel either side, highlight below-right for a recessed look.
    EXPECT_EQ(text[0].x, 1 + 8);
    EXPECT_EQ(text[0].y, 1 + 176);
    EXPECT_EQ(text[0].color, platform::clBtnHighlight);
    EXPECT_EQ(text[1].x, -1 + 8);
    EXPECT_EQ(text[1].y, -1 + 176);
    EXPECT_EQ(text[1].color, platform::clBtnShadow);
    EXPECT_EQ(text[2].x, 8);
    EXPECT_EQ(text[2].y, 176);
    EXPECT_EQ(text[2].color, platform::Rgb(0, 0, 128));
    for (const CanvasCall& call : text) {
        EXPECT_EQ(call.escapement, 900);
        EXPECT_EQ(call.text, "      Setup Tarvex    ");
        EXPECT_TRUE(call.font.italic);
        EXPECT_EQ(call.font.face, "Arial");
    }
    EXPECT_EQ(label.Width(), 56);
    EXPECT_EQ(label.Height(), 333);
}

TEST(RotateLabelPaint, StylesAndDisabledColours)
{
    TRotateLabel label = LogoLabel();
    label.SetTextStyle(TTextStyle::tsRaised);
    label.SetEnabled(false);
    platform::RecordingCanvas raised;
    label.Paint(raised);
    const auto text = raised.Calls(Kind::DrawRotatedText);
    ASSERT_EQ(text.size(), 3u);
    EXPECT_EQ(text[0].color, platform::clBtnShadow);
    EXPECT_EQ(text[1].color, platform::clBtnHighlight);
    EXPECT_EQ(text[2].color, platform::clGrayText);

    label.SetTextStyle(TTextStyle::tsNone);
    label.SetEnabled(true);
    platform::RecordingCanvas plain;
    label.Paint(plain);
    ASSERT_EQ(plain.calls.size(), 2u);
    EXPECT_EQ(plain.calls[1].kind, Kind::DrawRotatedText);
    EXPECT_EQ(plain.calls[1].color, platform::Rgb(0, 0, 128));
}

TEST(RotateLabelPaint, AutoSizeTakesTheRotatedBox)
{
    TRotateLabel label = LogoLabel();
    label.SetAutoSize(true);
    label.SetTextStyle(TTextStyle::tsNone);
    platform::RecordingCanvas canvas;
    label.Paint(canvas);
    EXPECT_EQ(label.Width(), 40);
    EXPECT_EQ(label.Height(), 176);
    // No alignment shift with AutoSize.
    const auto text = canvas.Calls(Kind::DrawRotatedText);
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(text[0].x, 0);
    EXPECT_EQ(text[0].y, 176);
}

TEST(RotateLabelPaint, RightAlignedAndOpaque)
{
    TRotateLabel label = LogoLabel();
    label.SetAlignment(TAlignment::taRightJustify);
    label.SetTransparent(false);
    label.SetColor(platform::Rgb(1, 2, 3));
    label.SetTextStyle(TTextStyle::tsNone);
    platform::RecordingCanvas canvas;
    label.Paint(canvas);
    ASSERT_FALSE(canvas.calls.empty());
    EXPECT_EQ(canvas.calls[0].kind, Kind::FillRect);
    EXPECT_EQ(canvas.calls[0].rect, (platform::Rect{0, 0, 56, 333}));
    EXPECT_EQ(canvas.calls[0].color, platform::Rgb(1, 2, 3));
    const auto text = canvas.Calls(Kind::DrawRotatedText);
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(text[0].x, 56 - 40);
}

TEST(RotateLabelPaint, ZeroEscapementUsesTheOrdinaryTextPath)
{
    TRotateLabel label = LogoLabel();
    label.SetEscapement(-360);
    label.SetWordWrap(true);
    label.SetCaption("&Next");
    platform::RecordingCanvas canvas;
    label.Paint(canvas);
    EXPECT_TRUE(canvas.Calls(Kind::DrawRotatedText).empty());
    EXPECT_TRUE(canvas.Calls(Kind::MeasureText).empty());
    const auto text = canvas.Calls(Kind::DrawFormattedText);
    ASSERT_EQ(text.size(), 3u);
    EXPECT_EQ(text[0].rect, (platform::Rect{1, 1, 57, 334}));
    EXPECT_EQ(text[1].rect, (platform::Rect{-1, -1, 55, 332}));
    EXPECT_EQ(text[2].rect, (platform::Rect{0, 0, 56, 333}));
    EXPECT_EQ(text[2].flags, platform::kDtExpandTabs | platform::kDtWordBreak | platform::kDtCenter);

    label.SetShowAccelChar(false);
    platform::RecordingCanvas noPrefix;
    label.Paint(noPrefix);
    for (const CanvasCall& call : noPrefix.Calls(Kind::DrawFormattedText))
        EXPECT_EQ(call.flags & platform::kDtNoPrefix, platform::kDtNoPrefix);
}

TEST(GradientBackPaint, FillsAllBandsTopDown)
{
    TGradientBack back;
    back.SetBackColor(TGradColor::clGreen);
    back.SetSize(59, 364);
    platform::RecordingCanvas canvas;
    back.Paint(canvas);
    ASSERT_EQ(canvas.calls.size(), 256u);
    EXPECT_EQ(canvas.calls[0].rect, (platform::Rect{0, 0, 59, 2}));
    EXPECT_EQ(canvas.calls[0].color, platform::Rgb(0, 255, 0));
    EXPECT_EQ(canvas.calls[254].rect, (platform::Rect{0, 362, 59, 364}));
    EXPECT_EQ(canvas.calls[254].color, platform::Rgb(0, 1, 0));
    EXPECT_EQ(canvas.calls[255].rect.top, 364);
    for (const CanvasCall& call : canvas.calls) EXPECT_EQ(call.kind, Kind::FillRect);
}

} // namespace
} // namespace tarvex
