// The shell's folder dialog (SHBrowseForFolder) with our callback: the
// client hears of initialisation, selection changes and the extra button.
#include "platform/FolderDialog.h"

#include "platform/ComApartment.h"
#include "platform/win32/EntryGuard.h"
#include "platform/win32/UniqueResource.h"

#include <windows.h>
#include <shlobj.h>

namespace tarvex::platform {

namespace {

// An item identifier list handed out by the shell, freed with the task allocator.
using ItemIdListOwner = UniqueResource<LPITEMIDLIST, &CoTaskMemFree>;
using FontHandle = UniqueResource<HFONT, &DeleteObject>;

const char kButtonClass[] = "BUTTON";
const char kButtonFontFace[] = "MS Sans Serif";
constexpr int kButtonFontPoints = 8;
// WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP: a plain push button.
constexpr DWORD kButtonStyle = 0x54010000;

std::string PathOf(LPCITEMIDLIST item, bool* hasPath)
{
    char buffer[MAX_PATH] = {};
    *hasPath = item && SHGetPathFromIDListA(item, buffer);
    return *hasPath ? std::string(buffer) : std::string();
}

LRESULT CALLBACK CustomButtonWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// One run of the dialog; the dialog's GWLP_USERDATA points here.
class Win32FolderDialog final : public FolderDialog {
public:
    explicit Win32FolderDialog(FolderDialogClient& client) : client_(client) {}

    WindowId Handle() const override { return reinterpret_cast<WindowId>(hwnd_); }

    void PlaceOverForeground() override
    {
        RECT d, f;
        // Without a window manager the owner may not have been made the
        // foreground window; the dialog goes over it all the same.
        HWND foreground = GetForegroundWindow();
        if (!foreground || foreground == hwnd_) foreground = GetWindow(hwnd_, GW_OWNER);
        if (!foreground || !GetWindowRect(hwnd_, &d) || !GetWindowRect(foreground, &f)) return;
        ScreenPoint at = FolderDialogPosition({d.left, d.top, d.right, d.bottom}, {f.left, f.top, f.right, f.bottom});
        SetWindowPos(hwnd_, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void Select(const std::string& directory) override
    {
        SendMessageA(hwnd_, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(directory.c_str()));
    }

    void SetStatusText(const std::string& text) override
    {
        SendMessageA(hwnd_, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }

    void EnableOk(bool enable) override { SendMessageA(hwnd_, BFFM_ENABLEOK, 0, enable ? 1 : 0); }

    WindowId AddCustomButton(const std::string& caption, int width, bool enabled) override
    {
        HWND button = CreateWindowExA(0, kButtonClass, caption.c_str(), kButtonStyle, kCustomButtonLeft,
                                      kCustomButtonTop, width, kCustomButtonHeight, hwnd_,
                                      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kCustomButtonId)),
                                      GetModuleHandleA(nullptr), nullptr);
        if (!font_) {
            WindowDc screen(GetDC(nullptr));
            int height = -MulDiv(kButtonFontPoints, GetDeviceCaps(screen.Get(), LOGPIXELSY), 72);
            font_.Reset(CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                    DEFAULT_PITCH | FF_DONTCARE, kButtonFontFace));
        }
        PostMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), 1);
        EnableWindow(button, enabled);
        // The dialog's own procedure, whatever it is, gets every message the
        // button's command does not take.
        if (!dialogProc_)
            dialogProc_ = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CustomButtonWindowProc)));
        return reinterpret_cast<WindowId>(button);
    }

    void ShowInformation(const std::string& text) override
    {
        char caption[256] = {};
        GetWindowTextA(hwnd_, caption, sizeof caption);
        MessageBoxA(hwnd_, text.c_str(), caption, MB_OK | MB_ICONINFORMATION);
    }

    // Runs one of the client's events from a callback. After a failure the
    // dialog is cancelled and hears of nothing more; the exception is
    // rethrown once SHBrowseForFolder has returned.
    template <class Call>
    void Event(Call call)
    {
        if (failed_) return;
        failed_ = !Guarded(false, [&] {
            call();
            return true;
        });
        if (failed_) PostMessageA(hwnd_, WM_COMMAND, IDCANCEL, 0);
    }

    void OnInitialized(HWND hwnd)
    {
        hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        Event([&] { client_.Initialized(*this); });
    }

    void OnSelectionChanged(LPCITEMIDLIST item)
    {
        Event([&] {
            bool hasPath = false;
            std::string path = PathOf(item, &hasPath);
            client_.SelectionChanged(*this, item, path, hasPath);
        });
    }

    void OnCustomButtonClick()
    {
        Event([&] { client_.CustomButtonClicked(*this); });
    }

    LRESULT ForwardToDialog(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) const
    {
        return CallWindowProcA(dialogProc_, hwnd, msg, wParam, lParam);
    }

private:
    FolderDialogClient& client_;
    HWND hwnd_ = nullptr;
    WNDPROC dialogProc_ = nullptr; // the one our subclass replaced
    FontHandle font_;              // lives as long as the button: until the dialog has gone
    bool failed_ = false;
};

LRESULT CALLBACK CustomButtonWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // Set before the subclass is: the pointer is there for every message.
    auto* dialog = reinterpret_cast<Win32FolderDialog*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg == WM_COMMAND && LOWORD(wParam) == kCustomButtonId) {
        dialog->OnCustomButtonClick();
        return 0;
    }
    return dialog->ForwardToDialog(hwnd, msg, wParam, lParam);
}

int CALLBACK BrowseCallback(HWND hwnd, UINT msg, LPARAM param, LPARAM data)
{
    auto* dialog = reinterpret_cast<Win32FolderDialog*>(data);
    if (msg == BFFM_INITIALIZED)
        dialog->OnInitialized(hwnd);
    else if (msg == BFFM_SELCHANGED)
        dialog->OnSelectionChanged(reinterpret_cast<LPCITEMIDLIST>(param));
    return 0;
}

} // namespace

FolderDialogResult RunFolderDialog(const FolderDialogRequest& request, FolderDialogClient& client)
{
    ComApartment com(ComApartment::Start::Join);
    HWND owner = reinterpret_cast<HWND>(request.owner);
    if (!owner) owner = GetActiveWindow();

    // A root the shell cannot resolve stays null: the whole namespace.
    ItemIdListOwner root;
    if (request.rootFolderId != kNoRootFolder &&
        FAILED(SHGetSpecialFolderLocation(owner, request.rootFolderId, root.Put())))
        root.Reset();

    Win32FolderDialog dialog(client);
    char displayName[MAX_PATH] = {};
    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.pidlRoot = root.Get();
    info.pszDisplayName = displayName;
    info.lpszTitle = request.title.c_str();
    info.ulFlags = request.flags;
    info.lpfn = &BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(&dialog);
    info.iImage = 0;

    ItemIdListOwner chosen(SHBrowseForFolderA(&info));
    RethrowEscapedException();

    FolderDialogResult result;
    if (!chosen) return result;
    result.chosen = true;
    result.path = PathOf(chosen.Get(), &result.hasPath);
    result.displayName = displayName;
    result.imageIndex = info.iImage;
    return result;
}

bool IsLiveWindow(WindowId window)
{
    return window != 0 && IsWindow(reinterpret_cast<HWND>(window));
}

void EnableWindowById(WindowId window, bool enable)
{
    EnableWindow(reinterpret_cast<HWND>(window), enable);
}

void SetWindowTextById(WindowId window, const std::string& text)
{
    SetWindowTextA(reinterpret_cast<HWND>(window), text.c_str());
}

} // namespace tarvex::platform
