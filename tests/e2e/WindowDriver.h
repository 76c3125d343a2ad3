#pragma once
// Drives another process's windows the way a user would see them: finds its
// top-level windows, reads their texts, presses buttons. Every wait has a
// timeout. Wide-character messages only (ANSI list-box reads across
// processes have corrupted memory under Wine).
#include <windows.h>

#include <string>
#include <vector>

namespace tarvex::e2e {

std::string Narrow(const std::wstring& w);
std::wstring Widen(const std::string& s);

// A started program; killed at the end of the scope if still running.
class Process {
public:
    // arguments: appended to the quoted program name as written. Waits up
    // to 5 s for the program to wait for input, unless told not to: under
    // Wine only a blocking wait on its queue counts, which a program busy
    // from its first window on (the passive mode) never does.
    Process(const std::string& exe, const std::string& workingDir, const std::string& arguments = "",
            bool waitIdle = true);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    DWORD Id() const { return info_.dwProcessId; }
    // True when the process ended within the timeout; its exit code in *code.
    bool WaitExit(DWORD timeoutMs, DWORD* code);

private:
    PROCESS_INFORMATION info_{};
};

struct WindowInfo {
    HWND hwnd;
    std::string title;
    std::string className;
};

// Visible top-level windows of a process.
std::vector<WindowInfo> TopWindows(DWORD processId);
// Waits for a visible top-level window of the process with the given title.
HWND WaitWindow(DWORD processId, const std::string& title, DWORD timeoutMs);
std::string WindowText(HWND hwnd);
std::string ClassName(HWND hwnd);
// Children of a window (all depths), in Z order.
std::vector<HWND> Children(HWND parent);
// The text of a message box's message (its static control).
std::string MessageBoxText(HWND box);
// Presses a dialog's button by id without blocking on the modal loop.
void PressButton(HWND dialog, int id);
// The first visible descendant of a window with this class and text.
HWND FindControl(HWND top, const std::string& className, const std::string& text);
// The first visible descendant with this class, whatever its text.
HWND FindControlOfClass(HWND top, const std::string& className);
// Waits until FindControl finds the control; nullptr after the timeout.
HWND WaitControl(HWND top, const std::string& className, const std::string& text, DWORD timeoutMs);
// Every line of a list box (wide messages).
std::vector<std::string> ListBoxLines(HWND listBox);
// Clicks a button as the mouse would, without waiting for what follows.
void Click(HWND button);
// The mouse at a point of a window's client area, as the window sees it
// (posted messages; the real pointer does not move): a left click, a
// double-click, a right click (its release brings the context menu).
void ClickAt(HWND window, int x, int y);
void DoubleClickAt(HWND window, int x, int y);
void RightClickAt(HWND window, int x, int y);
// The control's top-left in the client area of another window.
POINT PositionIn(HWND control, HWND window);
// Waits for an open popup menu of the process; nullptr after the timeout.
HWND WaitPopupMenu(DWORD processId, DWORD timeoutMs);
// Chooses an item of an open popup menu by its position.
void ChooseMenuItem(HWND menuWindow, int position);
// The clipboard's text, empty when it holds none.
std::string ClipboardText();
// The window that has the keyboard focus in a window's thread.
HWND FocusOf(HWND window);
// Real input through the X server, as a user's keyboard and mouse give it
// (xdotool with these arguments, given half a second); false when it could
// not be started.
bool XInput(const std::string& arguments);
// A visible top-level window with this title, of any process.
HWND FindAnyWindow(const std::string& title);
// Whether this run takes the pictures (TARVEX_SHOTS names their folder).
bool TakingScreenshots();

// Saves the whole screen as NAME.bmp in the folder named by TARVEX_SHOTS
// (set by the test script); does nothing when it is not set.
void Screenshot(const std::string& name);
// The same for a window with a small margin around it (message boxes the
// window owns lie inside it), or for any screen area.
void Screenshot(const std::string& name, HWND window);
void Screenshot(const std::string& name, RECT area);

} // namespace tarvex::e2e
