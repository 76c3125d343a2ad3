#pragma once
// TRotateLabel: a windowless label that can draw its caption at an angle,
// with a raised or recessed three-dimensional effect.
#include "platform/Canvas.h"

#include <functional>
#include <string>

namespace tarvex {

enum class TTextStyle { tsNone, tsRaised, tsRecessed };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// The stored form of an escapement in degrees: 0..360, where only whole
// negative turns give 0 and whole positive turns give 360.
int NormalizeEscapement(int degrees);

// Where rotated text goes inside a rectangle: the offset of its reference
// point from the rectangle's top-left, and the size of its bounding box.
struct AngleTextPlacement {
    int dx = 0;
    int dy = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const AngleTextPlacement&, const AngleTextPlacement&) = default;
};

// For 0 < angle <= 360 and unrotated text of textWidth x textHeight pixels.
AngleTextPlacement PlaceAngleText(int angle, int textWidth, int textHeight);

// How far the horizontal alignment moves a box of boundingWidth pixels inside
// a control of controlWidth pixels.
int AlignmentShift(TAlignment alignment, int controlWidth, int boundingWidth);

// DrawText flags of the unrotated path, before the accelerator rule.
unsigned LabelTextFlags(TAlignment alignment, bool wordWrap);

class TRotateLabel {
public:
    TRotateLabel();

    int Escapement() const { return escapement_; }
    void SetEscapement(int degrees);
    TTextStyle TextStyle() const { return textStyle_; }
    void SetTextStyle(TTextStyle style);

    // The label properties the rotation and the effect depend on.
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    const platform::FontSpec& Font() const { return font_; }
    void SetFont(const platform::FontSpec& font);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    platform::Color Color() const { return color_; }
    void SetColor(platform::Color color);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool show);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wrap);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetBounds(int left, int top, int width, int height);

    // Asks the host to repaint the label later.
    std::function<void()> OnInvalidate;

    // Paints the client area, (0, 0) being the label's top-left. With
    // AutoSize and an angle this may change Width and Height.
    void Paint(platform::Canvas& canvas);

private:
    void Invalidate();
    template <typename T> void Assign(T& field, const T& value);
    void DrawCaption(platform::Canvas& canvas, platform::Rect rect, unsigned flags);
    void DrawAt(platform::Canvas& canvas, const platform::Rect& rect, unsigned flags, platform::Color color);
    void DrawAngleText(platform::Canvas& canvas, platform::Rect rect, const std::string& text, int angle,
                       platform::Color color);
    void PlaceAngleText(platform::Canvas& canvas, platform::Rect& rect, int angle, const std::string& text);

    int escapement_ = 45;
    TTextStyle textStyle_ = TTextStyle::tsRaised;
    std::string caption_;
    platform::FontSpec font_;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    bool autoSize_ = true;
    bool transparent_ = false;
    platform::Color color_ = platform::clBtnFace;
    bool showAccelChar_ = true;
    bool wordWrap_ = false;
    bool enabled_ = true;
    int left_ = 0;
    int top_ = 0;
    int width_ = 65;
    int height_ = 17;
};

} // namespace tarvex
