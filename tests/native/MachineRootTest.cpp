// The emulated machine: its folders, drives, free space, program start and
// the registry store behind the registry folders.
#include "common/MachineSandbox.h"

#include "engine/RegistryWriter.h"
#include "paths/PathTokens.h"
#include "paths/SystemFolders.h"
#include "platform/Shell.h"
#include "platform/posix/PosixFile.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

using namespace tarvex;
namespace fs = std::filesystem;

namespace {

class MachineRoot : public test::MachineSandbox {
protected:
    fs::path Root() const { return RootDir(); }
    std::string ReadText(const fs::path& file) const
    {
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void WriteText(const fs::path& file, const std::string& text) const
    {
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
    }
    // A machine with its own settings, written before first use.
    void Configure(const std::string& machineIni) { WriteText(Root() / "machine.ini", machineIni); }
};

// Waits for a file a started program writes.
bool WaitForFile(const fs::path& file)
{
    for (int i = 0; i < 500; ++i) {
        if (fs::exists(file)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

} // namespace

TEST_F(MachineRoot, AMissingRootIsCreatedWithItsDefaults)
{
    ASSERT_FALSE(fs::exists(Root()));
    EXPECT_EQ("C:\\WINDOWS\\", GetWindowsDir());
    EXPECT_EQ("C:\\WINDOWS\\temp", GetTempDir());
    EXPECT_TRUE(fs::is_regular_file(Root() / "machine.ini"));
    EXPECT_TRUE(fs::is_directory(Root() / "drive_c" / "WINDOWS" / "Start Menu" / "Programs"));
    EXPECT_TRUE(fs::is_directory(Root() / "drive_c" / "Program Files" / "Common Files"));
    EXPECT_EQ("C:\\WINDOWS\\Start Menu\\Programs", GetSpecialFolder(2));
    EXPECT_EQ("C:\\WINDOWS\\Start Menu", GetSpecialFolder(11));
    EXPECT_EQ("C:\\Program Files", GetRegistryFolder(0));
    EXPECT_EQ("C:\\Program Files\\Common Files", GetRegistryFolder(1));
    const std::string store = ReadText(Root() / "registry.reg");
    EXPECT_EQ(0u, store.find("REGEDIT4\r\n")) << store;
    EXPECT_NE(std::string::npos,
              store.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\r\n"
                         "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\r\n"))
        << store;
}

TEST_F(MachineRoot, FoldersComeFromMachineIni)
{
    Configure("[Machine]\nWindowsDir=D:\\WIN95 \nProgramFilesDir=D:\\Apps\n"
              "[ShellFolders]\nDesktop=C:\\Desk\nDesktopDirectory=C:\\DeskDir\nFonts=D:\\Fonts\n"
              "Controls=C:\\never\n");
    EXPECT_EQ("D:\\WIN95\\", GetWindowsDir());
    EXPECT_EQ("C:\\Desk", GetSpecialFolder(0));
    EXPECT_EQ("C:\\DeskDir", GetSpecialFolder(12));
    EXPECT_EQ("D:\\Fonts", GetSpecialFolder(16));
    EXPECT_EQ("", GetSpecialFolder(3)); // Control Panel has no path, whatever the file says
    EXPECT_EQ("C:\\WINDOWS\\SendTo", GetSpecialFolder(9)); // not given: the default
    EXPECT_EQ("D:\\Apps", GetRegistryFolder(0));           // the store starts from the settings

    TInstallOption choices;
    EXPECT_EQ("C:\\DeskDir\\notes", ExpandTokens("%DESKTOPDIR\\notes", choices));
    EXPECT_EQ("C:\\Desk\\a", ExpandTokens("%DESKTOP\\a", choices));
    EXPECT_EQ("%DESKTOPDIR\\C:\\Desk", ExpandTokens("%DESKTOPDIR\\%DESKTOP", choices));
    EXPECT_EQ("D:\\WIN95\\\\system", ExpandTokens("%WINDOWSDIR\\system", choices));
}

TEST_F(MachineRoot, DrivePathsMapUnderTheRootWithoutRegardToCase)
{
    GetWindowsDir(); // creates the root
    const fs::path drive = Root() / "drive_c";
    fs::create_directories(drive / "Program Files" / "Demo");
    EXPECT_EQ((drive / "Program Files" / "Demo" / "x.exe").string(),
              platform::HostPath("C:\\Program Files\\Demo\\x.exe"));
    EXPECT_EQ((drive / "Program Files" / "Demo" / "New" / "Sub").string(),
              platform::HostPath("c:\\PROGRAM FILES\\demo\\New\\Sub"));
    EXPECT_EQ((drive / "WINDOWS").string(), platform::HostPath("C:\\windows\\"));
    EXPECT_EQ((drive / "Program Files").string(), platform::HostPath("C:\\WINDOWS\\..\\.\\program files"));
    EXPECT_EQ((Root() / "drive_d" / "Data").string(), platform::HostPath("D:\\Data"));
    EXPECT_EQ(drive.string(), platform::HostPath("C:\\"));
    // Host paths and relative paths pass through with separators turned.
    EXPECT_EQ("/tmp/a/b", platform::HostPath("/tmp/a\\b"));
    EXPECT_EQ("rel/x", platform::HostPath("rel\\x"));
}

TEST_F(MachineRoot, FreeSpaceIsTheFixedFigureOrTheHostFigure)
{
    GetWindowsDir();
    const fs::space_info host = fs::space(Root() / "drive_c");
    const double measured = GetFreeSpace("C:\\");
    EXPECT_NEAR(static_cast<double>(host.available), measured, 64.0 * 1024 * 1024);
    EXPECT_EQ(-1.0, GetFreeSpace("D:\\"));
    EXPECT_EQ(-1.0, GetFreeSpace("\\\\server\\share"));

    Configure("[Machine]\nFreeSpace=6442450944\n"); // 6 GiB: beyond 32 bits
    EXPECT_EQ(6442450944.0, GetFreeSpace("C:\\"));
    EXPECT_EQ(6442450944.0, GetFreeSpace("c:\\"));
    EXPECT_EQ(-1.0, GetFreeSpace("E:\\"));
}

TEST_F(MachineRoot, ARegistryFolderWithoutItsValueReadsAsError)
{
    GetWindowsDir();
    WriteText(Root() / "registry.reg",
              "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\r\n"
              "\"CommonFilesDir\"=\"\"\r\n");
    EXPECT_EQ("error", GetRegistryFolder(0));
    EXPECT_EQ("", GetRegistryFolder(1)); // present but empty
    TInstallOption choices;
    EXPECT_EQ("error\\Tools", ExpandTokens("%PROGRAMFILES\\Tools", choices));
}

TEST_F(MachineRoot, ARegistryFolderOfAnotherTypeRaisesTheWrapperError)
{
    GetWindowsDir();
    WriteText(Root() / "registry.reg",
              "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\n"
              "\"ProgramFilesDir\"=dword:00000001\n"
              "\"CommonFilesDir\"=hex(2):43,3a,5c,43,00\n");
    EXPECT_EQ("C:\\C", GetRegistryFolder(1)); // an expandable string is a string
    try {
        ExpandTokens("%PROGRAMFILES", TInstallOption());
        FAIL() << "no error";
    } catch (const ERegistryError& e) {
        EXPECT_STREQ("Invalid data type for 'ProgramFilesDir'", e.what());
    }
}

TEST_F(MachineRoot, AReadOnlyStoreStillYieldsTheFolders)
{
    GetWindowsDir();
    const fs::path store = Root() / "registry.reg";
    const std::string before = ReadText(store);
    fs::permissions(store, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_EQ("C:\\Program Files", GetRegistryFolder(0));
    EXPECT_EQ("C:\\Program Files\\Common Files", GetRegistryFolder(1));
    // Writing needs full access, which a read-only store refuses.
    try {
        WriteRegistryString("HKEY_LOCAL_MACHINE", "\\SOFTWARE\\Vendor\\Value", "v");
        FAIL() << "no error";
    } catch (const ERegistryError& e) {
        EXPECT_STREQ("Failed to create key \\SOFTWARE\\Vendor", e.what());
    }
    EXPECT_EQ(before, ReadText(store));
}

TEST_F(MachineRoot, AMalformedStoreIsReportedWithFileAndLineAndKept)
{
    GetWindowsDir();
    const fs::path store = Root() / "registry.reg";
    const std::string broken = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\X]\n\"a\"=\"1\"\nb=2\n";
    WriteText(store, broken);
    try {
        WriteRegistryString("HKEY_CURRENT_USER", "\\Software\\X\\c", "3");
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ("Malformed registry file " + store.string() + ", line 5: expected a quoted value name or @",
                  std::string(e.what()));
    }
    EXPECT_THROW(GetRegistryFolder(0), Exception);
    EXPECT_EQ(broken, ReadText(store));
}

TEST_F(MachineRoot, KeysKeepTheCaseFirstWrittenAndLeaveNoTemporaryFiles)
{
    WriteRegistryString("HKEY_CURRENT_USER", "\\Software\\Vendor\\Tool\\Path", "a");
    WriteRegistryString("hkey_current_user", "\\SOFTWARE\\VENDOR\\tool\\path", "b");
    WriteRegistryString("HKEY_CURRENT_USER", "Software\\Vendor\\Tool\\.", "c");
    WriteRegistryString("HKEY_CURRENT_USER", "RootValue", "r");
    const std::string store = ReadText(Root() / "registry.reg");
    EXPECT_NE(std::string::npos, store.find("[HKEY_CURRENT_USER\\Software\\Vendor]\r\n"));
    EXPECT_NE(std::string::npos, store.find("[HKEY_CURRENT_USER\\Software\\Vendor\\Tool]\r\n\"Path\"=\"b\"\r\n@=\"c\"\r\n"))
        << store;
    EXPECT_NE(std::string::npos, store.find("[HKEY_CURRENT_USER]\r\n\"RootValue\"=\"r\"\r\n")) << store;
    EXPECT_EQ(std::string::npos, store.find("SOFTWARE\\VENDOR"));
    for (const auto& entry : fs::directory_iterator(Root()))
        EXPECT_EQ(std::string::npos, entry.path().filename().string().find(".tmp")) << entry.path();
}

TEST_F(MachineRoot, RunProgramPassesALongCommandLineWholeAndDoesNotWait)
{
    GetWindowsDir();
    const fs::path tool = Root() / "drive_c" / "Program Files" / "Tool" / "record.sh";
    WriteText(tool, "#!/bin/sh\nsleep 0.2\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.part\"\n"
                    "mv \"$0.part\" \"$0.out\"\n");
    fs::permissions(tool, fs::perms::owner_all);
    const std::string longArgument(600, 'x');
    const std::string commandLine =
        "C:\\PROGRAM FILES\\Tool\\record.sh \"two words\" " + longArgument + " a\\\"b";
    ASSERT_GT(commandLine.size(), 511u);
    const auto start = std::chrono::steady_clock::now();
    RunProgram(commandLine, kShowNormal);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
    ASSERT_TRUE(WaitForFile(tool.string() + ".out"));
    EXPECT_EQ("two words\n" + longArgument + "\na\"b\n", ReadText(tool.string() + ".out"));
}

TEST_F(MachineRoot, RunProgramIgnoresAProgramThatIsNotThere)
{
    RunProgram("C:\\Nowhere\\missing.exe /x", kShowNormal);
    RunProgram("", kShowNormal);
    SUCCEED();
}
