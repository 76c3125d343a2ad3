// The about box of the real setup.exe under Wine, opened from the wizard's
// side bar: its frame, the bouncing logo, a link's context menu, closing.
#include "Medium.h"
#include "WindowDriver.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace tarvex::e2e;

namespace {

constexpr char kAboutCaption[] = "Setup Tarvex";
constexpr POINT kLogoHome{13, 44};

bool operator==(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }

// Waits until the condition holds; false after the timeout.
template <class Condition>
bool WaitFor(Condition condition, DWORD timeoutMs = kTimeout)
{
    for (DWORD start = GetTickCount(); !condition(); Sleep(5))
        if (GetTickCount() - start > timeoutMs) return false;
    return true;
}

void PutOnClipboard(const std::wstring& text)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

// The wizard on its first page, and its about button.
struct Wizard {
    MediumCopy medium{true};
    Process setup{medium.Setup(), medium.Dir()};
    HWND form = nullptr;
    HWND aboutButton = nullptr;

    ::testing::AssertionResult Start()
    {
        form = WaitWindow(setup.Id(), kCaption, kTimeout);
        if (!form || !WaitControl(form, kGroupBox, "Program License", kTimeout))
            return ::testing::AssertionFailure() << "no wizard";
        // The side bar's picture button is the one button without a caption.
        aboutButton = FindControl(form, "Button", "");
        if (!aboutButton) return ::testing::AssertionFailure() << "no about button";
        return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult End()
    {
        PostMessageW(form, WM_CLOSE, 0, 0);
        DWORD code = 99;
        if (!setup.WaitExit(kTimeout, &code)) return ::testing::AssertionFailure() << "setup did not end";
        if (code != 0) return ::testing::AssertionFailure() << "exit code " << code;
        return ::testing::AssertionSuccess();
    }
};

// The dialog's windows.
struct About {
    HWND form = nullptr;
    HWND panel = nullptr;
    HWND logo = nullptr;
    HWND ok = nullptr;
    HWND web = nullptr;
    HWND mail = nullptr;

    explicit About(HWND window) : form(window)
    {
        for (HWND child : Children(form)) {
            std::string type = ClassName(child);
            RECT r{};
            GetWindowRect(child, &r);
            if (type == "TarvexPanel" && GetParent(child) == form) panel = child;
            if (type == "TarvexImage" && r.right - r.left == 68 && r.bottom - r.top == 69) logo = child;
        }
        ok = FindControl(form, "Button", "OK");
        web = FindControl(form, "Static", "http://www.tarvex.org");
        mail = FindControl(form, "Static", "setup@tarvex.org");
    }
    bool Complete() const { return panel && logo && ok && web && mail; }
    POINT Logo() const { return PositionIn(logo, form); }
    bool Bouncing() const { return !IsWindowVisible(panel) && !IsWindowVisible(ok) && GetParent(logo) == form; }
    bool Still() const
    {
        return IsWindowVisible(panel) && IsWindowVisible(ok) && GetParent(logo) == panel && Logo() == kLogoHome;
    }
};

HWND OpenAbout(const Wizard& wizard)
{
    Click(wizard.aboutButton);
    return WaitWindow(wizard.setup.Id(), kAboutCaption, kTimeout);
}

TEST(AboutE2E, BouncesStopsCopiesALinkAndClosesWithOk)
{
    Wizard wizard;
    ASSERT_TRUE(wizard.Start());
    HWND window = OpenAbout(wizard);
    ASSERT_NE(nullptr, window);
    About about(window);
    ASSERT_TRUE(about.Complete());

    // A dialog frame without caption-bar buttons, centred, over a disabled wizard.
    RECT client{}, frame{};
    GetClientRect(about.form, &client);
    GetWindowRect(about.form, &frame);
    EXPECT_EQ(261, client.right);
    EXPECT_EQ(206, client.bottom);
    LONG style = GetWindowLongW(about.form, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_SYSMENU);
    EXPECT_NEAR(GetSystemMetrics(SM_CXSCREEN) / 2, (frame.left + frame.right) / 2, 2);
    EXPECT_NEAR(GetSystemMetrics(SM_CYSCREEN) / 2, (frame.top + frame.bottom) / 2, 2);
    EXPECT_FALSE(IsWindowEnabled(wizard.form));
    EXPECT_EQ(about.ok, FocusOf(about.form));
    EXPECT_TRUE(about.Still());
    EXPECT_NE(nullptr, FindControl(about.form, "Static", kAboutCaption));
    Screenshot("about-box", about.form);

    // A double-click on the logo: the panel and OK go, the logo moves by
    // 4 pixels a tick, right and down first.
    DoubleClickAt(about.logo, 30, 30);
    ASSERT_TRUE(WaitFor([&] { return about.Bouncing(); }));
    POINT last = kLogoHome;
    int moves = 0, singleTicks = 0;
    WaitFor(
        [&] {
            POINT now = about.Logo();
            if (now == last) return false;
            EXPECT_EQ(0, (now.x - last.x) % 4) << now.x;
            EXPECT_EQ(0, (now.y - last.y) % 4) << now.y;
            EXPECT_GT(now.x, last.x) << "no turn this early";
            EXPECT_EQ(now.x - last.x, now.y - last.y) << "both axes, every tick";
            if (now.x - last.x == 4) ++singleTicks;
            last = now;
            return ++moves == 12;
        },
        5000);
    EXPECT_EQ(12, moves);
    EXPECT_GT(singleTicks, 0) << "no single tick seen";

    // A click on the background puts everything back.
    ClickAt(about.form, 4, 200);
    ASSERT_TRUE(WaitFor([&] { return about.Still(); }));

    // The pointer over a link is the hand, another than over the background
    // (cursors of another process can only be told apart by handle).
    RECT link{};
    GetWindowRect(about.web, &link);
    auto cursorAt = [](int x, int y) {
        SetCursorPos(x, y);
        Sleep(300);
        CURSORINFO info{};
        info.cbSize = sizeof info;
        GetCursorInfo(&info);
        return info.hCursor;
    };
    HCURSOR overLink = cursorAt(link.left + 3, link.top + 3);
    HCURSOR overBackground = cursorAt(frame.left + 20, frame.bottom - 10);
    EXPECT_NE(nullptr, overLink);
    EXPECT_NE(overBackground, overLink);
    GetWindowRect(about.mail, &link);
    EXPECT_EQ(overLink, cursorAt(link.left + 3, link.top + 3));
    SetCursorPos(0, 0);

    // The web link's context menu copies its caption.
    PutOnClipboard(L"before");
    RightClickAt(about.web, 3, 3);
    HWND menu = WaitPopupMenu(wizard.setup.Id(), kTimeout);
    ASSERT_NE(nullptr, menu);
    ChooseMenuItem(menu, 0);
    EXPECT_TRUE(WaitFor([&] { return ClipboardText() == "http://www.tarvex.org"; })) << ClipboardText();
    EXPECT_TRUE(WaitFor([&] { return !WaitPopupMenu(wizard.setup.Id(), 0); }));

    // OK closes it and gives the wizard back.
    Click(about.ok);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(about.form) || !IsWindowVisible(about.form); }));
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(wizard.form) != FALSE; }));
    EXPECT_TRUE(wizard.End());
}

TEST(AboutE2E, ClosedWhileBouncingThenOpenedStillAndClosedWithEnter)
{
    Wizard wizard;
    ASSERT_TRUE(wizard.Start());
    HWND window = OpenAbout(wizard);
    ASSERT_NE(nullptr, window);
    About first(window);
    ASSERT_TRUE(first.Complete());
    DoubleClickAt(first.logo, 10, 10);
    ASSERT_TRUE(WaitFor([&] { return first.Bouncing() && !(first.Logo() == kLogoHome); }));
    Screenshot("about-box-bouncing", first.form);
    PostMessageW(first.form, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(first.form); }));
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(wizard.form) != FALSE; }));

    // A new dialog each time, still at first.
    window = OpenAbout(wizard);
    ASSERT_NE(nullptr, window);
    About second(window);
    ASSERT_TRUE(second.Complete());
    EXPECT_TRUE(second.Still());
    PostMessageW(second.ok, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(second.form); }));
    EXPECT_TRUE(wizard.End());
}

} // namespace
