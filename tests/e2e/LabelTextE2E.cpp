// Label texts as the user sees them under Wine: the summary's values and the
// last page's result line shown whole, not cut at the label's edge.
#include "Medium.h"
#include "WindowDriver.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace tarvex::e2e;

namespace {

// The labels' face and size. A font handle does not cross processes (Wine
// does not even pass WM_GETFONT between them), so the driver makes its own;
// the regular weight is the narrowest a label of the wizard uses.
class LabelFont {
public:
    LabelFont()
        : dc_(GetDC(nullptr)),
          font_(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial")),
          old_(SelectObject(dc_, font_))
    {
    }
    ~LabelFont()
    {
        SelectObject(dc_, old_);
        DeleteObject(font_);
        ReleaseDC(nullptr, dc_);
    }
    LabelFont(const LabelFont&) = delete;
    LabelFont& operator=(const LabelFont&) = delete;

    SIZE Extent(const std::string& text) const
    {
        const std::wstring w = Widen(text);
        SIZE size{};
        GetTextExtentPoint32W(dc_, w.c_str(), static_cast<int>(w.size()), &size);
        return size;
    }
    // The height of the text word-wrapped at width.
    int WrappedHeight(const std::string& text, int width) const
    {
        const std::wstring w = Widen(text);
        RECT r{0, 0, width, 0};
        DrawTextW(dc_, w.c_str(), static_cast<int>(w.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        return r.bottom;
    }

private:
    HDC dc_;
    HFONT font_;
    HGDIOBJ old_;
};

// Whether text pixels (dark on the silver background) touch the last column
// of the control's client area: there the text was cut.
bool InkAtRightEdge(HWND control)
{
    RECT r{};
    GetClientRect(control, &r);
    POINT edge{r.right - 1, 0};
    ClientToScreen(control, &edge);
    HDC screen = GetDC(nullptr);
    bool ink = false;
    for (int y = 0; y < r.bottom && !ink; ++y) {
        const COLORREF c = GetPixel(screen, edge.x, edge.y + y);
        ink = GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 0x60;
    }
    ReleaseDC(nullptr, screen);
    return ink;
}

// "Keyboard Demo" lost its last letter, and a program group ending in a
// backslash showed an apostrophe.
TEST(LabelTextE2E, SummaryValuesShowWhole)
{
    MediumCopy medium(true);
    medium.SetValue("Title", "Keyboard Demo");
    medium.SetValue("NewDirectory", "Keyboard Demo");
    medium.SetValue("NewMenu", "");
    medium.SetValue("Route", "45");
    Process setup(medium.Setup(), medium.Dir());
    HWND form = WaitWindow(setup.Id(), "Keyboard Demo Setup", kTimeout);
    ASSERT_NE(nullptr, form);
    HWND settings = WaitControl(form, kGroupBox, "Installation Settings", kTimeout);
    ASSERT_NE(nullptr, settings);
    Sleep(300); // painted
    const LabelFont font;
    int values = 0;
    for (HWND label : Children(settings)) {
        if (!IsWindowVisible(label) || ClassName(label) != "Static") continue;
        const std::string text = WindowText(label);
        RECT client{};
        GetClientRect(label, &client);
        const SIZE extent = font.Extent(text);
        EXPECT_LE(extent.cx, client.right) << text;
        EXPECT_LE(extent.cy, client.bottom) << text;
        EXPECT_FALSE(InkAtRightEdge(label)) << "cut: " << text;
        values += text == "C:\\Program Files\\Keyboard Demo" || text == "\\Programs\\";
    }
    EXPECT_EQ(2, values) << "both values on the page";
    Screenshot("summary-values", form);
}

// A long title kept "has been successfully installed." out of sight.
TEST(LabelTextE2E, LastPageShowsALongTitleWhole)
{
    MediumCopy medium(true);
    const std::string title = "Tarvex Keyboard and Mouse Demonstration for Long Product Titles";
    const std::string folder = Unique("Tarvex Long Title");
    medium.SetValue("Title", title);
    medium.SetValue("NewDirectory", folder);
    medium.SetValue("NewMenu", folder);
    medium.SetValue("Route", "45");
    char programFiles[MAX_PATH] = {};
    ExpandEnvironmentStringsA("%ProgramFiles%", programFiles, MAX_PATH);
    Process setup(medium.Setup(), medium.Dir());
    HWND form = WaitWindow(setup.Id(), title + " Setup", kTimeout);
    ASSERT_NE(nullptr, form);
    ASSERT_NE(nullptr, WaitControl(form, kGroupBox, "Installation Settings", kTimeout));
    Click(FindControl(form, "Button", "&Next >>"));
    HWND question = WaitWindow(setup.Id(), "Confirm", kTimeout);
    ASSERT_NE(nullptr, question) << "no run question";
    const std::string expected = title + " has been successfully installed.";
    HWND result = FindControl(form, "Static", expected);
    ASSERT_NE(nullptr, result);
    Sleep(300); // painted
    RECT client{};
    GetClientRect(result, &client);
    const LabelFont font;
    ASSERT_GT(font.Extent(expected).cx, client.right) << "the text should need more than one line";
    EXPECT_GE(client.bottom, font.WrappedHeight(expected, client.right)) << "lines cut off below";
    EXPECT_FALSE(InkAtRightEdge(result));
    Screenshot("installed-long-title", form);
    PressButton(question, IDNO);
    std::error_code ec;
    fs::remove_all(fs::path(programFiles) / folder, ec);
}

} // namespace
