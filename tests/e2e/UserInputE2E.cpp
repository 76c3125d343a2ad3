// The real setup.exe under Wine in a user's hands: real keys through the X
// server while the installation runs, the folder browser over the wizard,
// the keyboard after page changes and message boxes, and whether the texts
// fit their labels.
#include "Medium.h"
#include "WindowDriver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

namespace fs = std::filesystem;
using namespace tarvex::e2e;

namespace {

constexpr char kOverwriteCaption[] = "The file being installed is older than an existing file";

template <class Condition>
bool WaitFor(Condition condition, DWORD timeoutMs = kTimeout)
{
    for (DWORD start = GetTickCount(); !condition(); Sleep(20))
        if (GetTickCount() - start > timeoutMs) return false;
    return true;
}

std::string ProgramFiles()
{
    char path[MAX_PATH] = {};
    ExpandEnvironmentStringsA("%ProgramFiles%", path, MAX_PATH);
    return path;
}

std::string FileHead(const fs::path& file)
{
    std::FILE* in = _wfopen(file.wstring().c_str(), L"rb");
    if (!in) return "missing";
    char head[8] = {};
    std::size_t got = std::fread(head, 1, sizeof head, in);
    std::fclose(in);
    return std::string(head, got);
}

// Keys typed while a slow copy runs wait in the queue; neither the overwrite
// question nor the run question that follow may take them as an answer.
TEST(UserInputE2E, KeysTypedDuringTheCopyAnswerNoQuestion)
{
    MediumCopy medium(true);
    const std::string folder = Unique("Tarvex Typeahead");
    medium.SetValue("NewDirectory", folder);
    medium.SetValue("NewMenu", folder);
    medium.SetValue("Route", "45");
    // A large file before the question and another copy of it before the end.
    fs::resize_file((std::ofstream(fs::path(medium.Dir()) / "big.bin"), fs::path(medium.Dir()) / "big.bin"),
                    240u << 20);
    medium.SetValue("1", "big.bin,big.bin,1,%APPPATH,N");
    medium.SetValue("2", "demo.ex_,demo.exe,1,%APPPATH,Y");
    medium.SetValue("3", "big.bin,later.bin,1,%APPPATH,N");
    const fs::path product = fs::path(ProgramFiles()) / folder;
    WriteDatedFile(product / "demo.exe", "newer", 2099); // the installed one is older

    Process setup(medium.Setup(), medium.Dir());
    HWND form = WaitWindow(setup.Id(), kCaption, kTimeout);
    ASSERT_NE(nullptr, form);
    ASSERT_NE(nullptr, WaitControl(form, kGroupBox, "Installation Settings", kTimeout));
    // Enter on the focused Next starts the installation: the keys reach the wizard.
    ASSERT_TRUE(XInput("key Return")) << "xdotool is needed (scripts/install-deps.sh)";
    // The wizard answers no messages while it copies: watch the disk. The
    // large file takes seconds; the keys come while it is copied.
    ASSERT_TRUE(WaitFor([&] { return fs::exists(product / "docs"); })) << "the installation did not start";
    Sleep(200);
    ASSERT_FALSE(FindAnyWindow(kOverwriteCaption)) << "the copy was too quick for the test";
    ASSERT_TRUE(XInput("key Return key space key y"));

    HWND overwrite = WaitWindow(setup.Id(), kOverwriteCaption, kTimeout);
    ASSERT_NE(nullptr, overwrite) << "no overwrite question, or one answered as soon as it appeared";
    Sleep(1500);
    EXPECT_TRUE(IsWindowVisible(overwrite)) << "keys typed before the question answered it";
    Screenshot("typeahead-overwrite-question", overwrite);
    HWND no = FindControl(overwrite, "Button", "&No");
    ASSERT_NE(nullptr, no);
    Click(no);

    Sleep(1000);
    ASSERT_FALSE(FindAnyWindow("Confirm")) << "the copy was too quick for the test";
    ASSERT_TRUE(XInput("key Return key y"));
    HWND run = WaitWindow(setup.Id(), "Confirm", kTimeout);
    ASSERT_NE(nullptr, run) << "no run question, or one answered as soon as it appeared";
    Sleep(1500);
    EXPECT_TRUE(IsWindowVisible(run)) << "keys typed before the question answered it";
    EXPECT_NE(nullptr, FindControl(form, "Static", "Tarvex Demo has been successfully installed."));
    // Either answer ends the wizard that installed within the Next click.
    PressButton(run, IDNO);
    DWORD code = 99;
    EXPECT_TRUE(setup.WaitExit(kTimeout, &code));
    EXPECT_EQ("newer", FileHead(product / "demo.exe")) << "the newer file was replaced";
    std::error_code ec;
    fs::remove_all(product, ec);
}

} // namespace

namespace {

// The screen point at the middle of a window.
POINT MiddleOf(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The real mouse clicks there.
bool ClickOnScreen(POINT at)
{
    return XInput("mousemove " + std::to_string(at.x) + " " + std::to_string(at.y) + " click 1");
}

int FolderBrowsers(DWORD processId)
{
    int count = 0;
    for (const WindowInfo& w : TopWindows(processId)) count += w.className == "#32770";
    return count;
}

HWND WaitFolderBrowser(DWORD processId)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < kTimeout; Sleep(50))
        for (const WindowInfo& w : TopWindows(processId))
            if (w.className == "#32770") return w.hwnd;
    return nullptr;
}

// The folder browser is modal to the wizard: placed over it, the wizard
// disabled and unreachable by mouse and keys until it closes, then active again.
TEST(UserInputE2E, FolderBrowserKeepsTheWizardInertUntilItCloses)
{
    MediumCopy medium(true);
    medium.SetValue("Route", "2345");
    Process setup(medium.Setup(), medium.Dir());
    HWND form = WaitWindow(setup.Id(), kCaption, kTimeout);
    ASSERT_NE(nullptr, form);
    ASSERT_NE(nullptr, WaitControl(form, kGroupBox, "Installation", kTimeout));
    HWND dots = FindControl(form, "Button", "...");
    HWND exit = FindControl(form, "Button", "&Exit");
    ASSERT_TRUE(dots && exit);
    const POINT dotsAt = MiddleOf(dots), exitAt = MiddleOf(exit);

    ASSERT_TRUE(ClickOnScreen(dotsAt));
    HWND browser = WaitFolderBrowser(setup.Id());
    ASSERT_NE(nullptr, browser);
    Sleep(300);
    EXPECT_FALSE(IsWindowEnabled(form)) << "the wizard takes input under the browser";
    RECT f{}, d{};
    GetWindowRect(form, &f);
    GetWindowRect(browser, &d);
    EXPECT_EQ(f.left + (f.right - f.left) / 2 - (d.right - d.left) / 2, d.left) << "not centred over the wizard";
    EXPECT_EQ(f.top + (f.bottom - f.top) / 4, d.top) << "not a quarter down the wizard";
    Screenshot("folder-browser", f.bottom > d.bottom ? form : browser);

    // "..." again, Exit where the browser leaves it uncovered, Alt+E: nothing reaches the wizard.
    for (auto [button, at] : {std::pair{dots, dotsAt}, std::pair{exit, exitAt}}) {
        if (WindowFromPoint(at) == button) {
            ASSERT_TRUE(ClickOnScreen(at));
        }
    }
    ASSERT_TRUE(XInput("key alt+e"));
    Sleep(500);
    EXPECT_EQ(1, FolderBrowsers(setup.Id())) << "a second browser opened";
    EXPECT_FALSE(WaitWindow(setup.Id(), "Confirm", 300)) << "Exit was reached";

    PressButton(browser, IDCANCEL);
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(form) && !IsWindow(browser); }));
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == form; }, 3000)) << "the wizard is not active again";
    PostMessageW(form, WM_CLOSE, 0, 0);
    DWORD code = 99;
    EXPECT_TRUE(setup.WaitExit(kTimeout, &code));
    EXPECT_EQ(0u, code);
}

// Keys keep working where the focus was taken away and after boxes close:
// what the keys do shows where the focus is.
TEST(UserInputE2E, KeyboardWorksAfterPageChangesAndBoxes)
{
    MediumCopy medium(true);
    Process setup(medium.Setup(), medium.Dir());
    HWND form = WaitWindow(setup.Id(), kCaption, kTimeout);
    ASSERT_NE(nullptr, form);
    ASSERT_NE(nullptr, WaitControl(form, kGroupBox, "Program License", kTimeout));
    HWND about = FindControl(form, "Button", "");
    ASSERT_NE(nullptr, about);
    auto exitQuestionAnsweredNo = [&] {
        HWND question = WaitWindow(setup.Id(), "Confirm", 5000);
        if (!question) return false;
        PressButton(question, IDNO);
        return WaitFor([&] { return !IsWindow(question) && GetForegroundWindow() == form; }, 5000);
    };

    // Alt+P back to the first page disables Previous under the focus; Enter
    // then presses Next, Tab and Space reach Exit.
    ASSERT_TRUE(XInput("key Return"));
    ASSERT_NE(nullptr, WaitControl(form, kGroupBox, "Program Information", kTimeout));
    ASSERT_TRUE(XInput("key alt+p"));
    ASSERT_NE(nullptr, WaitControl(form, kGroupBox, "Program License", kTimeout));
    ASSERT_TRUE(XInput("key Return"));
    EXPECT_NE(nullptr, WaitControl(form, kGroupBox, "Program Information", 5000)) << "Enter did nothing";
    ASSERT_TRUE(XInput("key alt+p"));
    ASSERT_NE(nullptr, WaitControl(form, kGroupBox, "Program License", kTimeout));
    ASSERT_TRUE(XInput("key Tab key space"));
    EXPECT_TRUE(exitQuestionAnsweredNo()) << "Tab and Space did not reach Exit";

    // After the message box the wizard is active and Exit keeps the focus.
    ASSERT_TRUE(XInput("key Return"));
    EXPECT_TRUE(exitQuestionAnsweredNo()) << "the wizard takes no keys after a message box";

    // Likewise after the about box.
    Click(about);
    HWND box = WaitWindow(setup.Id(), "Setup Tarvex", kTimeout);
    ASSERT_NE(nullptr, box);
    ASSERT_TRUE(XInput("key Return"));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(box); }));
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == form; }, 3000)) << "the wizard is not active again";
    ASSERT_TRUE(XInput("key alt+e"));
    EXPECT_TRUE(exitQuestionAnsweredNo()) << "the wizard takes no keys after the about box";

    PostMessageW(form, WM_CLOSE, 0, 0);
    DWORD code = 99;
    EXPECT_TRUE(setup.WaitExit(kTimeout, &code));
}

} // namespace
