#include "platform/win32/GdiCanvas.h"

#include <cstring>

namespace tarvex::platform {

namespace {

// Text drawn with a transparent background in one colour, both restored after.
class TextPen {
public:
    TextPen(HDC dc, Color color)
        : dc_(dc), previousColor_(SetTextColor(dc, ToColorRef(color))), previousMode_(SetBkMode(dc, TRANSPARENT))
    {
    }
    ~TextPen()
    {
        SetBkMode(dc_, previousMode_);
        SetTextColor(dc_, previousColor_);
    }
    TextPen(const TextPen&) = delete;
    TextPen& operator=(const TextPen&) = delete;

private:
    HDC dc_;
    COLORREF previousColor_;
    int previousMode_;
};

} // namespace

COLORREF ToColorRef(Color color)
{
    return IsSystemColor(color) ? GetSysColor(static_cast<int>(color & 0xFF)) : static_cast<COLORREF>(color);
}

LOGFONTA ToLogFont(const FontSpec& font)
{
    LOGFONTA lf{};
    lf.lfHeight = font.height;
    lf.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = font.italic;
    lf.lfUnderline = font.underline;
    lf.lfStrikeOut = font.strikeOut;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH;
    std::strncpy(lf.lfFaceName, font.face.c_str(), LF_FACESIZE - 1);
    return lf;
}

GdiCanvas::GdiCanvas(HDC dc, int originX, int originY) : dc_(dc), originX_(originX), originY_(originY) {}

RECT GdiCanvas::Place(const Rect& rect) const
{
    return {rect.left + originX_, rect.top + originY_, rect.right + originX_, rect.bottom + originY_};
}

void GdiCanvas::FillRect(const Rect& rect, Color color) noexcept
{
    GdiObject brush(CreateSolidBrush(ToColorRef(color)));
    RECT r = Place(rect);
    ::FillRect(dc_, &r, static_cast<HBRUSH>(brush.Get()));
}

Size GdiCanvas::MeasureText(const std::string& text, const FontSpec& font) noexcept
{
    // The screen's device context: text measured as it will appear.
    WindowDc screen(GetDC(nullptr));
    LOGFONTA lf = ToLogFont(font);
    GdiObject hfont(CreateFontIndirectA(&lf));
    Selection selected(screen.Get(), hfont.Get());
    SIZE size{};
    // The one extent call setup.exe imports (labels need the advances too).
    GetTextExtentExPointA(screen.Get(), text.data(), static_cast<int>(text.size()), 0, nullptr, nullptr, &size);
    return {size.cx, size.cy};
}

void GdiCanvas::DrawRotatedText(int x, int y, const std::string& text, const FontSpec& font, int escapement,
                                Color color) noexcept
{
    LOGFONTA lf = ToLogFont(font);
    // Orientation follows escapement, so the glyphs turn with the baseline in
    // either graphics mode.
    lf.lfEscapement = escapement;
    lf.lfOrientation = escapement;
    GdiObject hfont(CreateFontIndirectA(&lf));
    Selection selected(dc_, hfont.Get());
    TextPen pen(dc_, color);
    TextOutA(dc_, x + originX_, y + originY_, text.data(), static_cast<int>(text.size()));
}

void GdiCanvas::DrawFormattedText(const Rect& rect, const std::string& text, const FontSpec& font, unsigned flags,
                                  Color color) noexcept
{
    LOGFONTA lf = ToLogFont(font);
    GdiObject hfont(CreateFontIndirectA(&lf));
    Selection selected(dc_, hfont.Get());
    TextPen pen(dc_, color);
    RECT r = Place(rect);
    DrawTextA(dc_, text.data(), static_cast<int>(text.size()), &r, flags);
}

} // namespace tarvex::platform
