// The main thread's hand-offs: calls that workers post to it, and the
// exception that g_escaped into the system's frames (EntryGuard.h), kept
// until our own code rethrows it.
#include "platform/MainThread.h"

#include "platform/win32/EntryGuard.h"

#include <memory>
#include <utility>
#include <windows.h>

namespace tarvex::platform {

namespace {

constexpr char kCallWindowClass[] = "TarvexMainThreadCalls";
constexpr UINT kRunCall = WM_APP + 0x54;
// wParam of a kRunCall whose lParam is a worker's exception, not a call.
constexpr WPARAM kRethrow = 1;

// The hidden message-only window of the main thread: any message loop on
// that thread runs the calls posted to it.
HWND g_callWindow = nullptr;
// The first exception a guard caught, until it is rethrown.
std::exception_ptr g_escaped;

LRESULT CALLBACK MainThreadCallProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg != kRunCall) return DefWindowProcA(hwnd, msg, wp, lp);
    return Guarded<LRESULT>(0, [&] {
        if (wp == kRethrow) {
            std::unique_ptr<std::exception_ptr> failure(reinterpret_cast<std::exception_ptr*>(lp));
            std::rethrow_exception(*failure);
        }
        std::unique_ptr<std::function<void()>> call(reinterpret_cast<std::function<void()>*>(lp));
        (*call)();
        return 0;
    });
}

} // namespace

void KeepEscapedException() noexcept
{
    if (g_escaped) return;
    g_escaped = std::current_exception();
    // GetMessage may be waiting inside a message sent from another thread.
    PostMessageA(nullptr, WM_NULL, 0, 0);
}

bool HasEscapedException() noexcept { return static_cast<bool>(g_escaped); }

void RethrowEscapedException()
{
    if (g_escaped) std::rethrow_exception(std::exchange(g_escaped, nullptr));
}

void BindMainThread()
{
    if (g_callWindow) return;
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = MainThreadCallProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kCallWindowClass;
    RegisterClassExA(&wc);
    g_callWindow = CreateWindowExA(0, kCallWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   wc.hInstance, nullptr);
    // Message-only windows start at Windows 2000: earlier, a top-level
    // window that is never shown.
    if (!g_callWindow)
        g_callWindow = CreateWindowExA(WS_EX_TOOLWINDOW, kCallWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                       nullptr, wc.hInstance, nullptr);
}

bool PostToMainThread(std::function<void()> call)
{
    if (!g_callWindow) return false;
    auto* heapCall = new std::function<void()>(std::move(call));
    if (PostMessageA(g_callWindow, kRunCall, 0, reinterpret_cast<LPARAM>(heapCall))) return true;
    delete heapCall;
    return false;
}

void HandEscapedExceptionToMainThread() noexcept
{
    if (!g_callWindow) return;
    // Without memory for this the process ends, as the exception would have.
    auto* failure = new std::exception_ptr(std::current_exception());
    if (!PostMessageA(g_callWindow, kRunCall, kRethrow, reinterpret_cast<LPARAM>(failure))) delete failure;
}

std::size_t RunMainThreadCalls()
{
    std::size_t count = 0;
    MSG msg;
    while (g_callWindow && PeekMessageA(&msg, g_callWindow, kRunCall, kRunCall, PM_REMOVE)) {
        DispatchMessageA(&msg);
        ++count;
    }
    RethrowEscapedException();
    return count;
}

} // namespace tarvex::platform
