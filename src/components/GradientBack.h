#pragma once
// TGradientBack: a windowless control filling its parent's free client area
// with a vertical ramp of 256 bands from a base colour to black.
#include "platform/Canvas.h"

#include <array>
#include <functional>

namespace tarvex {

enum class TGradColor { clAqua, clBlue, clGreen, clPurple, clRed, clWhite, clYellow };
enum class TGradDirection { gdDown, gdUp };

constexpr int kGradientBands = 256;
using GradientColors = std::array<platform::Color, kGradientBands>;

// Band 0 is the top band.
GradientColors BuildColors(TGradColor color, TGradDirection direction);

// The distance between band tops for a control height, kept in single
// precision; every band is BandHeight(step) rows high.
float BandStep(int height);
int BandHeight(float step);
platform::Rect BandRect(int index, float step, int width);

class TGradientBack {
public:
    TGradientBack();

    TGradColor BackColor() const { return backColor_; }
    void SetBackColor(TGradColor color);
    TGradDirection Direction() const { return direction_; }
    void SetDirection(TGradDirection direction);
    const GradientColors& Colors() const { return colors_; }

    // The control always fills the client area its parent leaves to it; the
    // host sets the size it gets.
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetSize(int width, int height);

    // The host paints the control at once on its canvas. The setters call it
    // directly instead of invalidating: the ramp is cheap and has no
    // background to erase.
    std::function<void()> OnPaintNow;

    void Paint(platform::Canvas& canvas) const;

private:
    void Rebuild();

    TGradColor backColor_ = TGradColor::clBlue;
    TGradDirection direction_ = TGradDirection::gdDown;
    GradientColors colors_{};
    int width_ = 0;
    int height_ = 0;
};

} // namespace tarvex
