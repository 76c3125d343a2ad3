// The real ridsetup.exe under Wine: the demo installed by setup.exe, then
// removed through Wine's own Add/Remove Programs client, which runs the
// registered command; the confirmation, the progress window, a file held
// open by this process, the end box; and the silent run.
#include "Medium.h"
#include "WindowDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;
using namespace tarvex::e2e;

namespace {

constexpr char kTitle[] = "Tarvex Demo";
constexpr char kWindowCaption[] = "Tarvex Demo Uninstall";
constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarvex Demo";

fs::path WindowsDir()
{
    wchar_t dir[MAX_PATH] = {};
    GetWindowsDirectoryW(dir, MAX_PATH);
    return dir;
}

std::string RegistryString(HKEY root, const wchar_t* key, const wchar_t* name)
{
    wchar_t data[1024] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    if (RegGetValueW(root, key, name, RRF_RT_REG_SZ | RRF_RT_REG_MULTI_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return {};
    std::wstring text(data, size / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    for (wchar_t& c : text)
        if (c == L'\0') c = L'|';
    return Narrow(text);
}

// The demo installed by setup.exe straight away into folders of its own;
// returns the product folder.
fs::path InstallDemo(MediumCopy& medium, const std::string& folder)
{
    medium.SetValue("NewDirectory", folder);
    medium.SetValue("NewMenu", folder);
    medium.SetValue("Route", "5");
    Process setup(medium.Setup(), medium.Dir());
    HWND run = WaitWindow(setup.Id(), "Confirm", kTimeout);
    if (!run) return {};
    PressButton(run, IDNO);
    HWND form = WaitWindow(setup.Id(), kCaption, kTimeout);
    if (!form) return {};
    HWND finish = WaitControl(form, "Button", "&Finish", kTimeout);
    if (!finish) return {};
    Click(finish);
    DWORD code = 99;
    if (!setup.WaitExit(kTimeout, &code)) return {};
    char programFiles[MAX_PATH] = {};
    ExpandEnvironmentStringsA("%ProgramFiles%", programFiles, MAX_PATH);
    return fs::path(programFiles) / folder;
}

struct Search {
    std::string title;
    bool dialog; // a message box, else the uninstaller's own window
    HWND found = nullptr;
};

BOOL CALLBACK Match(HWND hwnd, LPARAM param)
{
    auto* s = reinterpret_cast<Search*>(param);
    if (IsWindowVisible(hwnd) && (ClassName(hwnd) == "#32770") == s->dialog && WindowText(hwnd) == s->title) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindTop(const std::string& title, bool dialog)
{
    Search search{title, dialog};
    EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A message box with this title, of any process.
HWND WaitMessageBox(const std::string& title, DWORD timeoutMs)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(50))
        if (HWND box = FindTop(title, true)) return box;
    return nullptr;
}

// The uninstaller's own window (not one of its message boxes).
HWND FindProgressWindow() { return FindTop(kWindowCaption, false); }

TEST(UninstallE2E, RemovedThroughAddRemoveProgramsWithAFileHeldOpen)
{
    MediumCopy medium(true);
    const std::string folder = Unique("Tarvex Removal");
    const fs::path product = InstallDemo(medium, folder);
    ASSERT_FALSE(product.empty()) << "the demo did not install";
    const fs::path log = product / "Install.log";
    ASSERT_TRUE(fs::exists(log));
    EXPECT_EQ("ridsetup.exe \"" + log.string() + "\"", RegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString"));
    EXPECT_EQ("ridsetup.exe /S \"" + log.string() + "\"",
              RegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"QuietUninstallString"));

    // No at the confirmation: exit code 2, nothing touched.
    {
        Process ridsetup((WindowsDir() / "ridsetup.exe").string(), product.string(), "\"" + log.string() + "\"");
        HWND confirm = WaitWindow(ridsetup.Id(), "Confirm", kTimeout);
        ASSERT_NE(nullptr, confirm);
        EXPECT_EQ("Are you sure you want to remove Tarvex Demo and all of its components?", MessageBoxText(confirm));
        PressButton(confirm, IDNO);
        DWORD code = 99;
        ASSERT_TRUE(ridsetup.WaitExit(kTimeout, &code));
        EXPECT_EQ(2u, code);
        EXPECT_TRUE(fs::exists(log));
    }

    // The manual held open without sharing its deletion.
    const fs::path manual = product / "docs" / "manual.txt";
    HANDLE held = CreateFileW(manual.wstring().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);

    // Wine's Add/Remove Programs client runs the registered command.
    Process remover("uninstaller.exe", product.parent_path().string(), std::string("--remove \"") + kTitle + "\"");
    HWND confirm = WaitMessageBox("Confirm", kTimeout);
    ASSERT_NE(nullptr, confirm);
    EXPECT_EQ("Are you sure you want to remove Tarvex Demo and all of its components?", MessageBoxText(confirm));
    Screenshot("uninstall-1-confirm", confirm);
    PressButton(confirm, IDYES);

    HWND inUse = WaitMessageBox(kWindowCaption, kTimeout);
    ASSERT_NE(nullptr, inUse);
    EXPECT_EQ("The file " + manual.string() +
                  " is in use by another program. Close that program and choose Retry, or choose Ignore to remove "
                  "the file when you restart your computer.",
              MessageBoxText(inUse));
    HWND window = FindProgressWindow();
    ASSERT_NE(nullptr, window) << "no progress window";
    EXPECT_NE(nullptr, FindControlOfClass(window, "msctls_progress32"));
    EXPECT_NE(nullptr, FindControl(window, "Edit", manual.string())) << "the current item";
    // The box, centred over the window, moved below it for the picture.
    RECT a{}, b{};
    GetWindowRect(window, &a);
    SetWindowPos(inUse, nullptr, a.left, a.bottom + 4, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Sleep(500);
    GetWindowRect(inUse, &b);
    Screenshot("uninstall-2-progress", RECT{std::min(a.left, b.left) - 8, std::min(a.top, b.top) - 8,
                                            std::max(a.right, b.right) + 8, std::max(a.bottom, b.bottom) + 8});
    // Retry while it is still held asks again; then Ignore.
    PressButton(inUse, IDRETRY);
    Sleep(300);
    inUse = WaitMessageBox(kWindowCaption, kTimeout);
    ASSERT_NE(nullptr, inUse);
    EXPECT_NE(std::string::npos, MessageBoxText(inUse).find("is in use"));
    PressButton(inUse, IDIGNORE);

    HWND end = nullptr;
    std::string text;
    for (DWORD start = GetTickCount(); GetTickCount() - start < kTimeout && text.find("successfully") == std::string::npos;
         Sleep(100)) {
        end = WaitMessageBox(kWindowCaption, 1000);
        text = end ? MessageBoxText(end) : "";
    }
    ASSERT_NE(nullptr, end) << "no end box";
    EXPECT_EQ(0u, text.find("Tarvex Demo was successfully removed from your computer."));
    EXPECT_NE(std::string::npos, text.find(manual.string())) << text;
    Screenshot("uninstall-3-end", end);
    PressButton(end, IDOK);
    DWORD code = 99;
    EXPECT_TRUE(remover.WaitExit(kTimeout, &code));
    CloseHandle(held);

    // Everything but the manual (gone at restart) and its folders, and the shared uninstaller.
    EXPECT_FALSE(fs::exists(log));
    EXPECT_FALSE(fs::exists(product / "demo.exe"));
    EXPECT_TRUE(RegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName").empty());
    EXPECT_TRUE(RegistryString(HKEY_CURRENT_USER, L"Software\\Tarvex Demo\\Settings", L"Greeting").empty());
    EXPECT_TRUE(fs::exists(WindowsDir() / "ridsetup.exe"));
    const std::string pending = RegistryString(
        HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager", L"PendingFileRenameOperations");
    EXPECT_NE(std::string::npos, pending.find(manual.string())) << pending;
    std::error_code ec;
    fs::remove_all(product, ec);
}

TEST(UninstallE2E, SilentRunShowsNoWindowAndRemovesEverything)
{
    MediumCopy medium(true);
    const fs::path product = InstallDemo(medium, Unique("Tarvex Silent"));
    ASSERT_FALSE(product.empty()) << "the demo did not install";
    Process ridsetup((WindowsDir() / "ridsetup.exe").string(), product.parent_path().string(),
                     "/S \"" + (product / "Install.log").string() + "\"");
    DWORD code = 99;
    bool ended = false;
    std::vector<WindowInfo> shown;
    for (DWORD start = GetTickCount(); !ended && GetTickCount() - start < kTimeout;) {
        for (const WindowInfo& w : TopWindows(ridsetup.Id())) shown.push_back(w);
        ended = ridsetup.WaitExit(20, &code);
    }
    ASSERT_TRUE(ended);
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(shown.empty()) << shown.front().title;
    EXPECT_FALSE(fs::exists(product));
    EXPECT_TRUE(RegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName").empty());
}

} // namespace
