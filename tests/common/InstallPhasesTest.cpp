// Shortcuts, registry entries and the uninstall log: a whole installation.
#include "TestSupport.h"

#include "engine/Installation.h"
#include "paths/PathText.h"
#include "paths/SystemFolders.h"
#include "platform/ComApartment.h"
#include "platform/Files.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace tarvex;
using tarvex::platform::RootKey;
using tarvex::test::HostFile;
using tarvex::test::InstallSandbox;
using tarvex::test::ReadBytes;

namespace {

constexpr char kAppPaths[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr char kUninstall[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// A title of its own per test, so runs never meet in a shared registry.
std::string UniqueTitle()
{
    std::random_device rd;
    return "TarvexTest" + std::to_string(rd() % 1000000);
}

class Phases : public ::testing::Test {
protected:
    platform::ComApartment com; // links are made through COM, as in setup.exe
    InstallSandbox box;
    std::string title = UniqueTitle();
    std::unique_ptr<TSetupInformation> info;
    std::unique_ptr<TInstallation> engine;

    void Load(const std::string& lists, const std::string* iniTitle = nullptr)
    {
        std::string ini = "[GENERAL]\r\nTitle=" + (iniTitle ? *iniTitle : title) +
                          "\r\nExecutable=demo.exe\r\nReadMe=r\r\nLicense=l\r\nDirectory=d\r\nNewDirectory=n\r\n"
                          "StartMenu=s\r\nNewMenu=m\r\nTotalSize=1\r\nRoute=5\r\nRun=\r\nRun Description=\r\n" +
                          lists;
        info = std::make_unique<TSetupInformation>(box.WriteMedium("Setup.INI", ini));
        engine = std::make_unique<TInstallation>(*info);
        engine->Directory = box.Base();
        engine->NewDirectory = title;
        engine->StartMenu = box.Base() + "\\Menu";
        engine->NewMenu = "Group";
        engine->Title = title;
        engine->MediumDirectory = box.Medium();
        engine->OnStatus = [](const std::string&) {};
        engine->OnStep = [] {};
        engine->OnCopyFile = [](const std::string&) {};
        platform::MakeDirectory(box.Base() + "\\Menu");
    }
    std::string Product(const std::string& rest = "") const { return box.Base() + "\\" + title + rest; }
    std::string Group(const std::string& rest = "") const { return box.Base() + "\\Menu\\Group" + rest; }

    std::string Install()
    {
        try {
            engine->Install();
        } catch (const std::exception& e) {
            return e.what();
        }
        return "";
    }
};

TEST_F(Phases, WholeInstallationOfTheWorkedExample)
{
    Load("[FILES]\r\n1=demo.exe,demo.exe,1,%APPPATH,N\r\n2=ridsetup.exe,ridsetup.exe,1,%APPPATH,N\r\n"
         "[ICONS]\r\n1=Demo,%SMICON,%APPPATH\\demo.exe,/s \"quoted\" %APPPATH\r\n"
         "[DIRECTORIES]\r\n1=%APPPATH\r\n2=%SMICON\r\n"
         "[REGISTRY]\r\n1=hkey_current_user,\\Software\\" + title + "\\Settings\\Mode,%APPPATH\r\n");
    box.WriteMedium("demo.exe", "program");
    box.WriteMedium("ridsetup.exe", "uninstaller");
    // A log from an earlier installation is replaced, not appended to.
    platform::MakeDirectory(Product());
    platform::WriteWholeFile(Product("\\Install.log"), std::string(5000, 'x'));
    ASSERT_EQ("", Install());

    const std::string expected = "[APPLICATION]\r\n" + title + "\r\n[REGISTRY]\r\n" + "HKEY_LOCAL_MACHINE," +
                                 kAppPaths + "demo.exe\r\n" + "HKEY_LOCAL_MACHINE," + kUninstall + title + "\r\n" +
                                 "hkey_current_user,\\Software\\" + title + "\\Settings\r\n" + "[FILES]\r\n" +
                                 Product("\\demo.exe") + "\r\n" + Group("\\Demo.LNK") + "\r\n" +
                                 Product("\\Install.log") + "\r\n" + "[DIRECTORIES]\r\n" + Product() + "\r\n" +
                                 Group() + "\r\n";
    EXPECT_EQ(expected, ReadBytes(HostFile(Product("\\Install.log"))));

    EXPECT_EQ(Product("\\demo.exe"),
              platform::ReadRegistryString(RootKey::LocalMachine, kAppPaths + std::string("demo.exe"), ""));
    EXPECT_EQ(Product("\\"),
              platform::ReadRegistryString(RootKey::LocalMachine, kAppPaths + std::string("demo.exe"), "Path"));
    EXPECT_EQ(title, platform::ReadRegistryString(RootKey::LocalMachine, kUninstall + title, "DisplayName"));
    EXPECT_EQ("ridsetup.exe \"" + Product("\\Install.log") + "\"",
              platform::ReadRegistryString(RootKey::LocalMachine, kUninstall + title, "UninstallString"));
    // What Add/Remove Programs lists and deployment tools read besides.
    EXPECT_EQ("ridsetup.exe /S \"" + Product("\\Install.log") + "\"",
              platform::ReadRegistryString(RootKey::LocalMachine, kUninstall + title, "QuietUninstallString"));
    EXPECT_EQ(Product(), platform::ReadRegistryString(RootKey::LocalMachine, kUninstall + title, "InstallLocation"));
    EXPECT_EQ(Product("\\demo.exe"),
              platform::ReadRegistryString(RootKey::LocalMachine, kUninstall + title, "DisplayIcon"));
    std::vector<std::string> names;
    for (const platform::RegistryValueText& value : platform::RegistryValues(RootKey::LocalMachine, kUninstall + title)) {
        names.push_back(value.name);
        if (value.name == "EstimatedSize") {
            EXPECT_FALSE(value.text) << "a number, not a string";
        }
    }
    std::sort(names.begin(), names.end()); // Windows lists them in its own order
    EXPECT_EQ((std::vector<std::string>{"DisplayIcon", "DisplayName", "EstimatedSize", "InstallLocation",
                                        "QuietUninstallString", "UninstallString"}),
              names);
    // Registry data is written as it stands, tokens included.
    EXPECT_EQ("%APPPATH",
              platform::ReadRegistryString(RootKey::CurrentUser, "\\Software\\" + title + "\\Settings", "Mode"));
    EXPECT_TRUE(platform::FileExists(Group("\\Demo.LNK")));
    EXPECT_EQ("uninstaller", ReadBytes(HostFile(Product("\\ridsetup.exe"))));
}

TEST_F(Phases, EmptyRegistryAndDirectoriesStillGiveTheRegistrationAndTheHeaders)
{
    Load("[FILES]\r\n1=a.txt,a.txt,1,%APPPATH,N\r\n");
    platform::MakeDirectory(Product());
    box.WriteMedium("a.txt", "a");
    ASSERT_EQ("", Install());
    std::string log = ReadBytes(HostFile(Product("\\Install.log")));
    EXPECT_EQ(2u, engine->RegistryLog.size());
    EXPECT_EQ("[DIRECTORIES]\r\n", log.substr(log.size() - 15));
    EXPECT_EQ(Product("\\Install.log"), engine->FilesLog.back());
}

TEST_F(Phases, EmptyFilesEndsTheRegistryPhaseBeforeWriting)
{
    Load("[DIRECTORIES]\r\n1=%APPPATH\r\n[REGISTRY]\r\n1=HKEY_CURRENT_USER,\\Software\\" + title + "\\x,y\r\n");
    EXPECT_EQ("List index out of bounds", Install());
    EXPECT_TRUE(engine->RegistryLog.empty());
    EXPECT_FALSE(platform::ReadRegistryString(RootKey::CurrentUser, "\\Software\\" + title, "x"));
    EXPECT_FALSE(platform::FileExists(Product("\\Install.log")));
}

// An empty title would put the product's values on the shared Uninstall key
// itself, which its uninstaller then removes: refused before anything.
TEST_F(Phases, ATitleWithoutAKeyOfItsOwnIsRefusedBeforeAnythingIsWritten)
{
    const std::string uninstall = std::string(kUninstall).substr(0, std::string(kUninstall).size() - 1);
    for (std::string bad : {"", "\\", "\"\\ \\\""}) {
        Load("[FILES]\r\n1=a.txt,a.txt,1,%APPPATH,N\r\n[DIRECTORIES]\r\n1=%APPPATH\r\n[REGISTRY]\r\n"
             "1=HKEY_CURRENT_USER,\\Software\\" + title + "\\x,y\r\n",
             &bad);
        box.WriteMedium("a.txt", "a");
        EXPECT_EQ("Title names no Uninstall key of its own: HKEY_LOCAL_MACHINE" + std::string(kUninstall) + info->Title,
                  Install());
        EXPECT_FALSE(platform::DirectoryExists(Product())) << bad;
        EXPECT_FALSE(platform::ReadRegistryString(RootKey::CurrentUser, "\\Software\\" + title, "x"));
        EXPECT_FALSE(platform::ReadRegistryString(RootKey::LocalMachine, uninstall, "UninstallString"));
    }
}

TEST_F(Phases, UnknownRootEndsTheInstallationAfterEarlierEntries)
{
    Load("[FILES]\r\n1=a.txt,a.txt,1,%APPPATH,N\r\n[DIRECTORIES]\r\n1=%APPPATH\r\n[REGISTRY]\r\n"
         "1=HKEY_CURRENT_USER,\\Software\\" + title + "\\.,first\r\n2=HKEY_CLASSES_ROOT,\\x\\y,z\r\n");
    box.WriteMedium("a.txt", "a");
    EXPECT_EQ("Unknown HKEY: HKEY_CLASSES_ROOT", Install());
    EXPECT_EQ("first", platform::ReadRegistryString(RootKey::CurrentUser, "\\Software\\" + title, ""));
    EXPECT_EQ("HKEY_CURRENT_USER,\\Software\\" + title, engine->RegistryLog.back());
    EXPECT_TRUE(platform::FileExists(Product("\\a.txt"))) << "what was done before stays";
    EXPECT_FALSE(platform::FileExists(Product("\\Install.log")));
}

TEST_F(Phases, LinkNamesFoldersAndLimits)
{
    Load("[ICONS]\r\n1=Demo 1.5,%SMICON,%APPPATH\\demo.exe,\r\n2=Lost,%SMICON\\Missing,%APPPATH\\demo.exe,\r\n"
         "[DIRECTORIES]\r\n1=%SMICON\r\n");
    engine->CreateDirectories();
    engine->CreateShortcuts();
    // The last dot starts the extension; a missing folder is listed, not fatal.
    EXPECT_EQ((std::vector<std::string>{Group("\\Demo 1.LNK"), Group("\\Missing\\Lost.LNK")}), engine->FilesLog);
    EXPECT_TRUE(platform::FileExists(Group("\\Demo 1.LNK")));
    EXPECT_FALSE(platform::FileExists(Group("\\Missing\\Lost.LNK")));

    Load("[ICONS]\r\n1=" + std::string(300, 'n') + ",%SMICON,x,\r\n");
    try {
        engine->CreateShortcuts();
        FAIL() << "a link path over 259 characters was accepted";
    } catch (const EInstallError& e) {
        EXPECT_EQ(std::string("Link path too long: ") + Group("\\") + std::string(300, 'n') + ".LNK", e.what());
    }
}

TEST_F(Phases, UninstallLogThatCannotBeCreatedEndsTheInstallation)
{
    Load("[FILES]\r\n1=a.txt,a.txt,1,%APPPATH,N\r\n");
    // No DIRECTORIES line makes the product folder, so the log has nowhere to go.
    engine->LogFileName = Product("\\Install.log");
    try {
        engine->SaveUninstallLog();
        FAIL() << "a log was written into a missing folder";
    } catch (const std::exception& e) {
        EXPECT_EQ("Cannot create file " + Product("\\Install.log"), e.what());
    }
    EXPECT_FALSE(platform::DirectoryExists(Product()));
}

TEST(EngineText, ChangeFileExtAndExtractFileName)
{
    EXPECT_EQ("C:\\G\\Demo.LNK", ChangeFileExt("C:\\G\\Demo", ".LNK"));
    EXPECT_EQ("C:\\G\\Demo 1.LNK", ChangeFileExt("C:\\G\\Demo 1.5", ".LNK"));
    EXPECT_EQ("C:\\G.d\\Demo.LNK", ChangeFileExt("C:\\G.d\\Demo", ".LNK"));
    EXPECT_EQ("demo.exe", ExtractFileName("C:\\Program Files\\Demo\\demo.exe"));
    EXPECT_EQ("demo.exe", ExtractFileName("A:demo.exe"));
    EXPECT_EQ("demo.exe", ExtractFileName("demo.exe"));
}

// Which FILES sources the engine refuses as lying outside the medium.
TEST(EngineText, LeavesFolder)
{
    for (const char* inside : {"a.txt", "sub\\a.txt", "sub/../a.txt", "\\a.txt", "/a.txt", "a\\.\\b\\..\\c",
                               "...x", "x..", "sub\\..\\sub\\..\\a"})
        EXPECT_FALSE(LeavesFolder(inside)) << inside;
    for (const char* outside : {"..", "..\\secret", "../secret", "sub\\..\\..\\secret", "\\..\\secret", "C:\\secret",
                                "c:secret", "...\\secret", ".. \\secret", ". .\\secret", "a\\b\\..\\..\\..\\c"})
        EXPECT_TRUE(LeavesFolder(outside)) << outside;
}

} // namespace
