// The components painted by GDI into a bitmap, read back pixel by pixel.
#include "components/GradientBack.h"
#include "components/RotateLabel.h"
#include "platform/BitmapCanvas.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

using platform::Rgb;

TEST(GdiPaint, GradientSideBarRows)
{
    TGradientBack back;
    back.SetBackColor(TGradColor::clGreen);
    back.SetSize(59, 364);
    platform::BitmapCanvas canvas(59, 364, Rgb(255, 0, 255));
    back.Paint(canvas);
    EXPECT_EQ(canvas.Pixel(0, 0), Rgb(0, 255, 0));
    EXPECT_EQ(canvas.Pixel(58, 0), Rgb(0, 255, 0));
    // Band 3 covers rows 4 and 5, band 4 (top 5) paints over row 5.
    EXPECT_EQ(canvas.Pixel(30, 4), Rgb(0, 252, 0));
    EXPECT_EQ(canvas.Pixel(30, 5), Rgb(0, 251, 0));
    // The darkest visible band is 254; 255 starts below the bitmap.
    EXPECT_EQ(canvas.Pixel(30, 362), Rgb(0, 1, 0));
    EXPECT_EQ(canvas.Pixel(30, 363), Rgb(0, 1, 0));
}

TEST(GdiPaint, UpwardCaptionStaysInItsRotatedBox)
{
    TRotateLabel label;
    label.SetEscapement(90);
    label.SetTextStyle(TTextStyle::tsRecessed);
    label.SetAlignment(TAlignment::taCenter);
    label.SetAutoSize(false);
    label.SetTransparent(true);
    label.SetBounds(0, 0, 56, 333);
    platform::FontSpec font;
    font.face = "Arial";
    font.italic = true;
    font.height = 40;
    font.color = Rgb(0, 0, 128);
    label.SetFont(font);
    label.SetCaption("      Setup Tarvex    ");

    const platform::Color background = Rgb(0, 128, 0);
    platform::BitmapCanvas canvas(56, 333, background);
    const platform::Size text = canvas.MeasureText(label.Caption(), font);
    ASSERT_GT(text.width, text.height);
    label.Paint(canvas);

    // The text runs upward from (left + (56 - H) div 2, W): its cell lies
    // right of that point and above it; the effect copies add a pixel.
    const int left = (56 - text.height) / 2;
    int ink = 0;
    int navy = 0;
    for (int y = 0; y < 333; ++y)
        for (int x = 0; x < 56; ++x) {
            const platform::Color pixel = canvas.Pixel(x, y);
            if (pixel == background) continue;
            ++ink;
            navy += pixel == Rgb(0, 0, 128);
            EXPECT_GE(x, left - 2) << y;
            EXPECT_LE(x, left + text.height + 2) << y;
            EXPECT_LE(y, text.width + 2) << x;
        }
    EXPECT_GT(navy, 50);
    EXPECT_GT(ink, navy);
}

} // namespace
} // namespace tarvex
