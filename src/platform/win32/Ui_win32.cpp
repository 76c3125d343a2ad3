// The toolkit on real windows: standard controls for the leaves, one window
// class of our own for the containers (form, notebook, pages, group boxes,
// painted boxes). Tab order and accelerators are ours, not the dialog
// manager's: the tab order of a container differs from its stacking order.
// This part creates the windows, mirrors the controls' state onto them and
// runs their window procedures; painting and the modal loop have parts of
// their own.
#include "platform/Ui.h"

#include "base/Exception.h"
#include "platform/UiBackend.h"
#include "platform/win32/EntryGuard.h"
#include "platform/win32/NativeWindow.h"

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace tarvex::platform {

namespace {

constexpr char kFormClass[] = "TarvexForm";
constexpr char kNotebookClass[] = "TarvexNotebook";
constexpr char kPageClass[] = "TarvexPage";
constexpr char kGroupBoxClass[] = "TarvexGroupBox";
constexpr char kPaintBoxClass[] = "TarvexPaintBox";
constexpr char kPanelClass[] = "TarvexPanel";
constexpr char kImageClass[] = "TarvexImage";
constexpr char kRichEditLibrary[] = "riched20.dll";
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// A loaded module, freed when the owner goes.
using LibraryHandle = UniqueResource<HMODULE, &FreeLibrary>;

// Fonts are shared by every control that uses the same description and live
// as long as the process. Namespace-scope rather than function-local: a
// guarded local static would bring the threads library into setup.exe.
std::vector<std::pair<FontSpec, GdiObject>> fonts;
LibraryHandle richEditLibrary;
// The screen's cursor table. Cursors loaded from resources are shared and
// owned by the system: nothing to free.
HCURSOR screenCursors[kCursorSlots] = {};
// The label class's own procedure, which our labels' procedure wraps.
WNDPROC staticProc = nullptr;

LRESULT CALLBACK ContainerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
void PaintLabel(HWND hwnd, const Label& label);

void RegisterClasses()
{
    static bool registered = false;
    if (registered) return;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    for (const char* name :
         {kFormClass, kNotebookClass, kPageClass, kGroupBoxClass, kPaintBoxClass, kPanelClass, kImageClass}) {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        wc.style = name == kImageClass ? CS_DBLCLKS : 0;
        wc.lpfnWndProc = ContainerProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        if (name == kFormClass) wc.hIcon = LoadIconA(instance, "MAINICON");
        wc.lpszClassName = name;
        RegisterClassExA(&wc);
    }
    registered = true;
}

} // namespace

HFONT FontFor(const FontSpec& spec)
{
    for (const auto& [known, font] : fonts)
        if (known.face == spec.face && known.height == spec.height && known.bold == spec.bold &&
            known.italic == spec.italic && known.underline == spec.underline && known.strikeOut == spec.strikeOut)
            return static_cast<HFONT>(font.Get());
    LOGFONTA lf = ToLogFont(spec);
    fonts.emplace_back(spec, GdiObject(CreateFontIndirectA(&lf)));
    return static_cast<HFONT>(fonts.back().second.Get());
}

Control* ControlOf(HWND hwnd)
{
    return hwnd ? reinterpret_cast<Control*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)) : nullptr;
}

HWND HwndOf(const Control& control) { return control.Native() ? control.Native()->Hwnd() : nullptr; }

std::uintptr_t WindowIdOf(const Control& control) { return reinterpret_cast<std::uintptr_t>(HwndOf(control)); }

namespace {

HBRUSH BrushOf(const Control& control)
{
    NativeWindow* native = control.Native();
    if (!native) return GetSysColorBrush(COLOR_BTNFACE);
    if (!native->brush) native->brush.Reset(CreateSolidBrush(ToColorRef(control.BackColor())));
    return static_cast<HBRUSH>(native->brush.Get());
}

void OnCommand(HWND child, WORD code)
{
    Control* control = ControlOf(child);
    if (!control || !control->Native()) return;
    switch (control->GetKind()) {
    case Control::Kind::Button:
    case Control::Kind::SpeedButton:
        if (code == BN_CLICKED && IsWindowEnabled(child)) static_cast<Button*>(control)->Click();
        break;
    case Control::Kind::Edit:
        if (code == EN_CHANGE && !control->Native()->settingText) {
            std::string text(static_cast<std::size_t>(GetWindowTextLengthA(child)) + 1, '\0');
            text.resize(static_cast<std::size_t>(GetWindowTextA(child, text.data(), static_cast<int>(text.size()))));
            control->TextChangedByUser(text);
        }
        break;
    default:
        break;
    }
}

// The mouse on a control that reports it (labels, images, a form's
// background). True when the message was handled, with its result.
bool HandleMouse(HWND hwnd, Control& control, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    const int x = static_cast<short>(LOWORD(lp)), y = static_cast<short>(HIWORD(lp));
    result = 0;
    switch (msg) {
    case WM_LBUTTONDOWN:
        SetCapture(hwnd);
        control.MousePressed(MouseButton::Left, x, y);
        return true;
    case WM_RBUTTONDOWN:
        control.MousePressed(MouseButton::Right, x, y);
        return false; // the release brings the context menu
    case WM_LBUTTONDBLCLK:
        control.MouseDoubleClicked(x, y);
        return true;
    case WM_LBUTTONUP: {
        if (GetCapture() == hwnd) ReleaseCapture();
        RECT client;
        GetClientRect(hwnd, &client);
        control.MouseReleased(MouseButton::Left, x, y, x >= 0 && y >= 0 && x < client.right && y < client.bottom);
        return true;
    }
    case WM_RBUTTONUP:
        control.MouseReleased(MouseButton::Right, x, y, true);
        return false;
    case WM_CONTEXTMENU: {
        if (reinterpret_cast<HWND>(wp) != hwnd || !control.ContextMenu()) return false;
        int sx = x, sy = y;
        if (lp == -1) { // from the keyboard: at the control
            RECT r;
            GetWindowRect(hwnd, &r);
            sx = r.left;
            sy = r.top;
        }
        control.ContextMenuRequested(sx, sy);
        return true;
    }
    case WM_SETCURSOR: {
        int slot = control.Cursor();
        if (reinterpret_cast<HWND>(wp) != hwnd || LOWORD(lp) != HTCLIENT || slot <= 0 || slot >= kCursorSlots ||
            !screenCursors[slot])
            return false;
        ::SetCursor(screenCursors[slot]);
        result = TRUE;
        return true;
    }
    default:
        return false;
    }
}

// The procedures below run under the guard: a handler's exception must not
// cross DispatchMessage. The modal loop rethrows it on our side.
LRESULT CALLBACK LabelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    return Guarded<LRESULT>(0, [&] {
        LRESULT result = 0;
        Control* self = ControlOf(hwnd);
        if (self && self->Native() && HandleMouse(hwnd, *self, msg, wp, lp, result)) return result;
        if (self && msg == WM_PAINT) {
            PaintLabel(hwnd, static_cast<const Label&>(*self));
            return result;
        }
        return CallWindowProcA(staticProc, hwnd, msg, wp, lp);
    });
}

LRESULT HandleContainerMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE)
        SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
    Control* self = ControlOf(hwnd);
    if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
    if (LRESULT result = 0; self->Native() && HandleMouse(hwnd, *self, msg, wp, lp, result)) return result;
    switch (msg) {
    case WM_COMMAND:
        if (lp) OnCommand(reinterpret_cast<HWND>(lp), HIWORD(wp));
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN: {
        Control* child = ControlOf(reinterpret_cast<HWND>(lp));
        if (!child) break;
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, ToColorRef(child->Font().color));
        SetBkColor(dc, ToColorRef(child->BackColor()));
        return reinterpret_cast<LRESULT>(BrushOf(msg == WM_CTLCOLORBTN ? *self : *child));
    }
    case WM_NCHITTEST:
        // An image without a picture shows nothing and lets the mouse through.
        if (self->GetKind() == Control::Kind::Image && !static_cast<Image&>(*self).Picture()) return HTTRANSPARENT;
        break;
    case WM_ERASEBKGND:
        // The painted box covers itself; answering "erased" keeps it from flickering.
        if (self->GetKind() != Control::Kind::PaintBox) {
            RECT r;
            GetClientRect(hwnd, &r);
            FillRect(reinterpret_cast<HDC>(wp), &r, BrushOf(*self));
        }
        return 1;
    case WM_PAINT:
        if (self->Native() && PaintContainer(hwnd, *self)) return 0;
        break;
    case WM_ACTIVATE:
        if (self->GetKind() == Control::Kind::Form) {
            auto& form = static_cast<Form&>(*self);
            if (LOWORD(wp) == WA_INACTIVE) {
                Control* focused = ControlOf(GetFocus());
                if (focused && focused->OwnerForm() == &form) form.SetActiveControl(*focused);
            } else if (form.ActiveControl() && HwndOf(*form.ActiveControl())) {
                ::SetFocus(HwndOf(*form.ActiveControl()));
                return 0;
            }
        }
        break;
    case WM_CLOSE:
        // The close box ends the modal run at once.
        if (self->GetKind() == Control::Kind::Form) {
            static_cast<Form&>(*self).Close();
            return 0;
        }
        break;
    default:
        break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK ContainerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    return Guarded<LRESULT>(0, [&] { return HandleContainerMessage(hwnd, msg, wp, lp); });
}

struct CreateParams {
    const char* className;
    DWORD style;
    DWORD exStyle;
};

CreateParams ParamsFor(const Control& control)
{
    constexpr DWORD kChild = WS_CHILD | WS_CLIPSIBLINGS;
    switch (control.GetKind()) {
    case Control::Kind::Form: {
        bool closeBox = static_cast<const Form&>(control).Border() == FormBorder::DialogWithClose;
        return {kFormClass, kFormStyle | (closeBox ? WS_SYSMENU : 0), kFormExStyle};
    }
    case Control::Kind::Notebook:
        return {kNotebookClass, kChild | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case Control::Kind::Page:
        return {kPageClass, kChild | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case Control::Kind::GroupBox:
        return {kGroupBoxClass, kChild | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case Control::Kind::PaintBox:
        return {kPaintBoxClass, kChild | WS_CLIPCHILDREN, 0};
    case Control::Kind::Panel:
        return {kPanelClass, kChild | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case Control::Kind::Image:
        return {kImageClass, kChild, 0};
    case Control::Kind::Button:
        return {"BUTTON", kChild | WS_TABSTOP | BS_PUSHBUTTON, 0};
    case Control::Kind::SpeedButton: {
        DWORD picture = static_cast<const SpeedButton&>(control).GlyphResource() ? BS_BITMAP : 0;
        return {"BUTTON", kChild | BS_PUSHBUTTON | BS_FLAT | picture, 0};
    }
    case Control::Kind::Label: {
        const auto& label = static_cast<const Label&>(control);
        DWORD align = label.Alignment() == TextAlign::Center  ? SS_CENTER
                      : label.Alignment() == TextAlign::Right ? SS_RIGHT
                      : label.WordWrap()                      ? SS_LEFT
                                                              : SS_LEFTNOWORDWRAP;
        // SS_NOTIFY: the label takes the mouse rather than its parent.
        return {"STATIC", kChild | align | SS_NOTIFY, 0};
    }
    case Control::Kind::Edit: {
        DWORD readOnly = static_cast<const Edit&>(control).ReadOnly() ? ES_READONLY : 0;
        return {"EDIT", kChild | WS_TABSTOP | ES_AUTOHSCROLL | readOnly, WS_EX_CLIENTEDGE};
    }
    case Control::Kind::ListBox:
        return {"LISTBOX", kChild | WS_TABSTOP | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, WS_EX_CLIENTEDGE};
    case Control::Kind::ProgressBar:
        return {PROGRESS_CLASSA, kChild, 0};
    case Control::Kind::RichMemo:
        return {RICHEDIT_CLASSA,
                kChild | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_DISABLENOSCROLL,
                WS_EX_CLIENTEDGE};
    }
    return {"STATIC", kChild, 0};
}

// Streams a string into a rich-edit control.
struct StreamSource {
    const std::string* bytes;
    std::size_t offset;
};

DWORD CALLBACK StreamIn(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got)
{
    return Guarded<DWORD>(1, [&] {
        auto* source = reinterpret_cast<StreamSource*>(cookie);
        std::size_t left = source->bytes->size() - source->offset;
        std::size_t n = std::min(left, static_cast<std::size_t>(wanted));
        std::copy_n(source->bytes->data() + source->offset, n, buffer);
        source->offset += n;
        *got = static_cast<LONG>(n);
        return DWORD{0};
    });
}

// A label's text (one paragraph: no label shows a line break) in the font
// selected into dc, line by line: each line as much as width holds, broken
// at its last blank that fits (a word longer than the line where it must). Drawn into area when given, at the advances
// the measuring gave: Wine's own placement of the same glyphs runs a pixel
// wider every dozen letters, which cut the last letter of a label sized to
// its text. Yields the height of the lines and, in *widest, the widest line.
int LayOutLabel(HDC dc, const Label& label, int width, int* widest, const RECT* area)
{
    const std::string& text = label.Text();
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    int ends[256];
    int y = 0;
    *widest = 0;
    std::size_t at = 0;
    do {
        const char* line = text.data() + at;
        // A longer line needs more than one pass anyway.
        const int n = static_cast<int>(std::min(text.size() - at, std::size_t{256}));
        int fit = 0;
        SIZE size;
        GetTextExtentExPointA(dc, line, n, width, &fit, ends, &size);
        int shown = n;
        if (fit < n) {
            shown = std::max(fit, 1);
            // Only the advances of what fits are given: a first letter wider
            // than the line is measured alone.
            if (fit == 0) {
                GetTextExtentExPointA(dc, line, 1, 0, nullptr, nullptr, &size);
                ends[0] = size.cx;
            }
            for (int i = fit; i > 0; --i)
                if (line[i] == ' ') {
                    shown = i;
                    break;
                }
        }
        int lineWidth = 0;
        if (shown) {
            // The last glyph may reach past its advance (a backslash does).
            ABC last{};
            const auto c = static_cast<unsigned char>(line[shown - 1]);
            GetCharABCWidthsA(dc, c, c, &last);
            lineWidth = ends[shown - 1] + std::max(0, -last.abcC);
        }
        *widest = std::max(*widest, lineWidth);
        if (area) {
            for (int i = shown - 1; i > 0; --i) ends[i] -= ends[i - 1];
            // Left, Center, Right: none, half or all of the free width before the line.
            const int x = (area->right - lineWidth) * static_cast<int>(label.Alignment()) / 2;
            ExtTextOutA(dc, x, y, ETO_CLIPPED, area, line, static_cast<UINT>(shown), ends);
        }
        y += tm.tmHeight;
        at += static_cast<std::size_t>(shown) + (line[shown] == ' ');
    } while (at < text.size());
    return y;
}

void PaintLabel(HWND hwnd, const Label& label)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT area;
    GetClientRect(hwnd, &area);
    FillRect(dc, &area, BrushOf(label));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ToColorRef(label.Font().color));
    // The font stays selected: the device context goes with EndPaint.
    SelectObject(dc, FontFor(label.Font()));
    int widest;
    LayOutLabel(dc, label, area.right, &widest, &area);
    EndPaint(hwnd, &ps);
}

// An automatically sized label takes the size of its text; a word-wrapped
// one keeps its width. Either grows no further than its frame's right edge
// and wraps there.
void FitLabel(HWND hwnd, const Label& label)
{
    if (!label.AutoSize()) return;
    WindowDc dc(GetDC(hwnd));
    Selection font(dc.Get(), FontFor(label.Font()));
    const Bounds& b = label.GetBounds();
    RECT frame;
    GetClientRect(GetParent(hwnd), &frame);
    int width = label.WordWrap() ? b.width : std::max(static_cast<int>(frame.right) - b.left, b.width);
    const int height = LayOutLabel(dc.Get(), label, width, &width, nullptr);
    if (label.WordWrap()) width = b.width;
    SetWindowPos(hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

void InitUi()
{
    // InitCommonControlsEx came with comctl32 4.70; NT 4.0 ships 4.00, whose
    // InitCommonControls registers the same classes.
    using InitEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto initEx = reinterpret_cast<InitEx>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("comctl32.dll"), "InitCommonControlsEx")));
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
    if (!initEx || !initEx(&icc)) InitCommonControls();
    if (!richEditLibrary) richEditLibrary.Reset(LoadLibraryA(kRichEditLibrary));
}

namespace backend {

NativeWindowOwner Create(Control& control)
{
    RegisterClasses();
    CreateParams params = ParamsFor(control);
    const Bounds& b = control.GetBounds();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WindowHandle window;
    if (control.GetKind() == Control::Kind::Form) {
        RECT r = {0, 0, b.width, b.height};
        AdjustWindowRectEx(&r, params.style, FALSE, params.exStyle);
        int w = r.right - r.left, h = r.bottom - r.top;
        int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
        int y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
        window.Reset(CreateWindowExA(params.exStyle, params.className, control.Text().c_str(), params.style, x, y,
                                     w, h, nullptr, nullptr, instance, &control));
    } else {
        static int nextId = 100;
        DWORD style = params.style | (control.Visible() ? WS_VISIBLE : 0) | (control.Enabled() ? 0 : WS_DISABLED);
        window.Reset(CreateWindowExA(params.exStyle, params.className, control.Text().c_str(), style, b.left, b.top,
                                     b.width, b.height, HwndOf(*control.Parent()),
                                     reinterpret_cast<HMENU>(nextId++), instance, &control));
    }
    if (!window) throw Exception("Error creating window");
    const HWND hwnd = window.Get();
    NativeWindowOwner native(new NativeWindow(std::move(window)));
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&control));
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(control.Font())), FALSE);
    switch (control.GetKind()) {
    case Control::Kind::SpeedButton:
        if (const char* resource = static_cast<SpeedButton&>(control).GlyphResource()) {
            native->glyph = LoadGlyph(resource);
            if (native->glyph)
                SendMessageA(hwnd, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(native->glyph.Get()));
        }
        break;
    case Control::Kind::Label: {
        auto base = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LabelProc)));
        if (!staticProc) staticProc = base;
        FitLabel(hwnd, static_cast<Label&>(control));
        break;
    }
    case Control::Kind::ListBox:
        SendMessageA(hwnd, LB_SETITEMHEIGHT, 0, static_cast<ListBox&>(control).ItemHeight());
        break;
    case Control::Kind::RichMemo:
        SendMessageA(hwnd, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(ToColorRef(control.BackColor())));
        break;
    default:
        break;
    }
    return native;
}

void Destroy(NativeWindow* window)
{
    // The window's last messages must not reach a control that is going.
    if (window) SetWindowLongPtrA(window->Hwnd(), GWLP_USERDATA, 0);
    delete window;
}

void Sync(Control& control, Aspect aspect)
{
    NativeWindow* native = control.Native();
    if (!native) return;
    HWND hwnd = native->Hwnd();
    switch (aspect) {
    case Aspect::Text:
        native->settingText = true;
        SetWindowTextA(hwnd, control.Text().c_str());
        native->settingText = false;
        // The label class paints a new text at once, its own way: ours follows.
        if (control.GetKind() == Control::Kind::GroupBox || control.GetKind() == Control::Kind::Label)
            InvalidateRect(hwnd, nullptr, TRUE);
        if (control.GetKind() == Control::Kind::Label) FitLabel(hwnd, static_cast<Label&>(control));
        break;
    case Aspect::Visible:
        if (control.GetKind() != Control::Kind::Form) ShowWindow(hwnd, control.Visible() ? SW_SHOWNA : SW_HIDE);
        break;
    case Aspect::Enabled:
        EnableWindow(hwnd, control.Enabled());
        break;
    case Aspect::Font:
        SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(control.Font())), TRUE);
        if (control.GetKind() == Control::Kind::Label) FitLabel(hwnd, static_cast<Label&>(control));
        break;
    case Aspect::Color:
        native->brush.Reset();
        if (control.GetKind() == Control::Kind::RichMemo)
            SendMessageA(hwnd, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(ToColorRef(control.BackColor())));
        InvalidateRect(hwnd, nullptr, TRUE);
        break;
    case Aspect::CaptionFont:
        InvalidateRect(hwnd, nullptr, TRUE);
        break;
    case Aspect::Progress: {
        auto& bar = static_cast<ProgressBar&>(control);
        SendMessageA(hwnd, PBM_SETRANGE32, static_cast<WPARAM>(bar.Min()), bar.Max());
        SendMessageA(hwnd, PBM_SETPOS, static_cast<WPARAM>(bar.Position()), 0);
        break;
    }
    case Aspect::Lines: {
        const auto& lines = static_cast<ListBox&>(control).Lines();
        auto shown = static_cast<std::size_t>(SendMessageA(hwnd, LB_GETCOUNT, 0, 0));
        for (std::size_t i = shown; i < lines.size(); ++i)
            SendMessageA(hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lines[i].c_str()));
        break;
    }
    case Aspect::Content: {
        auto& memo = static_cast<RichMemo&>(control);
        StreamSource source{&memo.Content(), 0};
        EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, StreamIn};
        SendMessageA(hwnd, EM_STREAMIN, memo.ShowsRichText() ? SF_RTF : SF_TEXT, reinterpret_cast<LPARAM>(&stream));
        // Lines wrap inside what shows, not under the scroll bar.
        RECT visible;
        GetClientRect(hwnd, &visible);
        SendMessageA(hwnd, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&visible));
        break;
    }
    case Aspect::Position:
        if (control.GetKind() != Control::Kind::Form)
            SetWindowPos(hwnd, nullptr, control.GetBounds().left, control.GetBounds().top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        break;
    case Aspect::Picture:
        if (const char* resource = static_cast<Image&>(control).Picture())
            native->glyph.Reset(LoadImageA(GetModuleHandleA(nullptr), resource, IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
        else
            native->glyph.Reset();
        InvalidateRect(hwnd, nullptr, TRUE);
        break;
    case Aspect::Default:
        SendMessageA(hwnd, BM_SETSTYLE, static_cast<Button&>(control).Default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON,
                     TRUE);
        break;
    }
}

void Reparent(Control& control)
{
    HWND hwnd = HwndOf(control);
    if (!hwnd || !control.Parent()) return;
    ::SetParent(hwnd, HwndOf(*control.Parent()));
    SetWindowPos(hwnd, HWND_TOP, control.GetBounds().left, control.GetBounds().top, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE);
}

Size WindowSize(const Form& form)
{
    RECT r{};
    if (HWND hwnd = HwndOf(form)) GetWindowRect(hwnd, &r);
    return {r.right - r.left, r.bottom - r.top};
}

void LoadScreenCursor(int slot, const char* resource)
{
    screenCursors[slot] = LoadCursorA(GetModuleHandleA(nullptr), resource);
}

void RaiseToTop(Control& control)
{
    // Later controls lie above earlier ones.
    if (control.Parent() && control.Native())
        SetWindowPos(control.Native()->Hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Focus(Control& control)
{
    // In a window that is not active the focus is only remembered (the
    // form's active control), to be given when the window is activated:
    // setting it would activate the window over a message box.
    HWND hwnd = HwndOf(control);
    if (!hwnd || !IsWindowVisible(hwnd)) return;
    // The top-level window by hand: GetAncestor is missing on NT 4.0.
    HWND top = hwnd;
    while ((GetWindowLongA(top, GWL_STYLE) & WS_CHILD) && GetParent(top)) top = GetParent(top);
    if (GetActiveWindow() == top) ::SetFocus(hwnd);
}

bool HasFocus(const Control& control) { return HwndOf(control) && GetFocus() == HwndOf(control); }

Control* FocusedControl(Form& form)
{
    // The mouse moves the focus without telling the form.
    Control* focused = ControlOf(GetFocus());
    return focused && focused->OwnerForm() == &form ? focused : form.ActiveControl();
}

} // namespace backend

} // namespace tarvex::platform
