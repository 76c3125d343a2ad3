// Painting of our own window classes: group boxes, panels, images and the
// painted boxes that host the windowless components; the speed buttons'
// pictures.
#include "platform/UiBackend.h"
#include "platform/win32/NativeWindow.h"

#include <windows.h>

namespace tarvex::platform {

namespace {

constexpr int kGroupCaptionIndent = 8;

// BeginPaint and EndPaint, also when the painting throws.
class PaintScope {
public:
    explicit PaintScope(HWND hwnd) : hwnd_(hwnd) { BeginPaint(hwnd_, &ps_); }
    ~PaintScope() { EndPaint(hwnd_, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC Dc() const { return ps_.hdc; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
};

void PaintGroupBox(HWND hwnd, const GroupBox& box)
{
    PaintScope paint(hwnd);
    HDC dc = paint.Dc();
    RECT client;
    GetClientRect(hwnd, &client);
    Selection font(dc, FontFor(box.CaptionFont()));
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    RECT frame = client;
    frame.top = tm.tmHeight / 2 - 1;
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    if (box.Text().empty()) return;
    SetTextColor(dc, ToColorRef(box.CaptionFont().color));
    SetBkColor(dc, ToColorRef(box.BackColor()));
    SetBkMode(dc, OPAQUE);
    RECT text = {kGroupCaptionIndent, 0, client.right - kGroupCaptionIndent, tm.tmHeight};
    DrawTextA(dc, box.Text().c_str(), static_cast<int>(box.Text().size()), &text, DT_LEFT | DT_SINGLELINE | DT_CALCRECT);
    DrawTextA(dc, box.Text().c_str(), static_cast<int>(box.Text().size()), &text, DT_LEFT | DT_SINGLELINE);
}

void PaintPanel(HWND hwnd, const Panel& panel)
{
    PaintScope paint(hwnd);
    RECT r;
    GetClientRect(hwnd, &r);
    auto edge = [](Bevel bevel, UINT lowered, UINT raised) -> UINT {
        return bevel == Bevel::Lowered ? lowered : bevel == Bevel::Raised ? raised : 0;
    };
    UINT flags = edge(panel.BevelOuter(), BDR_SUNKENOUTER, BDR_RAISEDOUTER) |
                 edge(panel.BevelInner(), BDR_SUNKENINNER, BDR_RAISEDINNER);
    if (flags) DrawEdge(paint.Dc(), &r, flags, BF_RECT);
}

void PaintImage(HWND hwnd, const Image& image)
{
    PaintScope paint(hwnd);
    const GdiObject& picture = image.Native()->glyph;
    if (!picture) return;
    BITMAP info{};
    GetObjectA(picture.Get(), sizeof info, &info);
    RECT client;
    GetClientRect(hwnd, &client);
    int w = image.Stretch() ? client.right : info.bmWidth;
    int h = image.Stretch() ? client.bottom : info.bmHeight;
    int x = image.Center() ? (client.right - w) / 2 : 0;
    int y = image.Center() ? (client.bottom - h) / 2 : 0;
    MemoryDc memory(CreateCompatibleDC(paint.Dc()));
    Selection bitmap(memory.Get(), picture.Get());
    SetStretchBltMode(paint.Dc(), COLORONCOLOR);
    StretchBlt(paint.Dc(), x, y, w, h, memory.Get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
}

void PaintHostedComponents(HWND hwnd, PaintBox& box)
{
    PaintScope paint(hwnd);
    GdiCanvas canvas(paint.Dc());
    if (box.OnPaint) box.OnPaint(canvas);
}

} // namespace

bool PaintContainer(HWND hwnd, Control& control)
{
    switch (control.GetKind()) {
    case Control::Kind::GroupBox:
        PaintGroupBox(hwnd, static_cast<GroupBox&>(control));
        return true;
    case Control::Kind::Panel:
        PaintPanel(hwnd, static_cast<Panel&>(control));
        return true;
    case Control::Kind::Image:
        PaintImage(hwnd, static_cast<Image&>(control));
        return true;
    case Control::Kind::PaintBox:
        PaintHostedComponents(hwnd, static_cast<PaintBox&>(control));
        return true;
    default:
        return false;
    }
}

// The picture's left half (the enabled image) with its transparent colour
// (the bottom-left pixel) in the button's face colour.
GdiObject LoadGlyph(const char* resource) noexcept
{
    GdiObject sheet(LoadImageA(GetModuleHandleA(nullptr), resource, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!sheet) return {};
    BITMAP info{};
    GetObjectA(sheet.Get(), sizeof info, &info);
    int size = info.bmHeight;
    WindowDc screen(GetDC(nullptr));
    MemoryDc from(CreateCompatibleDC(screen.Get()));
    MemoryDc to(CreateCompatibleDC(screen.Get()));
    GdiObject glyph(CreateCompatibleBitmap(screen.Get(), size, size));
    if (!from || !to || !glyph) return {};
    Selection fromSheet(from.Get(), sheet.Get());
    Selection toGlyph(to.Get(), glyph.Get());
    COLORREF transparent = GetPixel(from.Get(), 0, size - 1);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            COLORREF c = GetPixel(from.Get(), x, y);
            SetPixel(to.Get(), x, y, c == transparent ? face : c);
        }
    return glyph;
}

namespace backend {

void Repaint(Control& control)
{
    if (HWND hwnd = HwndOf(control))
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void Invalidate(Control& control)
{
    if (HWND hwnd = HwndOf(control)) InvalidateRect(hwnd, nullptr, FALSE);
}

void PaintNow(PaintBox& box)
{
    HWND hwnd = HwndOf(box);
    if (!hwnd || !box.OnPaint) return;
    WindowDc dc(GetDC(hwnd));
    GdiCanvas canvas(dc.Get());
    box.OnPaint(canvas);
}

} // namespace backend

} // namespace tarvex::platform
