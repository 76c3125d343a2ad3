#pragma once
// The little drawing surface the windowless components paint on: GDI on a
// device context in the Windows build, a recorder in the portable build.
#include <cstdint>
#include <string>

namespace tarvex::platform {

// Red + green * 256 + blue * 65536, or a system colour (high bit set, index
// in the low byte) that the surface resolves when it draws.
using Color = std::uint32_t;

constexpr Color Rgb(unsigned red, unsigned green, unsigned blue)
{
    return (red & 0xFFu) | (green & 0xFFu) << 8 | (blue & 0xFFu) << 16;
}
constexpr Color SystemColor(int index) { return 0x80000000u | static_cast<Color>(index & 0xFF); }
constexpr bool IsSystemColor(Color color) { return (color & 0x80000000u) != 0; }

constexpr Color clWindowText = SystemColor(8);
constexpr Color clBtnFace = SystemColor(15);
constexpr Color clBtnShadow = SystemColor(16);
constexpr Color clGrayText = SystemColor(17);
constexpr Color clBtnHighlight = SystemColor(20);

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Size {
    int width = 0;
    int height = 0;

    friend bool operator==(const Size&, const Size&) = default;
};

// A font as LOGFONT describes it: height > 0 is the character cell height,
// height < 0 the character height, in pixels.
struct FontSpec {
    std::string face = "MS Sans Serif";
    int height = -11;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    Color color = clWindowText;

    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

// DrawText flags, with their Windows values.
constexpr unsigned kDtLeft = 0x0;
constexpr unsigned kDtCenter = 0x1;
constexpr unsigned kDtRight = 0x2;
constexpr unsigned kDtWordBreak = 0x10;
constexpr unsigned kDtExpandTabs = 0x40;
constexpr unsigned kDtNoPrefix = 0x800;

class Canvas {
public:
    virtual ~Canvas() = default;

    virtual void FillRect(const Rect& rect, Color color) = 0;
    // Width and height of one line of text in the font, measured on the screen.
    virtual Size MeasureText(const std::string& text, const FontSpec& font) = 0;
    // One TextOut with the top-left of the unrotated character cell at (x, y),
    // rotated counter-clockwise by escapement tenths of a degree, no background.
    virtual void DrawRotatedText(int x, int y, const std::string& text, const FontSpec& font, int escapement,
                                 Color color) = 0;
    // DrawText into a rectangle with kDt* flags, no background.
    virtual void DrawFormattedText(const Rect& rect, const std::string& text, const FontSpec& font, unsigned flags,
                          Color color) = 0;
};

} // namespace tarvex::platform
