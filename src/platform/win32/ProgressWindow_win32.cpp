#include "platform/ProgressWindow.h"

#include <windows.h>
#include <commctrl.h>

namespace tarvex::platform {

namespace {
constexpr char kClass[] = "TarvexProgress";
constexpr int kWidth = 360, kHeight = 110;
} // namespace

ProgressWindow::ProgressWindow(const std::string& caption, const std::string& text)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA; // nothing of ours runs inside it
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClass;
    RegisterClassExA(&wc);
    // A caption without a close box: the work cannot be left half done.
    const DWORD style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    RECT r = {0, 0, kWidth, kHeight};
    AdjustWindowRectEx(&r, style, FALSE, 0);
    int w = r.right - r.left, h = r.bottom - r.top;
    HWND window = CreateWindowExA(0, kClass, caption.c_str(), style, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                                  (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, nullptr, nullptr, instance, nullptr);
    if (!window) return; // the work goes on without a window
    window_ = window;
    HWND label = CreateWindowExA(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE, 16, 18, kWidth - 32, 20, window,
                                 nullptr, instance, nullptr);
    SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    bar_ = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 16, 52, kWidth - 32, 20, window, nullptr,
                           instance, nullptr);
    SendMessageA(static_cast<HWND>(bar_), PBM_SETRANGE, 0, MAKELPARAM(0, 1000));
    SetPosition(0, 1);
}

ProgressWindow::~ProgressWindow()
{
    if (window_) DestroyWindow(static_cast<HWND>(window_));
}

void ProgressWindow::SetPosition(std::uint64_t done, std::uint64_t total)
{
    if (!window_) return;
    // Each step is a round trip to the window system: a few a second keep
    // the bar moving and the window answering without slowing the work.
    const DWORD now = GetTickCount();
    if (shown_ && now - tick_ < 100 && done < total) return;
    shown_ = true;
    tick_ = now;
    WPARAM permille = total ? static_cast<WPARAM>(done * 1000 / total) : 0;
    SendMessageA(static_cast<HWND>(bar_), PBM_SETPOS, permille, 0);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        // A quit request belongs to whoever runs the next loop.
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

} // namespace tarvex::platform
