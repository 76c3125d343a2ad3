#include "components/RotateLabel.h"

#include <cmath>

namespace tarvex {

namespace {

// Angles in extended precision, multiplied in the order the placement
// rules were fitted with: degrees * pi * (1/180).
constexpr long double kPi = 3.14159265358979323846264338327950288L;
constexpr long double kOneOver180 = 1.0L / 180.0L;

long double Radians(int degrees) { return static_cast<long double>(degrees) * kPi * kOneOver180; }

int Trunc(long double value) { return static_cast<int>(value); }

int Abs(int value) { return value < 0 ? -value : value; }

} // namespace

int NormalizeEscapement(int degrees)
{
    if (degrees < 0) {
        while (degrees < -360) degrees += 360;
        degrees += 360;
    }
    while (degrees > 360) degrees -= 360;
    return degrees;
}

AngleTextPlacement PlaceAngleText(int angle, int textWidth, int textHeight)
{
    const long double w = textWidth;
    const long double h = textHeight;
    const long double theta = Radians(angle);
    const long double sinTheta = std::sin(theta);
    const long double cosTheta = std::cos(theta);

    AngleTextPlacement place;
    if (angle <= 90) {
        place.dy = Trunc(sinTheta * w);
    } else if (angle <= 180) {
        place.dx = Trunc(-cosTheta * w);
        place.dy = Trunc(std::cos(Radians(180 - angle)) * h + sinTheta * w);
    } else if (angle <= 270) {
        place.dx = Trunc(std::sin(Radians(angle - 180)) * h + (-cosTheta * w));
        place.dy = Trunc(std::sin(Radians(270 - angle)) * h);
    } else {
        place.dx = Trunc(std::sin(Radians(360 - angle)) * h);
    }
    place.width = Abs(Trunc(cosTheta * w)) + Abs(Trunc(sinTheta * h));
    place.height = Abs(Trunc(sinTheta * w)) + Abs(Trunc(cosTheta * h));
    return place;
}

int AlignmentShift(TAlignment alignment, int controlWidth, int boundingWidth)
{
    switch (alignment) {
    case TAlignment::taCenter:
        return (controlWidth - boundingWidth) / 2;
    case TAlignment::taRightJustify:
        return controlWidth - boundingWidth;
    case TAlignment::taLeftJustify:
        break;
    }
    return 0;
}

unsigned LabelTextFlags(TAlignment alignment, bool wordWrap)
{
    unsigned flags = platform::kDtExpandTabs;
    if (wordWrap) flags |= platform::kDtWordBreak;
    switch (alignment) {
    case TAlignment::taLeftJustify:
        flags |= platform::kDtLeft;
        break;
    case TAlignment::taRightJustify:
        flags |= platform::kDtRight;
        break;
    case TAlignment::taCenter:
        flags |= platform::kDtCenter;
        break;
    }
    return flags;
}

TRotateLabel::TRotateLabel() { font_.face = "Arial"; }

void TRotateLabel::Invalidate()
{
    if (OnInvalidate) OnInvalidate();
}

template <typename T> void TRotateLabel::Assign(T& field, const T& value)
{
    if (field == value) return;
    field = value;
    Invalidate();
}

void TRotateLabel::SetEscapement(int degrees)
{
    // The sameness test sees the value as given, before normalising.
    if (degrees == escapement_) return;
    escapement_ = NormalizeEscapement(degrees);
    Invalidate();
}

void TRotateLabel::SetTextStyle(TTextStyle style) { Assign(textStyle_, style); }
void TRotateLabel::SetCaption(const std::string& caption) { Assign(caption_, caption); }
void TRotateLabel::SetFont(const platform::FontSpec& font) { Assign(font_, font); }
void TRotateLabel::SetAlignment(TAlignment alignment) { Assign(alignment_, alignment); }
void TRotateLabel::SetAutoSize(bool autoSize) { Assign(autoSize_, autoSize); }
void TRotateLabel::SetTransparent(bool transparent) { Assign(transparent_, transparent); }
void TRotateLabel::SetColor(platform::Color color) { Assign(color_, color); }
void TRotateLabel::SetShowAccelChar(bool show) { Assign(showAccelChar_, show); }
void TRotateLabel::SetWordWrap(bool wrap) { Assign(wordWrap_, wrap); }
void TRotateLabel::SetEnabled(bool enabled) { Assign(enabled_, enabled); }

void TRotateLabel::SetBounds(int left, int top, int width, int height)
{
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Invalidate();
}

void TRotateLabel::Paint(platform::Canvas& canvas)
{
    const platform::Rect client{0, 0, width_, height_};
    if (!transparent_) canvas.FillRect(client, color_);
    DrawCaption(canvas, client, LabelTextFlags(alignment_, wordWrap_));
}

void TRotateLabel::DrawCaption(platform::Canvas& canvas, platform::Rect rect, unsigned flags)
{
    if (!showAccelChar_) flags |= platform::kDtNoPrefix;
    if (textStyle_ != TTextStyle::tsNone) {
        const bool raised = textStyle_ == TTextStyle::tsRaised;
        const platform::Rect down{rect.left + 1, rect.top + 1, rect.right + 1, rect.bottom + 1};
        const platform::Rect up{rect.left - 1, rect.top - 1, rect.right - 1, rect.bottom - 1};
        DrawAt(canvas, down, flags, raised ? platform::clBtnShadow : platform::clBtnHighlight);
        DrawAt(canvas, up, flags, raised ? platform::clBtnHighlight : platform::clBtnShadow);
    }
    DrawAt(canvas, rect, flags, enabled_ ? font_.color : platform::clGrayText);
}

void TRotateLabel::DrawAt(platform::Canvas& canvas, const platform::Rect& rect, unsigned flags,
                          platform::Color color)
{
    if (escapement_ != 0)
        DrawAngleText(canvas, rect, caption_, escapement_, color);
    else
        canvas.DrawFormattedText(rect, caption_, font_, flags, color);
}

void TRotateLabel::DrawAngleText(platform::Canvas& canvas, platform::Rect rect, const std::string& text, int angle,
                                 platform::Color color)
{
    PlaceAngleText(canvas, rect, angle, text);
    canvas.DrawRotatedText(rect.left, rect.top, text, font_, angle * 10, color);
}

void TRotateLabel::PlaceAngleText(platform::Canvas& canvas, platform::Rect& rect, int angle, const std::string& text)
{
    const platform::Size size = canvas.MeasureText(text, font_);
    const AngleTextPlacement place = tarvex::PlaceAngleText(angle, size.width, size.height);
    rect.top += place.dy;
    rect.left += place.dx;
    if (autoSize_) {
        width_ = place.width;
        height_ = place.height;
    } else {
        rect.left += AlignmentShift(alignment_, width_, place.width);
    }
}

} // namespace tarvex
