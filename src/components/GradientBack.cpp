#include "components/GradientBack.h"

namespace tarvex {

GradientColors BuildColors(TGradColor color, TGradDirection direction)
{
    GradientColors colors{};
    const bool down = direction == TGradDirection::gdDown;
    unsigned a = down ? 255 : 0;
    for (platform::Color& band : colors) {
        switch (color) {
        case TGradColor::clAqua: band = platform::Rgb(0, a, a); break;
        case TGradColor::clBlue: band = platform::Rgb(0, 0, a); break;
        case TGradColor::clGreen: band = platform::Rgb(0, a, 0); break;
        case TGradColor::clPurple: band = platform::Rgb(a, 0, a); break;
        case TGradColor::clRed: band = platform::Rgb(a, 0, 0); break;
        case TGradColor::clWhite: band = platform::Rgb(a, a, a); break;
        case TGradColor::clYellow: band = platform::Rgb(a, a, 0); break;
        }
        if (down)
            --a;
        else
            ++a;
    }
    return colors;
}

float BandStep(int height)
{
    // Worked out in extended precision, then deliberately held in single
    // precision: the band tops depend on that rounding.
    return static_cast<float>(static_cast<long double>(height) * (1.0L / 255.0L));
}

int BandHeight(float step) { return static_cast<int>(static_cast<long double>(step) + 1.0L); }

platform::Rect BandRect(int index, float step, int width)
{
    const int top = static_cast<int>(static_cast<long double>(index) * static_cast<long double>(step));
    return {0, top, width, top + BandHeight(step)};
}

TGradientBack::TGradientBack() { Rebuild(); }

void TGradientBack::Rebuild()
{
    colors_ = BuildColors(backColor_, direction_);
    if (OnPaintNow) OnPaintNow();
}

// Setting the current value again still rebuilds and repaints.
void TGradientBack::SetBackColor(TGradColor color)
{
    backColor_ = color;
    Rebuild();
}

void TGradientBack::SetDirection(TGradDirection direction)
{
    direction_ = direction;
    Rebuild();
}

void TGradientBack::SetSize(int width, int height)
{
    width_ = width;
    height_ = height;
}

void TGradientBack::Paint(platform::Canvas& canvas) const
{
    const float step = BandStep(height_);
    for (int i = 0; i < kGradientBands; ++i) canvas.FillRect(BandRect(i, step, width_), colors_[i]);
}

} // namespace tarvex
