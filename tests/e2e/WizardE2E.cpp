// The real setup.exe under Wine, walked through the wizard's pages as a user
// would: texts on every page, the installation, the run question, the space
// check and a broken Route.
#include "Medium.h"
#include "WindowDriver.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <filesystem>
#include <functional>

namespace fs = std::filesystem;
using namespace tarvex::e2e;

namespace {

// The wizard's window with its three buttons.
struct Wizard {
    HWND form = nullptr;
    HWND previous = nullptr;
    HWND exit = nullptr;
    HWND next = nullptr;

    explicit Wizard(HWND window) : form(window)
    {
        previous = FindControl(form, "Button", "<< &Previous");
        exit = FindControl(form, "Button", "&Exit");
        next = FindControl(form, "Button", "&Next >>");
    }
    bool Has(const std::string& className, const std::string& text) const
    {
        return FindControl(form, className, text) != nullptr;
    }
    // The texts of the destination page's two boxes: the read-only
    // directory box and the folder name box.
    std::vector<std::string> EditTexts() const
    {
        std::string directory, name;
        int found = 0;
        for (HWND child : Children(form)) {
            if (!IsWindowVisible(child) || ClassName(child) != "Edit") continue;
            ++found;
            (GetWindowLongW(child, GWL_STYLE) & ES_READONLY ? directory : name) = WindowText(child);
        }
        if (found != 2) return {};
        return {directory, name};
    }
    // Presses Next and waits for the group box of the next page.
    ::testing::AssertionResult NextTo(const std::string& groupCaption) const
    {
        Click(next);
        if (WaitControl(form, kGroupBox, groupCaption, kTimeout)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "no page with \"" << groupCaption << "\"";
    }
};

// "dd/mm/yyyy" of a file's last write in local time, with the user's date separator.
std::string ShownDate(const fs::path& file)
{
    HANDLE h = CreateFileW(file.wstring().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME written{}, local{};
    SYSTEMTIME t{};
    bool ok = h != INVALID_HANDLE_VALUE && GetFileTime(h, nullptr, nullptr, &written);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    if (!ok || !FileTimeToLocalFileTime(&written, &local) || !FileTimeToSystemTime(&local, &t)) return "unreadable";
    char sep[8] = "/";
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, sep, sizeof sep);
    char text[32];
    std::snprintf(text, sizeof text, "%02u%c%02u%c%04u", t.wDay, sep[0], t.wMonth, sep[0], t.wYear);
    return text;
}

// Every static text of a window, in Z order.
std::vector<std::string> StaticTexts(HWND window)
{
    std::vector<std::string> texts;
    for (HWND child : Children(window))
        if (ClassName(child) == "Static") texts.push_back(WindowText(child));
    return texts;
}

TEST(WizardE2E, WalksEveryPageInstallsAndRunsTheProduct)
{
    MediumCopy medium(true);
    // The pictures show the demo's own folder names (e2e.sh gives such a run
    // a prefix of its own); otherwise each run installs apart.
    const std::string folder = TakingScreenshots() ? "Tarvex Demo" : Unique("Tarvex Demo");
    medium.SetValue("NewDirectory", folder);
    medium.SetValue("NewMenu", folder);

    DWORD started = GetTickCount();
    Process setup(medium.Setup(), medium.Dir());
    HWND form = nullptr;
    while (!(form = WaitWindow(setup.Id(), kCaption, 5)) && GetTickCount() - started < kTimeout) {
    }
    ASSERT_NE(nullptr, form);
    ASSERT_NE(nullptr, WaitControl(form, kGroupBox, "Program License", kTimeout));
    std::printf("first page on screen %lu ms after start\n", static_cast<unsigned long>(GetTickCount() - started));
    Wizard w(form);
    ASSERT_TRUE(w.previous && w.exit && w.next);

    // Licence: the rich text formatted (its RTF control words gone).
    EXPECT_TRUE(w.Has("Static", "By clicking the Next button you agree with the license."));
    HWND memo = FindControlOfClass(form, "RichEdit20A");
    ASSERT_NE(nullptr, memo);
    std::string licence = WindowText(memo);
    EXPECT_NE(std::string::npos, licence.find("Tarvex Demo Licence"));
    EXPECT_EQ(std::string::npos, licence.find("\\rtf"));
    EXPECT_FALSE(IsWindowEnabled(w.previous));
    EXPECT_TRUE(IsWindowEnabled(w.next));
    Screenshot("wizard-1-license", form);

    ASSERT_TRUE(w.NextTo("Program Information"));
    EXPECT_NE(std::string::npos, WindowText(memo).find("Tarvex Demo"));
    EXPECT_TRUE(IsWindowEnabled(w.previous));
    Screenshot("wizard-2-information", form);

    ASSERT_TRUE(w.NextTo("Installation"));
    EXPECT_TRUE(w.Has("Static", "Folder Path"));
    EXPECT_TRUE(w.Has("Static", "Program Folder"));
    EXPECT_TRUE(w.Has("Static", "Tarvex Demo will be installed to the above folder."));
    EXPECT_TRUE(w.Has("Button", "..."));
    std::vector<std::string> edits = w.EditTexts();
    ASSERT_EQ(2u, edits.size());
    const std::string directory = edits[0];
    EXPECT_EQ("C:\\", directory.substr(0, 3));
    EXPECT_EQ(folder, edits[1]);
    Screenshot("wizard-3-destination", form);

    ASSERT_TRUE(w.NextTo("Start Menu"));
    EXPECT_TRUE(w.Has("Static", "Start Menu Folder"));
    EXPECT_TRUE(w.Has("Static", "Program Menu"));
    EXPECT_TRUE(w.Has("Static", "Tarvex Demo icons will be placed in the above Start Menu folder."));
    edits = w.EditTexts();
    ASSERT_EQ(2u, edits.size());
    EXPECT_EQ("\\Programs", edits[0]);
    EXPECT_EQ(folder, edits[1]);
    Screenshot("wizard-4-start-menu", form);

    ASSERT_TRUE(w.NextTo("Installation Settings"));
    EXPECT_TRUE(w.Has("Static", "Directory:"));
    EXPECT_TRUE(w.Has("Static", "Program Menu:"));
    EXPECT_TRUE(w.Has("Static", "Tarvex Demo will be installed to the above directory and start menu folder.  "
                                "Click Next to begin installation."));
    Screenshot("wizard-5-summary", form);

    // A newer demo.exe is already there: the copy phase asks.
    const fs::path product = fs::path(directory) / folder;
    WriteDatedFile(product / "demo.exe", "newer", 2099);

    // Installation, the overwrite question, then the run question.
    Click(w.next);
    HWND overwrite = WaitWindow(setup.Id(), "The file being installed is older than an existing file", kTimeout);
    ASSERT_NE(nullptr, overwrite);
    RECT client{};
    GetClientRect(overwrite, &client);
    EXPECT_EQ(350, client.right);
    EXPECT_EQ(215, client.bottom);
    EXPECT_FALSE(IsWindowEnabled(form)) << "the wizard takes no input under the question";
    const std::vector<std::string> texts = StaticTexts(overwrite);
    EXPECT_EQ(2, std::count(texts.begin(), texts.end(), "demo.exe"));
    EXPECT_EQ(1, std::count(texts.begin(), texts.end(), ShownDate(fs::path(medium.Dir()) / "demo.ex_")));
    EXPECT_EQ(1, std::count(texts.begin(), texts.end(), ShownDate(product / "demo.exe")));
    EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), "Overwrite:"));
    HWND yes = FindControl(overwrite, "Button", "&Yes");
    ASSERT_NE(nullptr, yes);
    for (const char* caption : {"&No", "Yes to &All", "N&o To All"})
        EXPECT_NE(nullptr, FindControl(overwrite, "Button", caption)) << caption;
    Screenshot("overwrite-question", overwrite);
    // Escape is no answer; Enter on the focused Yes is.
    PostMessageW(yes, WM_KEYDOWN, VK_ESCAPE, 0);
    Sleep(300);
    EXPECT_TRUE(IsWindowVisible(overwrite)) << "Escape closed the question";
    PostMessageW(yes, WM_KEYDOWN, VK_RETURN, 0);

    HWND question = WaitWindow(setup.Id(), "Confirm", kTimeout);
    ASSERT_NE(nullptr, question);
    EXPECT_EQ("Do you want to run Tarvex Demo now", MessageBoxText(question));
    EXPECT_TRUE(w.Has(kGroupBox, "Progress"));
    EXPECT_TRUE(w.Has("Static", "Tarvex Demo has been successfully installed."));
    EXPECT_TRUE(w.Has("Button", "&Finish"));
    EXPECT_FALSE(IsWindowVisible(w.previous));
    EXPECT_FALSE(IsWindowEnabled(w.exit));
    HWND list = FindControlOfClass(form, "ListBox");
    ASSERT_NE(nullptr, list);
    EXPECT_EQ((std::vector<std::string>{"Creating directories...", "Copying Files...", "Creating shortcuts...",
                                        "Creating registry entries...", "Saving uninstall log..."}),
              ListBoxLines(list));
    HWND bar = FindControlOfClass(form, "msctls_progress32");
    ASSERT_NE(nullptr, bar);
    DWORD_PTR position = 0, maximum = 0;
    SendMessageTimeoutW(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 2000, &position);
    SendMessageTimeoutW(bar, PBM_GETRANGE, FALSE, 0, SMTO_ABORTIFHUNG, 2000, &maximum);
    EXPECT_EQ(8u, maximum) << "three files and five phases";
    EXPECT_EQ(8u, position);
    Screenshot("wizard-6-installed", form);

    PressButton(question, IDYES);
    // The installed program greets; the wizard has closed.
    HWND greeting = nullptr;
    for (DWORD t = GetTickCount(); !greeting && GetTickCount() - t < kTimeout; Sleep(50))
        greeting = FindAnyWindow("Tarvex Demo");
    ASSERT_NE(nullptr, greeting) << "the installed program did not start";
    PressButton(greeting, IDOK);
    DWORD code = 99;
    ASSERT_TRUE(setup.WaitExit(kTimeout, &code));
    EXPECT_EQ(0u, code);

    for (const char* file : {"demo.exe", "docs\\manual.txt", "Install.log"})
        EXPECT_TRUE(fs::exists(product / file)) << (product / file).string();
    // The uninstaller is shared, in the Windows folder.
    EXPECT_FALSE(fs::exists(product / "ridsetup.exe"));
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_TRUE(fs::exists(fs::path(windows) / "ridsetup.exe"));
    EXPECT_GT(fs::file_size(product / "demo.exe"), 1000u) << "expanded, not the compressed image";
}

// Installs straight away over a newer demo.exe and answers the question as given.
std::string InstallOverNewerFile(const std::function<void(HWND question)>& answer)
{
    MediumCopy medium(true);
    const std::string folder = Unique("Tarvex Overwrite");
    medium.SetValue("NewDirectory", folder);
    medium.SetValue("NewMenu", folder);
    medium.SetValue("Route", "5");
    char programFiles[MAX_PATH] = {};
    ExpandEnvironmentStringsA("%ProgramFiles%", programFiles, MAX_PATH);
    const fs::path existing = fs::path(programFiles) / folder / "demo.exe";
    WriteDatedFile(existing, "newer", 2099);
    Process setup(medium.Setup(), medium.Dir());
    HWND overwrite = WaitWindow(setup.Id(), "The file being installed is older than an existing file", kTimeout);
    if (!overwrite) return "no question";
    answer(overwrite);
    HWND run = WaitWindow(setup.Id(), "Confirm", kTimeout);
    if (!run) return "no run question";
    std::string question = MessageBoxText(run);
    PressButton(run, IDNO);
    // Not running it leaves the finished wizard up.
    HWND form = WaitWindow(setup.Id(), kCaption, kTimeout);
    if (!form) return "no wizard after the run question";
    HWND finish = WaitControl(form, "Button", "&Finish", kTimeout);
    if (!finish) return "no Finish button";
    Click(finish);
    DWORD code = 99;
    if (!setup.WaitExit(kTimeout, &code)) {
        std::string windows;
        for (const WindowInfo& info : TopWindows(setup.Id())) windows += " [" + info.title + "]";
        return "setup still runs after \"" + question + "\":" + windows;
    }
    if (code != 0) return "setup ended with " + std::to_string(code);
    std::FILE* in = _wfopen(existing.wstring().c_str(), L"rb");
    if (!in) return "demo.exe is gone";
    char head[8] = {};
    std::size_t got = std::fread(head, 1, sizeof head, in);
    std::fclose(in);
    std::error_code ec;
    fs::remove_all(existing.parent_path(), ec);
    return std::string(head, got);
}

TEST(WizardE2E, OverwriteQuestionNoKeepsTheFileAndTheCloseBoxReplacesIt)
{
    EXPECT_EQ("newer", InstallOverNewerFile([](HWND question) { Click(FindControl(question, "Button", "&No")); }));
    // The installed image starts as a program does.
    EXPECT_EQ("MZ", InstallOverNewerFile([](HWND question) { PostMessageW(question, WM_CLOSE, 0, 0); }).substr(0, 2));
}

TEST(WizardE2E, TooLittleSpaceKeepsTheDestinationPage)
{
    MediumCopy medium(true);
    medium.SetValue("TotalSize", "999999999999999");
    medium.SetValue("Route", "2345");
    Process setup(medium.Setup(), medium.Dir());
    HWND form = WaitWindow(setup.Id(), kCaption, kTimeout);
    ASSERT_NE(nullptr, form);
    ASSERT_NE(nullptr, WaitControl(form, kGroupBox, "Installation", kTimeout));
    Wizard w(form);
    Click(w.next);
    HWND box = WaitWindow(setup.Id(), "Error", kTimeout);
    ASSERT_NE(nullptr, box);
    std::string text = MessageBoxText(box);
    const std::string expected = "You do not have enough space on drive:C:\\\rApplication Size: 999999999999999\r"
                                 "       Free space: ";
    EXPECT_EQ(expected, text.substr(0, expected.size()));
    std::string free = text.substr(std::min(text.size(), expected.size()));
    EXPECT_FALSE(free.empty());
    EXPECT_EQ(std::string::npos, free.find_first_not_of("0123456789")) << free;
    Screenshot("wizard-space-error", form);
    PressButton(box, IDOK);
    Sleep(300);
    EXPECT_TRUE(w.Has(kGroupBox, "Installation")) << "the page stays";
    EXPECT_FALSE(IsWindowEnabled(w.next));

    // Exit asks first; No keeps the wizard, Yes ends it.
    Click(w.exit);
    HWND question = WaitWindow(setup.Id(), "Confirm", kTimeout);
    ASSERT_NE(nullptr, question);
    EXPECT_EQ("Tarvex Demo will not be installed. Are you sure?", MessageBoxText(question));
    PressButton(question, IDNO);
    Sleep(300);
    EXPECT_TRUE(IsWindowVisible(form));
    Click(w.exit);
    question = WaitWindow(setup.Id(), "Confirm", kTimeout);
    ASSERT_NE(nullptr, question);
    PressButton(question, IDYES);
    DWORD code = 99;
    ASSERT_TRUE(setup.WaitExit(kTimeout, &code));
    EXPECT_EQ(0u, code);
}

TEST(WizardE2E, RouteWithoutPageShowsOnlyTheErrorBox)
{
    MediumCopy medium(true);
    medium.SetValue("Route", "9");
    Process setup(medium.Setup(), medium.Dir());
    HWND box = WaitWindow(setup.Id(), "Error", kTimeout);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("Error in Setup.ini.  Setup will terminate", MessageBoxText(box));
    Sleep(300);
    EXPECT_EQ(1u, TopWindows(setup.Id()).size()) << "the wizard must not show";
    Screenshot("wizard-route-error", box);
    PressButton(box, IDOK);
    DWORD code = 99;
    ASSERT_TRUE(setup.WaitExit(kTimeout, &code));
    EXPECT_EQ(0u, code);
}

} // namespace
