// The modal runs: a form's own message loop with our tab order and
// accelerators, the system's message boxes and popup menus.
#include "platform/UiBackend.h"
#include "platform/win32/EntryGuard.h"
#include "platform/win32/NativeWindow.h"

#include <windows.h>

#include <utility>
#include <vector>

namespace tarvex::platform {

namespace {

// A popup menu, destroyed with its items.
using MenuHandle = UniqueResource<HMENU, &DestroyMenu>;

bool Belongs(HWND form, HWND hwnd) { return hwnd == form || IsChild(form, hwnd); }

void MoveFocus(Form& form, bool forward)
{
    if (Control* next = form.NextTabStop(ControlOf(GetFocus()), forward)) next->SetFocus();
}

// Keys the form handles itself before the control sees them.
bool HandleKey(Form& form, const MSG& msg)
{
    HWND hwnd = HwndOf(form);
    if (!Belongs(hwnd, msg.hwnd)) return false;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB) {
        MoveFocus(form, GetKeyState(VK_SHIFT) >= 0);
        return true;
    }
    if (msg.message == WM_SYSCHAR) {
        if (Button* button = form.FindAccelerator(static_cast<char>(msg.wParam))) {
            if (button->TabStop()) button->SetFocus();
            button->Click();
            return true;
        }
        return false;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN) {
        Control* focused = ControlOf(GetFocus());
        if (focused && focused->GetKind() == Control::Kind::Button && focused->Usable()) {
            focused->Click();
            return true;
        }
        if (Button* button = form.DefaultButton(); button && button->Usable()) {
            button->Click();
            return true;
        }
    }
    return false;
}

// While a form runs modally the thread's other windows take no input, as
// a modal dialog over the wizard must not let its buttons be pressed.
class OtherWindowsDisabled {
public:
    explicit OtherWindowsDisabled(HWND modal) : modal_(modal)
    {
        EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(this));
        for (HWND hwnd : disabled_) EnableWindow(hwnd, FALSE);
    }
    ~OtherWindowsDisabled() { Restore(); }
    void Restore()
    {
        for (HWND hwnd : disabled_) EnableWindow(hwnd, TRUE);
        disabled_.clear();
    }
    OtherWindowsDisabled(const OtherWindowsDisabled&) = delete;
    OtherWindowsDisabled& operator=(const OtherWindowsDisabled&) = delete;

private:
    static BOOL CALLBACK Collect(HWND hwnd, LPARAM self)
    {
        return Guarded<BOOL>(FALSE, [&] {
            auto* scope = reinterpret_cast<OtherWindowsDisabled*>(self);
            if (hwnd != scope->modal_ && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd))
                scope->disabled_.push_back(hwnd);
            return TRUE;
        });
    }
    HWND modal_;
    std::vector<HWND> disabled_;
};

// The window that was active before a modal window, active again once that
// has gone: without a window manager nothing else gives it back.
void Reactivate(HWND previous)
{
    if (previous && IsWindow(previous) && IsWindowVisible(previous) && IsWindowEnabled(previous)) {
        SetForegroundWindow(previous);
        SetActiveWindow(previous);
    }
}

} // namespace

bool ShowMessageBox(const std::string& text, const std::string& title, MessageKind kind)
{
    UINT flags = MB_TASKMODAL | MB_SETFOREGROUND;
    switch (kind) {
    case MessageKind::Error: flags |= MB_OK | MB_ICONERROR; break;
    case MessageKind::Information: flags |= MB_OK | MB_ICONINFORMATION; break;
    case MessageKind::Question: flags |= MB_YESNO | MB_ICONQUESTION; break;
    case MessageKind::QuestionDefaultNo: flags |= MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2; break;
    }
    HWND previous = GetActiveWindow();
    int answer = MessageBoxA(nullptr, text.c_str(), title.c_str(), flags);
    Reactivate(previous);
    return answer == IDOK || answer == IDYES;
}

void ProcessMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Left for the modal run to see.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void DiscardQueuedInput()
{
    // Peeking also turns input still waiting outside the queue (the window
    // system's events) into messages, which go with the rest.
    MSG msg;
    for (auto [first, last] : {std::pair<UINT, UINT>{WM_KEYFIRST, WM_KEYLAST}, {WM_MOUSEFIRST, WM_MOUSELAST},
                               {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK}})
        while (PeekMessageA(&msg, nullptr, first, last, PM_REMOVE)) {
        }
}

namespace backend {

int TrackPopup(const PopupMenu& menu, int screenX, int screenY)
{
    MenuHandle popup(CreatePopupMenu());
    if (!popup) return -1;
    UINT id = 1; // 0 is "dismissed"
    for (const auto& item : menu.Items()) AppendMenuA(popup.Get(), MF_STRING, id++, item.caption.c_str());
    HWND owner = GetActiveWindow();
    int chosen = static_cast<int>(TrackPopupMenu(popup.Get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                                 screenX, screenY, 0, owner, nullptr));
    return chosen - 1;
}

// An exception that escaped a handler (kept by the guard of the procedure
// that ran it) ends the run and leaves it here, on our side of
// DispatchMessage.
void RunModal(Form& form)
{
    HWND hwnd = HwndOf(form);
    HWND previous = GetActiveWindow();
    OtherWindowsDisabled others(hwnd);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    form.SetShown(true);
    SetForegroundWindow(hwnd);
    if (form.ActiveControl()) form.ActiveControl()->SetFocus();
    if (form.OnShown) form.OnShown();
    MSG msg;
    while (!form.Closed() && !form.QuitRequested() && !HasEscapedException()) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            form.RequestQuit();
            break;
        }
        try {
            if (HandleKey(form, msg)) continue;
        } catch (...) {
            KeepEscapedException();
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    // The others are enabled before this one hides, so one can take over.
    others.Restore();
    ShowWindow(hwnd, SW_HIDE);
    form.SetShown(false);
    Reactivate(previous);
    RethrowEscapedException();
}

void Close(Form& form)
{
    if (HWND hwnd = HwndOf(form)) ShowWindow(hwnd, SW_HIDE);
}

void Quit(Form&) { PostQuitMessage(0); }

} // namespace backend

} // namespace tarvex::platform
