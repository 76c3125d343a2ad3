#pragma once
// The canvas over a GDI device context, for the windows that host the
// windowless components (they paint through it in WM_PAINT).
#include "platform/Canvas.h"
#include "platform/win32/UniqueResource.h"

#include <windows.h>

namespace tarvex::platform {

// An object selected into a device context until the end of the scope.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, previous_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

COLORREF ToColorRef(Color color);
LOGFONTA ToLogFont(const FontSpec& font);

class GdiCanvas : public Canvas {
public:
    // Paints on dc (not owned) with the origin moved to (originX, originY),
    // where the component sits on its parent.
    explicit GdiCanvas(HDC dc, int originX = 0, int originY = 0);

    // GDI reports no failure by exception: nothing here throws.
    void FillRect(const Rect& rect, Color color) noexcept override;
    Size MeasureText(const std::string& text, const FontSpec& font) noexcept override;
    void DrawRotatedText(int x, int y, const std::string& text, const FontSpec& font, int escapement,
                         Color color) noexcept override;
    void DrawFormattedText(const Rect& rect, const std::string& text, const FontSpec& font, unsigned flags,
                           Color color) noexcept override;

private:
    RECT Place(const Rect& rect) const;

    HDC dc_;
    int originX_;
    int originY_;
};

} // namespace tarvex::platform
