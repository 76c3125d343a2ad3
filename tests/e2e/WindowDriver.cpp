#include "WindowDriver.h"

#include <cstdio>
#include <stdexcept>

namespace tarvex::e2e {

std::string Narrow(const std::wstring& w)
{
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Widen(const std::string& s)
{
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

Process::Process(const std::string& exe, const std::string& workingDir, const std::string& arguments,
                 bool waitIdle)
{
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring cmd = L"\"" + Widen(exe) + L"\"" + (arguments.empty() ? L"" : L" " + Widen(arguments));
    std::wstring dir = Widen(workingDir);
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &info_))
        throw std::runtime_error("cannot start " + exe);
    if (waitIdle) WaitForInputIdle(info_.hProcess, 5000);
}

Process::~Process()
{
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool Process::WaitExit(DWORD timeoutMs, DWORD* code)
{
    if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
    GetExitCodeProcess(info_.hProcess, code);
    return true;
}

std::string WindowText(HWND hwnd)
{
    wchar_t buf[4096] = {};
    // WM_GETTEXT reaches controls of another process; GetWindowText would not.
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 4095, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 2000, nullptr);
    return Narrow(buf);
}

std::string ClassName(HWND hwnd)
{
    wchar_t buf[256] = {};
    GetClassNameW(hwnd, buf, 255);
    return Narrow(buf);
}

namespace {
struct TopCtx {
    DWORD pid;
    std::vector<WindowInfo> found;
};
BOOL CALLBACK CollectTop(HWND hwnd, LPARAM lp)
{
    auto* c = reinterpret_cast<TopCtx*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == c->pid && IsWindowVisible(hwnd)) c->found.push_back({hwnd, WindowText(hwnd), ClassName(hwnd)});
    return TRUE;
}
BOOL CALLBACK CollectChild(HWND hwnd, LPARAM lp)
{
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
    return TRUE;
}
} // namespace

std::vector<WindowInfo> TopWindows(DWORD processId)
{
    TopCtx ctx{processId, {}};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

HWND WaitWindow(DWORD processId, const std::string& title, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    do {
        for (const WindowInfo& w : TopWindows(processId))
            if (w.title == title) return w.hwnd;
        Sleep(50);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

std::vector<HWND> Children(HWND parent)
{
    std::vector<HWND> found;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string MessageBoxText(HWND box)
{
    // The message is the static control with id 0xFFFF (the icon is a static too, without text).
    for (HWND child : Children(box))
        if (GetDlgCtrlID(child) == 0xFFFF && ClassName(child) == "Static") {
            std::string text = WindowText(child);
            if (!text.empty()) return text;
        }
    return {};
}

HWND FindControl(HWND top, const std::string& className, const std::string& text)
{
    for (HWND child : Children(top))
        if (IsWindowVisible(child) && ClassName(child) == className && WindowText(child) == text) return child;
    return nullptr;
}

HWND FindControlOfClass(HWND top, const std::string& className)
{
    for (HWND child : Children(top))
        if (IsWindowVisible(child) && ClassName(child) == className) return child;
    return nullptr;
}

HWND WaitControl(HWND top, const std::string& className, const std::string& text, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    do {
        if (HWND found = FindControl(top, className, text)) return found;
        Sleep(20);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

std::vector<std::string> ListBoxLines(HWND listBox)
{
    std::vector<std::string> lines;
    DWORD_PTR count = 0;
    SendMessageTimeoutW(listBox, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count);
    for (DWORD_PTR i = 0; i < count; ++i) {
        wchar_t buf[4096] = {};
        SendMessageTimeoutW(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 2000, nullptr);
        lines.push_back(Narrow(buf));
    }
    return lines;
}

void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void ClickAt(HWND window, int x, int y)
{
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void DoubleClickAt(HWND window, int x, int y)
{
    ClickAt(window, x, y);
    PostMessageW(window, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void RightClickAt(HWND window, int x, int y)
{
    PostMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
    PostMessageW(window, WM_RBUTTONUP, 0, MAKELPARAM(x, y));
}

POINT PositionIn(HWND control, HWND window)
{
    RECT r{};
    GetWindowRect(control, &r);
    POINT p{r.left, r.top};
    ScreenToClient(window, &p);
    return p;
}

HWND WaitPopupMenu(DWORD processId, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    do {
        for (const WindowInfo& w : TopWindows(processId))
            if (w.className == "#32768") return w.hwnd;
        Sleep(20);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

void ChooseMenuItem(HWND menuWindow, int position)
{
    // The menu's own loop reads the keys: down to the item, then Enter.
    for (int i = 0; i <= position; ++i) PostMessageW(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menuWindow, WM_CHAR, L'\r', 0);
}

std::string ClipboardText()
{
    if (!OpenClipboard(nullptr)) return {};
    std::string text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = Narrow(chars);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

HWND FocusOf(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

bool XInput(const std::string& arguments)
{
    // Wine starts a Unix program given by its Unix path through CreateProcess.
    std::string command = "/usr/bin/xdotool " + arguments;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA("Z:\\usr\\bin\\xdotool", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        std::fprintf(stderr, "xdotool: error %lu\n", GetLastError());
        return false;
    }
    // Wine gives no usable handle of a Unix process: let it do its work.
    if (pi.hThread) CloseHandle(pi.hThread);
    if (pi.hProcess) CloseHandle(pi.hProcess);
    Sleep(500);
    return true;
}

HWND FindAnyWindow(const std::string& title)
{
    HWND hwnd = FindWindowW(nullptr, Widen(title).c_str());
    return hwnd && IsWindowVisible(hwnd) ? hwnd : nullptr;
}

void PressButton(HWND dialog, int id)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool TakingScreenshots()
{
    char dir[8];
    return GetEnvironmentVariableA("TARVEX_SHOTS", dir, sizeof dir) != 0;
}

void Screenshot(const std::string& name)
{
    Screenshot(name, RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

void Screenshot(const std::string& name, HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    constexpr int kMargin = 8;
    Screenshot(name, RECT{r.left - kMargin, r.top - kMargin, r.right + kMargin, r.bottom + kMargin});
}

void Screenshot(const std::string& name, RECT area)
{
    char dir[1024] = {};
    if (GetEnvironmentVariableA("TARVEX_SHOTS", dir, sizeof dir) == 0) return;
    Sleep(300); // let the windows paint
    int w = area.right - area.left, h = area.bottom - area.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, area.left, area.top, SRCCOPY);
    SelectObject(mem, old);
    DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
    DWORD size = stride * static_cast<DWORD>(h);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + size;
    bi.bmiHeader.biSizeImage = size;
    std::string path = std::string(dir) + "\\" + name + ".bmp";
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
        DWORD done = 0;
        WriteFile(f, &fh, sizeof fh, &done, nullptr);
        WriteFile(f, &bi.bmiHeader, sizeof bi.bmiHeader, &done, nullptr);
        WriteFile(f, bits, size, &done, nullptr);
        CloseHandle(f);
    }
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
}

} // namespace tarvex::e2e
