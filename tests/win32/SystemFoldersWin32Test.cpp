// The system folders and the registry writer against the Windows calls
// themselves, read back independently of our wrapper.
#include <windows.h>
#include <shlobj.h>

#include "common/MachineSandbox.h"

#include "engine/RegistryWriter.h"
#include "paths/PathTokens.h"
#include "paths/SystemFolders.h"
#include "platform/Shell.h"
#include "platform/System.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

using namespace tarvex;
using platform::RootKey;

namespace {

class Win32Machine : public test::MachineSandbox {};

HKEY Handle(RootKey root) { return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(root)); }

// RegQueryValueExA straight: type and data, or nothing.
std::optional<std::pair<DWORD, std::string>> QueryValue(RootKey root, const std::string& key, const std::string& name)
{
    HKEY k = nullptr;
    if (RegOpenKeyExA(Handle(root), key.c_str(), 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return std::nullopt;
    char data[1024] = {};
    DWORD type = 0, size = sizeof data - 1;
    LONG rc = RegQueryValueExA(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(k);
    if (rc != ERROR_SUCCESS) return std::nullopt;
    return std::make_pair(type, std::string(data));
}

} // namespace

TEST_F(Win32Machine, WrittenValuesReadBackAsStrings)
{
    const std::string key = TestKey(RootKey::CurrentUser);
    WriteRegistryString("HKEY_CURRENT_USER", key + "\\Vendor\\Tool\\InstallDir", "C:\\Program Files\\Tool");
    WriteRegistryString("HKEY_CURRENT_USER", key + "\\Vendor\\Tool\\.", "default");
    WriteRegistryString("HKEY_CURRENT_USER", key + "\\Vendor:Colon", "c");
    const std::string tool = key.substr(1) + "\\Vendor\\Tool";
    EXPECT_EQ(std::make_pair(DWORD(REG_SZ), std::string("C:\\Program Files\\Tool")),
              QueryValue(RootKey::CurrentUser, tool, "InstallDir"));
    EXPECT_EQ(std::make_pair(DWORD(REG_SZ), std::string("default")), QueryValue(RootKey::CurrentUser, tool, ""));
    EXPECT_EQ(std::make_pair(DWORD(REG_SZ), std::string("c")),
              QueryValue(RootKey::CurrentUser, key.substr(1) + "\\Vendor", "Colon"));
}

TEST_F(Win32Machine, AValueOfAnotherTypeRaisesTheWrapperError)
{
    const std::string key = TestKey(RootKey::CurrentUser);
    WriteRegistryString("HKEY_CURRENT_USER", key + "\\Number", "placeholder");
    HKEY k = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, key.substr(1).c_str(), 0, KEY_SET_VALUE, &k));
    DWORD one = 1;
    RegSetValueExA(k, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    RegCloseKey(k);
    try {
        platform::ReadRegistryString(RootKey::CurrentUser, key, "Number");
        FAIL() << "no error";
    } catch (const ERegistryError& e) {
        EXPECT_STREQ("Invalid data type for 'Number'", e.what());
    }
}

TEST_F(Win32Machine, RegistryFoldersAreTheSystemsValues)
{
    const char* currentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    EXPECT_EQ(QueryValue(RootKey::LocalMachine, currentVersion, "ProgramFilesDir")->second, GetRegistryFolder(0));
    EXPECT_EQ(QueryValue(RootKey::LocalMachine, currentVersion, "CommonFilesDir")->second, GetRegistryFolder(1));
}

// HKEY_LOCAL_MACHINE of this process mapped onto a key of the test's own,
// so that the machine's folders can be missing or wrong without touching
// the real ones.
class LocalMachineOverride {
public:
    explicit LocalMachineOverride(const std::string& userKey)
    {
        RegCreateKeyExA(HKEY_CURRENT_USER, userKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        overridden_ = key_ && RegOverridePredefKey(HKEY_LOCAL_MACHINE, key_) == ERROR_SUCCESS;
    }
    ~LocalMachineOverride()
    {
        if (overridden_) RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        if (key_) RegCloseKey(key_);
    }
    LocalMachineOverride(const LocalMachineOverride&) = delete;
    LocalMachineOverride& operator=(const LocalMachineOverride&) = delete;
    bool Active() const { return overridden_; }

private:
    HKEY key_ = nullptr;
    bool overridden_ = false;
};

TEST_F(Win32Machine, ARegistryFolderThatCannotBeReadIsItsDefaultOnTheWindowsDrive)
{
    const std::string machine = TestKey(RootKey::CurrentUser).substr(1);
    const std::string currentVersion = machine + "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    LocalMachineOverride override(machine);
    ASSERT_TRUE(override.Active());
    ASSERT_FALSE(QueryValue(RootKey::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir"))
        << "the real machine's value is still seen";
    const std::string drive = GetWindowsDir().substr(0, 2);

    // The key missing.
    EXPECT_EQ(drive + "\\Program Files", GetRegistryFolder(0));
    EXPECT_EQ(drive + "\\Program Files\\Common Files", GetRegistryFolder(1));
    EXPECT_EQ(drive + "\\Program Files\\Tools", ExpandTokens("%PROGRAMFILES\\Tools", TInstallOption()));

    // The value missing, the other present but empty.
    HKEY k = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, currentVersion.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &k, nullptr));
    RegSetValueExA(k, "CommonFilesDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
    EXPECT_EQ(drive + "\\Program Files", GetRegistryFolder(0));
    EXPECT_EQ("", GetRegistryFolder(1));

    // A value of another type still raises the wrapper's error.
    DWORD one = 1;
    RegSetValueExA(k, "ProgramFilesDir", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    try {
        GetRegistryFolder(0);
        FAIL() << "no error";
    } catch (const ERegistryError& e) {
        EXPECT_STREQ("Invalid data type for 'ProgramFilesDir'", e.what());
    }
    RegSetValueExA(k, "ProgramFilesDir", 0, REG_SZ, reinterpret_cast<const BYTE*>("E:\\Apps"), 8);
    RegCloseKey(k);
    EXPECT_EQ("E:\\Apps", GetRegistryFolder(0));
}

TEST_F(Win32Machine, FoldersAreTheShellsFolders)
{
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_EQ(std::string(windows) + "\\", GetWindowsDir());
    // SHGetFolderPathA as a second opinion; Wine's id-list path for Personal
    // carries a trailing backslash that this one lacks.
    for (std::uint8_t row = 0; row < kSpecialFolderEnd; ++row) {
        const int id = kSpecialFolders[row].FolderId;
        char path[MAX_PATH] = {};
        const std::string ours = GetSpecialFolder(row);
        if (ours.empty() || SHGetFolderPathA(nullptr, id, nullptr, 0, path) != S_OK) continue;
        EXPECT_EQ(std::string(path), ours.back() == '\\' ? ours.substr(0, ours.size() - 1) : ours) << int(row);
    }
}

TEST_F(Win32Machine, FreeSpaceIsTheFullByteCount)
{
    ULARGE_INTEGER available{}, total{}, free{};
    ASSERT_TRUE(GetDiskFreeSpaceExA("C:\\", &available, &total, &free));
    const double measured = GetFreeSpace("C:\\");
    EXPECT_NEAR(static_cast<double>(free.QuadPart), measured, 64.0 * 1024 * 1024);
    if (free.QuadPart > (1ull << 32)) {
        EXPECT_GT(measured, 4294967296.0);
    }
}

TEST_F(Win32Machine, RunProgramPassesALongCommandLineWhole)
{
    const std::string out = scratch_.File("echo.txt");
    const std::string text(600, 'x');
    const std::string commandLine = "cmd.exe /c echo " + text + ">\"" + out + "\"";
    ASSERT_GT(commandLine.size(), 511u);
    RunProgram(commandLine, kShowNormal);
    std::string got;
    for (int i = 0; i < 1000 && got.find('\n') == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream in(out, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        got = s.str();
    }
    EXPECT_EQ(text + "\r\n", got);
}

// The user's own date separator reaches the program (and so the overwrite question's dates).
TEST(Win32Settings, DateSeparatorFollowsTheUsersSetting)
{
    char saved[8] = {};
    ASSERT_GT(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, saved, sizeof saved), 0);
    ASSERT_TRUE(SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, "."));
    char dotted = tarvex::platform::DateSeparator();
    SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, saved);
    EXPECT_EQ('.', dotted);
    EXPECT_EQ(saved[0], tarvex::platform::DateSeparator());
}
