// The emulated machine: its folders, drives, free space, program start and
// the registry store behind the registry folders.
#include "common/MachineSandbox.h"

#include "engine/RegistryWriter.h"
#include "paths/PathTokens.h"
#include "paths/SystemFolders.h"
#include "platform/Files.h"
#include "platform/LzExpand.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/posix/PosixFile.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>

using namespace tarvex;
namespace fs = std::filesystem;

namespace {

class MachineRoot : public test::MachineSandbox {
protected:
    fs::path Root() const { return RootDir(); }
    std::string ReadText(const fs::path& file) const { return test::ReadBytes(file); }
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
              platform::MachineHostPath("C:\\Program Files\\Demo\\x.exe"));
    EXPECT_EQ((drive / "Program Files" / "Demo" / "New" / "Sub").string(),
              platform::MachineHostPath("c:\\PROGRAM FILES\\demo\\New\\Sub"));
    EXPECT_EQ((drive / "WINDOWS").string(), platform::MachineHostPath("C:\\windows\\"));
    EXPECT_EQ((drive / "Program Files").string(), platform::MachineHostPath("C:\\WINDOWS\\..\\.\\program files"));
    EXPECT_EQ((Root() / "drive_d" / "Data").string(), platform::MachineHostPath("D:\\Data"));
    EXPECT_EQ(drive.string(), platform::MachineHostPath("C:\\"));
}

// No text leads out of the root: rooted, host-style, relative and climbing
// paths all land on a drive of the machine.
TEST_F(MachineRoot, PathsWithoutADriveStayInTheMachine)
{
    GetWindowsDir();
    const fs::path c = Root() / "drive_c";
    const fs::path d = Root() / "drive_d";
    const std::pair<const char*, fs::path> cases[] = {
        {"\\tmp\\x", c / "tmp" / "x"},
        {"/tmp/x", c / "tmp" / "x"},
        {"\\\\server\\share\\x", c / "server" / "share" / "x"},
        {"rel\\x", c / "rel" / "x"},
        {"..\\..\\x", c / "x"},
        {"C:\\a\\..\\..\\..\\x", c / "x"},
        {"C:..\\..\\x", c / "x"},
        {"D:..\\x", d / "x"},
    };
    for (const auto& [path, host] : cases) EXPECT_EQ(host.string(), platform::MachineHostPath(path)) << path;
    EXPECT_EQ("", platform::MachineHostPath("")); // names nothing, as on Windows

    // The current directory sets the drive of rooted paths and the start of relative ones.
    Configure("[Machine]\nCurrentDirectory=D:\\Work\n");
    EXPECT_EQ((d / "x").string(), platform::MachineHostPath("\\x"));
    EXPECT_EQ((d / "Work" / "rel").string(), platform::MachineHostPath("rel"));
    EXPECT_EQ((d / "Work" / "rel").string(), platform::MachineHostPath("d:rel"));
    EXPECT_EQ((c / "rel").string(), platform::MachineHostPath("C:rel"));
    EXPECT_EQ((d / "y").string(), platform::MachineHostPath("..\\..\\..\\y"));
    // One that is no full drive path cannot send them anywhere else.
    for (const char* odd : {"/etc", "Work", "D:Work", ""}) {
        Configure(std::string("[Machine]\nCurrentDirectory=") + odd + "\n");
        EXPECT_EQ((c / "rel").string(), platform::MachineHostPath("rel")) << odd;
    }
}

// Reads of the medium folder go to the host; writes never do, and nothing
// beside the medium is read there.
TEST_F(MachineRoot, OnlyReadsReachTheMediumFolder)
{
    const fs::path medium = scratch_.Path() / "medium";
    fs::create_directories(medium);
    platform::SetMediumFolder(medium.string());
    const std::string inMedium = medium.string() + "/\\sub\\.\\Setup.INI";
    EXPECT_EQ((medium / "sub" / "Setup.INI").string(), platform::ReadHostPath(inMedium));
    EXPECT_EQ(platform::MachineHostPath(inMedium).rfind(RootDir() + "/drive_c/", 0), 0u);
    for (const std::string& outside : {medium.string() + "/../secret", medium.string() + "2/x", std::string("/etc/passwd"),
                                       std::string("medium\\x")})
        EXPECT_EQ(platform::ReadHostPath(outside).rfind(RootDir() + "/drive_c/", 0), 0u) << outside;
}

TEST(NoMachine, PathsAreTheHostsOwnAndDrivePathsAreErrors)
{
    platform::SetMachineRoot("");
    EXPECT_EQ("/tmp/a/b", platform::MachineHostPath("/tmp/a\\b"));
    EXPECT_EQ("rel/x", platform::ReadHostPath("rel\\x"));
    EXPECT_THROW(platform::MachineHostPath("C:\\x"), Exception);
    EXPECT_THROW(GetWindowsDir(), Exception);
}

// One errno mapping for every service: the copy's expander and the file
// service once gave a name past the host's limit different codes.
TEST_F(MachineRoot, HostErrorsMapToTheCodesWindowsGives)
{
    const std::string folder = scratch_.Path().string();
    EXPECT_EQ(2u, platform::WindowsErrorCode(ENOENT, folder + "/missing"));
    EXPECT_EQ(3u, platform::WindowsErrorCode(ENOENT, folder + "/nodir/missing"));
    EXPECT_EQ(206u, platform::WindowsErrorCode(ENAMETOOLONG, folder + "/x"));
    EXPECT_EQ(32u, platform::WindowsErrorCode(EBUSY, folder + "/x"));
    EXPECT_EQ(32u, platform::WindowsErrorCode(ETXTBSY, folder + "/x"));
    EXPECT_EQ(31u, platform::WindowsErrorCode(EIO, folder + "/x"));

    const std::string longName = "C:\\" + std::string(300, 'n');
    try {
        platform::LzExpandFile(longName, "C:\\out");
        ADD_FAILURE() << "expanded a file whose name is too long";
    } catch (const platform::LzError& e) {
        EXPECT_EQ(206u, e.SystemCode());
    }
    try {
        platform::WriteWholeFile("C:\\x.txt", "x");
        platform::PutInPlace("C:\\x.txt", longName);
        ADD_FAILURE() << "renamed to a name that is too long";
    } catch (const platform::EInOutError& e) {
        EXPECT_EQ(206u, e.Code());
    }
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

TEST_F(MachineRoot, ARegistryFolderThatCannotBeReadIsItsDefaultOnTheWindowsDrive)
{
    Configure("[Machine]\nWindowsDir=D:\\WIN95\nProgramFilesDir=E:\\Apps\n");
    GetWindowsDir();
    const fs::path store = Root() / "registry.reg";
    // The value missing, the other present but empty.
    WriteText(store, "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\r\n"
                     "\"CommonFilesDir\"=\"\"\r\n");
    EXPECT_EQ("D:\\Program Files", GetRegistryFolder(0));
    EXPECT_EQ("", GetRegistryFolder(1)); // present but empty
    TInstallOption choices;
    EXPECT_EQ("D:\\Program Files\\Tools", ExpandTokens("%PROGRAMFILES\\Tools", choices));
    EXPECT_EQ("error", GetRegistryFolder(2));

    // The key missing.
    WriteText(store, "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n");
    EXPECT_EQ("D:\\Program Files\\Common Files", GetRegistryFolder(1));

    // A store that cannot be read: nothing found, and nothing written over it.
    const std::string before = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]"
                               "\r\n\"ProgramFilesDir\"=\"E:\\\\Apps\"\r\n";
    WriteText(store, before);
    EXPECT_EQ("E:\\Apps", GetRegistryFolder(0));
    fs::permissions(store, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read,
                    fs::perm_options::remove);
    EXPECT_EQ("D:\\Program Files", GetRegistryFolder(0));
    try {
        WriteRegistryString("HKEY_CURRENT_USER", "\\Software\\Vendor\\Value", "v");
        FAIL() << "no error";
    } catch (const ERegistryError& e) {
        EXPECT_STREQ("Failed to create key \\Software\\Vendor", e.what());
    }
    fs::permissions(store, fs::perms::owner_read, fs::perm_options::add);
    EXPECT_EQ(before, ReadText(store));
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

TEST_F(MachineRoot, HeldBackWritesGiveTheSameStoreAsWritesOneByOne)
{
    auto writeAll = [] {
        WriteRegistryString("HKEY_CURRENT_USER", "\\Software\\Vendor\\Tool\\Path", "a\"b\\c");
        WriteRegistryString("hkey_local_machine", "\\SOFTWARE\\Vendor\\Tool\\.", "d");
        WriteRegistryString("HKEY_CURRENT_USER", "\\SOFTWARE\\VENDOR\\tool\\PATH", "e");
        WriteRegistryString("HKEY_USERS", "Top", "f");
    };
    writeAll();
    const std::string oneByOne = ReadText(Root() / "registry.reg");

    platform::SetMachineRoot(scratch_.File("batched"));
    GetWindowsDir();
    const fs::path store = scratch_.Path() / "batched" / "registry.reg";
    const std::string fresh = ReadText(store);
    {
        platform::RegistryBatch batch;
        writeAll();
        EXPECT_EQ(fresh, ReadText(store)); // held back...
        EXPECT_EQ("e", platform::ReadRegistryString(platform::RootKey::CurrentUser, "\\Software\\Vendor\\Tool", "Path"));
        batch.Flush();
        EXPECT_EQ(oneByOne, ReadText(store)); // ...and then written whole
    }
    for (const auto& entry : fs::directory_iterator(store.parent_path()))
        EXPECT_EQ(std::string::npos, entry.path().filename().string().find(".tmp")) << entry.path();
}

TEST_F(MachineRoot, HeldBackWritesReachTheStoreWhenAnErrorEndsTheirScope)
{
    GetWindowsDir();
    try {
        platform::RegistryBatch batch;
        WriteRegistryString("HKEY_CURRENT_USER", "\\Software\\Vendor\\First", "1");
        WriteRegistryString("HKEY_CLASSES_ROOT", "\\x\\y", "z");
        FAIL() << "no error";
    } catch (const ERegistryError& e) {
        EXPECT_STREQ("Unknown HKEY: HKEY_CLASSES_ROOT", e.what());
    }
    EXPECT_NE(std::string::npos, ReadText(Root() / "registry.reg").find("[HKEY_CURRENT_USER\\Software\\Vendor]\r\n\"First\"=\"1\"\r\n"));
}

TEST_F(MachineRoot, AStoreThatCannotBeReplacedRaisesTheFirstHeldWritesErrorAndKeepsTheFile)
{
    GetWindowsDir();
    const fs::path store = Root() / "registry.reg";
    const std::string before = ReadText(store);
    // The temporary file beside the store cannot be made, whoever we run as.
    fs::create_directories(store.string() + ".tmp" + std::to_string(::getpid()));
    {
        platform::RegistryBatch batch;
        WriteRegistryString("HKEY_LOCAL_MACHINE", "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ProgramFilesDir", "X:\\");
        WriteRegistryString("HKEY_CURRENT_USER", "\\Software\\New\\Value", "v");
        try {
            batch.Flush();
            FAIL() << "no error";
        } catch (const ERegistryError& e) {
            EXPECT_STREQ("Failed to set data for 'ProgramFilesDir'", e.what());
        }
    }
    EXPECT_EQ(before, ReadText(store));
    // What the file holds is what is read afterwards.
    EXPECT_EQ("C:\\Program Files", GetRegistryFolder(0));
    EXPECT_FALSE(platform::ReadRegistryString(platform::RootKey::CurrentUser, "\\Software\\New", "Value"));
    // One by one, the failing write raises at once.
    try {
        WriteRegistryString("HKEY_CURRENT_USER", "\\Software\\New\\Value", "v");
        FAIL() << "no error";
    } catch (const ERegistryError& e) {
        EXPECT_STREQ("Failed to create key \\Software\\New", e.what());
    }
    EXPECT_EQ(before, ReadText(store));
}

TEST_F(MachineRoot, TheStoreIsReadAgainWhenTheFileChangesAndStillRefusesWhenMarkedReadOnly)
{
    GetWindowsDir();
    const fs::path store = Root() / "registry.reg";
    EXPECT_EQ("C:\\Program Files", GetRegistryFolder(0));
    // Edited in place by someone else, to the same length.
    std::string text = ReadText(store);
    const std::string was = "\"C:\\\\Program Files\"";
    text.replace(text.find(was), was.size(), "\"Q:\\\\Program Files\"");
    WriteText(store, text);
    EXPECT_EQ("Q:\\Program Files", GetRegistryFolder(0));
    // Broken by someone else: reported on every call, never reset.
    WriteText(store, "REGEDIT4\n[HKEY_NOWHERE]\n");
    EXPECT_THROW(GetRegistryFolder(0), Exception);
    EXPECT_THROW(WriteRegistryString("HKEY_CURRENT_USER", "\\Software\\X\\c", "3"), Exception);
    EXPECT_EQ("REGEDIT4\n[HKEY_NOWHERE]\n", ReadText(store));
    WriteText(store, text);
    EXPECT_EQ("Q:\\Program Files", GetRegistryFolder(0));

    // Marked read-only while writes are held back: the next write is refused,
    // and so are the held ones.
    platform::RegistryBatch batch;
    WriteRegistryString("HKEY_CURRENT_USER", "\\Software\\X\\c", "3");
    fs::permissions(store, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_THROW(WriteRegistryString("HKEY_CURRENT_USER", "\\Software\\Y\\c", "3"), ERegistryError);
    EXPECT_FALSE(platform::WriteRegistryValue(platform::RootKey::CurrentUser, "\\Software\\X", "d", "4"));
    try {
        batch.Flush();
        FAIL() << "no error";
    } catch (const ERegistryError& e) {
        EXPECT_STREQ("Failed to create key \\Software\\X", e.what());
    }
    EXPECT_EQ(text, ReadText(store));
    EXPECT_EQ(fs::perms::none, fs::status(store).permissions() & fs::perms::owner_write);
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
