#pragma once
// What the parts of the Win32 toolkit share: a control's native window and
// the ways between controls, windows and fonts. Window creation and sync
// (Ui_win32.cpp), painting (UiPaint_win32.cpp) and the modal loop
// (UiModal_win32.cpp). Internal to platform/win32.
#include "platform/Ui.h"
#include "platform/win32/GdiCanvas.h"
#include "platform/win32/UniqueResource.h"

#include <windows.h>

#include <utility>

namespace tarvex::platform {

using WindowHandle = UniqueResource<HWND, &DestroyWindow>;

struct NativeWindow {
    WindowHandle window;
    GdiObject brush;          // the background
    GdiObject glyph;          // a speed button's or an image's picture
    bool settingText = false; // our own change, not the user's

    explicit NativeWindow(WindowHandle owned) : window(std::move(owned)) {}
    HWND Hwnd() const { return window.Get(); }
};

// The control a window of ours shows; none for other windows.
Control* ControlOf(HWND hwnd);
HWND HwndOf(const Control& control);
// One font per description, kept for the life of the process.
HFONT FontFor(const FontSpec& spec);

// WM_PAINT of a container that paints itself; false for the kinds that
// leave it to the system.
bool PaintContainer(HWND hwnd, Control& control);
// A speed button's picture from the program's bitmap resources.
GdiObject LoadGlyph(const char* resource) noexcept;

} // namespace tarvex::platform
