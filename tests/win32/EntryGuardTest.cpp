// Exceptions from code the system calls (a button's and a label's
// handler, a paint, a timer tick) inside a real modal run: each must end the
// run and come out of ShowModal with its own message, never unwind through
// DispatchMessage (which ends the process). And the message that RunSetup
// cannot show, because its box's text is fixed, reaches the debugger.
#include <windows.h>

#include "TestSupport.h"
#include "components/SuperTimer.h"
#include "base/Exception.h"
#include "platform/MainThread.h"
#include "platform/Ui.h"
#include "wizard/SetupForm.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tarvex {
namespace {

constexpr DWORD kWaitMs = 10000;

// Closes a form that the test failed to end, so a broken guard fails the
// test instead of hanging it.
class Watchdog {
public:
    explicit Watchdog(const std::string& caption)
        : thread_([this, caption] {
              for (DWORD waited = 0; waited < kWaitMs && !done_; waited += 20) Sleep(20);
              if (done_) return;
              fired_ = true;
              if (HWND form = FindWindowA("TarvexForm", caption.c_str())) PostMessageA(form, WM_CLOSE, 0, 0);
          })
    {
    }
    ~Watchdog()
    {
        done_ = true;
        thread_.join();
    }
    bool Fired() const { return fired_; }

private:
    std::atomic<bool> done_{false};
    std::atomic<bool> fired_{false};
    std::thread thread_;
};

HWND FormWindow(const std::string& caption) { return FindWindowA("TarvexForm", caption.c_str()); }

// What ShowModal threw, or "(nothing)".
std::string ShowModalFailure(platform::Form& form)
{
    try {
        form.ShowModal();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(nothing)";
}

TEST(EntryGuard, ButtonHandlerThatThrowsEndsTheRunWithItsOwnMessage)
{
    platform::Form form(240, 120);
    form.SetCaption("Guard: button");
    platform::Button button(&form, {10, 10, 90, 25}, "Throw");
    int clicks = 0;
    button.OnClick = [&] {
        ++clicks;
        throw Exception("click failed");
    };
    HWND formHwnd = FormWindow("Guard: button");
    HWND hwnd = FindWindowExA(formHwnd, nullptr, "BUTTON", "Throw");
    ASSERT_NE(nullptr, hwnd);
    // Two clicks queued: the first failure ends the run before the second.
    for (int i = 0; i < 2; ++i)
        PostMessageA(formHwnd, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
    Watchdog watchdog("Guard: button");
    EXPECT_EQ("click failed", ShowModalFailure(form));
    EXPECT_FALSE(watchdog.Fired());
    EXPECT_EQ(1, clicks);
    EXPECT_FALSE(form.Shown());
    int left = 0;
    for (MSG msg; PeekMessageA(&msg, formHwnd, WM_COMMAND, WM_COMMAND, PM_REMOVE);) ++left;
    EXPECT_EQ(1, left);
}

TEST(EntryGuard, LabelClickThatThrowsEndsTheRunWithItsOwnMessage)
{
    platform::Form form(240, 120);
    form.SetCaption("Guard: label");
    platform::Label label(&form, {10, 10, 120, 20}, "Throwing label");
    label.OnClick = [] { throw Exception("label failed"); };
    HWND hwnd = FindWindowExA(FormWindow("Guard: label"), nullptr, "STATIC", "Throwing label");
    ASSERT_NE(nullptr, hwnd);
    PostMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    Watchdog watchdog("Guard: label");
    EXPECT_EQ("label failed", ShowModalFailure(form));
    EXPECT_FALSE(watchdog.Fired());
}

TEST(EntryGuard, PaintThatThrowsEndsTheRunAndTheNextRunIsClean)
{
    platform::Form form(240, 120);
    form.SetCaption("Guard: paint");
    platform::PaintBox box(&form, {0, 0, 240, 120});
    int paints = 0;
    box.OnPaint = [&](platform::Canvas&) {
        ++paints;
        throw Exception("paint failed");
    };
    {
        Watchdog watchdog("Guard: paint");
        EXPECT_EQ("paint failed", ShowModalFailure(form));
        EXPECT_FALSE(watchdog.Fired());
    }
    EXPECT_GE(paints, 1);

    // The failure was handed over once: a second run ends only when closed.
    box.OnPaint = [](platform::Canvas&) {};
    PostMessageA(FormWindow("Guard: paint"), WM_CLOSE, 0, 0);
    Watchdog watchdog("Guard: paint");
    EXPECT_EQ("(nothing)", ShowModalFailure(form));
    EXPECT_FALSE(watchdog.Fired());
}

TEST(EntryGuard, TimerTickThatThrowsEndsTheRunWithItsOwnMessage)
{
    platform::Form form(240, 120);
    form.SetCaption("Guard: timer");
    TSuperTimer timer;
    int ticks = 0;
    timer.OnTimer = [&](TSuperTimer&) {
        ++ticks;
        throw Exception("tick failed");
    };
    timer.SetInterval(20);
    timer.SetEnabled(true);
    Watchdog watchdog("Guard: timer");
    EXPECT_EQ("tick failed", ShowModalFailure(form));
    EXPECT_FALSE(watchdog.Fired());
    EXPECT_EQ(1, ticks);
    // Going with the timer still enabled must not wait for the thrown tick.
}

// OutputDebugStringA raises DBG_PRINTEXCEPTION_C before a debugger sees it;
// a vectored handler hears it first.
std::mutex debugLinesMutex;
std::vector<std::string> debugLines;

LONG CALLBACK HearDebugString(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode == DBG_PRINTEXCEPTION_C && record->NumberParameters >= 2) {
        std::lock_guard lock(debugLinesMutex);
        debugLines.emplace_back(reinterpret_cast<const char*>(record->ExceptionInformation[1]));
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM out)
{
    reinterpret_cast<std::vector<HWND>*>(out)->push_back(hwnd);
    return TRUE;
}

std::string BoxText(HWND box)
{
    std::vector<HWND> children;
    EnumChildWindows(box, CollectChild, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children) {
        char name[32] = {};
        GetClassNameA(child, name, sizeof name);
        char text[256] = {};
        GetWindowTextA(child, text, sizeof text);
        if (GetDlgCtrlID(child) == 0xFFFF && lstrcmpiA(name, "Static") == 0 && text[0]) return text;
    }
    return {};
}

TEST(EntryGuard, RunSetupShowsItsFixedTextAndLogsTheCause)
{
    test::ScratchDir dir;
    dir.Write("Setup.INI",
              "[GENERAL]\r\nTitle=Guarded\r\nExecutable=demo.exe\r\nReadMe=r.txt\r\nLicense=l.txt\r\n"
              "Directory=%PROGRAMFILES\r\nNewDirectory=Guarded\r\nStartMenu=%PROGRAMDIR\r\nNewMenu=Guarded\r\n"
              "TotalSize=1\r\nRoute=012345\r\nRun=\r\nRun Description=\r\n");
    dir.Write("l.txt", "Licence");

    // The wizard's first message is a handed-over call that throws, as a
    // failing tick of its about box would.
    platform::InitUi();
    platform::BindMainThread();
    ASSERT_TRUE(platform::PostToMainThread([] { throw Exception("Cannot open file X:\\gone.txt"); }));

    std::atomic<bool> finished{false};
    std::string shown;
    std::thread closer([&] {
        for (DWORD waited = 0; waited < kWaitMs && !finished; waited += 20) {
            HWND box = FindWindowA("#32770", "Error");
            if (box && IsWindowVisible(box)) {
                shown = BoxText(box);
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(20);
        }
        // No box: close the wizard so the test ends.
        if (HWND form = FindWindowA("TarvexForm", "Guarded Setup")) PostMessageA(form, WM_CLOSE, 0, 0);
    });
    PVOID handler = AddVectoredExceptionHandler(1, HearDebugString);
    RunSetup(dir.Path().string() + "\\");
    RemoveVectoredExceptionHandler(handler);
    finished = true;
    closer.join();

    EXPECT_EQ("Setup will terminate.", shown);
    std::lock_guard lock(debugLinesMutex);
    EXPECT_EQ((std::vector<std::string>{"Cannot open file X:\\gone.txt"}), debugLines);
}

} // namespace
} // namespace tarvex
