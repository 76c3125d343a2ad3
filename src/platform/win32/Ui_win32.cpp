#include "platform/Ui.h"

#include "platform/Exception.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

namespace tarvex::platform {

namespace {

constexpr char kFormClass[] = "TarvexForm";
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

void RegisterFormClass()
{
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = FormProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hIcon = LoadIconA(wc.hInstance, "MAINICON");
    wc.lpszClassName = kFormClass;
    RegisterClassExA(&wc);
    registered = true;
}

} // namespace

void InitUi()
{
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
}

bool ShowMessageBox(const std::string& text, const std::string& title, MessageKind kind)
{
    UINT flags = MB_TASKMODAL | MB_SETFOREGROUND;
    flags |= kind == MessageKind::Error ? (MB_OK | MB_ICONERROR) : (MB_YESNO | MB_ICONQUESTION);
    int answer = MessageBoxA(nullptr, text.c_str(), title.c_str(), flags);
    return answer == IDOK || answer == IDYES;
}

ComApartment::ComApartment()
{
    if (CoInitialize(nullptr) != S_OK) throw Exception("Shortcut error");
}

ComApartment::~ComApartment() { CoUninitialize(); }

struct Form::Impl {
    HWND hwnd = nullptr;
    bool quit = false;
    bool closed = false;

    ~Impl()
    {
        if (hwnd) DestroyWindow(hwnd);
    }
};

namespace {

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* impl = reinterpret_cast<Form::Impl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    switch (msg) {
    case WM_NCCREATE:
        SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
        break;
    case WM_CLOSE:
        if (impl) impl->closed = true;
        ShowWindow(hwnd, SW_HIDE);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

} // namespace

Form::Form(int clientWidth, int clientHeight) : impl_(std::make_unique<Impl>())
{
    RegisterFormClass();
    RECT r = {0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&r, kFormStyle, FALSE, kFormExStyle);
    int w = r.right - r.left, h = r.bottom - r.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    impl_->hwnd = CreateWindowExA(kFormExStyle, kFormClass, "", kFormStyle, x, y, w, h, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), impl_.get());
    if (!impl_->hwnd) throw Exception("Error creating window");
}

Form::~Form() = default;

void Form::SetCaption(const std::string& caption) { SetWindowTextA(impl_->hwnd, caption.c_str()); }

std::string Form::Caption() const
{
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(impl_->hwnd)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(impl_->hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Form::ShowModal()
{
    if (impl_->quit) return;
    impl_->closed = false;
    ShowWindow(impl_->hwnd, SW_SHOWNORMAL);
    SetForegroundWindow(impl_->hwnd);
    MSG msg;
    while (!impl_->closed && !impl_->quit) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            impl_->quit = true;
            break;
        }
        if (!IsDialogMessageA(impl_->hwnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    ShowWindow(impl_->hwnd, SW_HIDE);
}

void Form::Close() { PostMessageA(impl_->hwnd, WM_CLOSE, 0, 0); }

void Form::RequestQuit()
{
    impl_->quit = true;
    PostQuitMessage(0);
}

bool Form::Visible() const { return IsWindowVisible(impl_->hwnd) != FALSE; }

} // namespace tarvex::platform
