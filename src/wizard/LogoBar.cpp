#include "wizard/LogoBar.h"

namespace tarvex {

namespace {
// A canvas moved to where a windowless component sits on its host.
class ShiftedCanvas : public platform::Canvas {
public:
    ShiftedCanvas(platform::Canvas& host, int dx, int dy) : host_(host), dx_(dx), dy_(dy) {}
    void FillRect(const platform::Rect& rect, platform::Color color) override { host_.FillRect(Shift(rect), color); }
    platform::Size MeasureText(const std::string& text, const platform::FontSpec& font) override
    {
        return host_.MeasureText(text, font);
    }
    void DrawRotatedText(int x, int y, const std::string& text, const platform::FontSpec& font, int escapement,
                         platform::Color color) override
    {
        host_.DrawRotatedText(x + dx_, y + dy_, text, font, escapement, color);
    }
    void DrawFormattedText(const platform::Rect& rect, const std::string& text, const platform::FontSpec& font,
                           unsigned flags, platform::Color color) override
    {
        host_.DrawFormattedText(Shift(rect), text, font, flags, color);
    }

private:
    platform::Rect Shift(const platform::Rect& r) const
    {
        return {r.left + dx_, r.top + dy_, r.right + dx_, r.bottom + dy_};
    }
    platform::Canvas& host_;
    int dx_;
    int dy_;
};

} // namespace

void DressLogoBar(platform::PaintBox& host, TGradientBack& bar, TRotateLabel& caption, const platform::Bounds& captionBounds,
                  const platform::FontSpec& font, const char* text)
{
    bar.SetSize(host.GetBounds().width, host.GetBounds().height);
    bar.OnPaintNow = [&host] { host.PaintNow(); };
    bar.SetBackColor(TGradColor::clGreen);
    caption.OnInvalidate = [&host] { host.Invalidate(); };
    caption.SetBounds(captionBounds.left, captionBounds.top, captionBounds.width, captionBounds.height);
    caption.SetFont(font);
    caption.SetCaption(text);
    caption.SetEscapement(90);
    caption.SetTextStyle(TTextStyle::tsRecessed);
    caption.SetAlignment(TAlignment::taCenter);
    caption.SetAutoSize(false);
    caption.SetTransparent(true);
    caption.SetColor(platform::clBtnFace);
    host.OnPaint = [&bar, &caption](platform::Canvas& canvas) {
        bar.Paint(canvas);
        ShiftedCanvas onCaption(canvas, caption.Left(), caption.Top());
        caption.Paint(onCaption);
    };
}

} // namespace tarvex
