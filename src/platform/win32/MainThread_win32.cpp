#include "platform/MainThread.h"

#include <memory>
#include <windows.h>

namespace tarvex::platform {

namespace {

constexpr char kCallWindowClass[] = "TarvexMainThreadCalls";
constexpr UINT kRunCall = WM_APP + 0x54;

// The hidden message-only window of the main thread: any message loop on
// that thread runs the calls posted to it.
HWND g_callWindow = nullptr;

LRESULT CALLBACK CallWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == kRunCall) {
        std::unique_ptr<std::function<void()>> call(reinterpret_cast<std::function<void()>*>(lp));
        (*call)();
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

} // namespace

void BindMainThread()
{
    if (g_callWindow) return;
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = CallWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kCallWindowClass;
    RegisterClassExA(&wc);
    g_callWindow = CreateWindowExA(0, kCallWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   wc.hInstance, nullptr);
}

bool PostToMainThread(std::function<void()> call)
{
    if (!g_callWindow) return false;
    auto* heapCall = new std::function<void()>(std::move(call));
    if (PostMessageA(g_callWindow, kRunCall, 0, reinterpret_cast<LPARAM>(heapCall))) return true;
    delete heapCall;
    return false;
}

std::size_t RunMainThreadCalls()
{
    std::size_t count = 0;
    MSG msg;
    while (g_callWindow && PeekMessageA(&msg, g_callWindow, kRunCall, kRunCall, PM_REMOVE)) {
        DispatchMessageA(&msg);
        ++count;
    }
    return count;
}

} // namespace tarvex::platform
