// The install engine's directory and copy phases, on a sandboxed machine
// natively and on Wine's drive in the Windows build.
#include "TestSupport.h"

#include "engine/CopyFile.h"
#include "engine/FileInfo.h"
#include "engine/Installation.h"
#include "paths/PathText.h"
#include "paths/SystemFolders.h"
#include "platform/Files.h"

#include <gtest/gtest.h>

using namespace tarvex;
using tarvex::test::HostFile;
using tarvex::test::InstallSandbox;
using tarvex::test::ReadBytes;
using tarvex::test::ScratchDir;

namespace {

const char kGeneral[] =
    "[GENERAL]\r\nTitle=Demo\r\nExecutable=demo.exe\r\nReadMe=r.txt\r\nLicense=l.txt\r\nDirectory=%PROGRAMFILES\r\n"
    "NewDirectory=Demo\r\nStartMenu=%PROGRAMDIR\r\nNewMenu=Demo\r\nTotalSize=1\r\nRoute=5\r\nRun=\r\n"
    "Run Description=\r\n";

// An SZDD file holding data as literals only: valid input for any expander.
std::string Szdd(const std::string& data)
{
    std::string out = "SZDD\x88\xf0\x27\x33";
    out += 'A';
    out += '\0';
    for (int i = 0; i < 4; ++i) out += static_cast<char>((data.size() >> (8 * i)) & 0xFF);
    for (std::size_t i = 0; i < data.size(); i += 8) {
        out += '\xff';
        out += data.substr(i, 8);
    }
    return out;
}

platform::DosDateTime Dos(int year, int month, int day, int hour, int minute, int second)
{
    return {static_cast<std::uint16_t>((year - 1980) << 9 | month << 5 | day),
            static_cast<std::uint16_t>(hour << 11 | minute << 5 | second / 2)};
}

class Engine : public ::testing::Test {
protected:
    InstallSandbox box;
    ScratchDir iniDir;
    std::unique_ptr<TSetupInformation> info;
    std::unique_ptr<TInstallation> engine;
    std::vector<std::string> events;
    std::vector<std::pair<std::string, std::string>> questions;
    std::vector<TOverwriteMode> answers;

    void Load(const std::string& lists)
    {
        info = std::make_unique<TSetupInformation>(iniDir.Write("Setup.INI", kGeneral + lists));
        engine = std::make_unique<TInstallation>(*info);
        engine->Directory = box.Base();
        engine->NewDirectory = "Demo";
        engine->StartMenu = box.Base() + "\\Menu";
        engine->NewMenu = "Group";
        engine->Title = "Demo";
        engine->MediumDirectory = box.Medium();
        engine->OnStatus = [this](const std::string& s) { events.push_back("status " + s); };
        engine->OnStep = [this] { events.push_back("step"); };
        engine->OnCopyFile = [this](const std::string& s) { events.push_back("copy " + s); };
        engine->OnAskOverwrite = [this](const std::string& install, const std::string& existing) {
            questions.emplace_back(install, existing);
            EXPECT_FALSE(answers.empty()) << "unexpected question";
            if (answers.empty()) return TOverwriteMode::omNo;
            TOverwriteMode a = answers.front();
            answers.erase(answers.begin());
            return a;
        };
    }

    std::string Product(const std::string& rest = "") const { return box.Base() + "\\Demo" + rest; }

    std::string RunPhase(void (TInstallation::*phase)())
    {
        try {
            (engine.get()->*phase)();
        } catch (const std::exception& e) {
            return e.what();
        }
        return "";
    }

    void Existing(const std::string& path, const std::string& bytes, const platform::DosDateTime& when)
    {
        std::filesystem::create_directories(HostFile(path).parent_path());
        std::ofstream(HostFile(path), std::ios::binary) << bytes;
        ASSERT_TRUE(platform::SetLastWriteTime(path, when));
    }
    void Medium(const std::string& name, const std::string& bytes, const platform::DosDateTime& when)
    {
        ASSERT_TRUE(platform::SetLastWriteTime(box.WriteMedium(name, bytes), when));
    }
};

TEST_F(Engine, DirectoriesBelowTheSeamAreCreatedAndRecordedInOrder)
{
    Load("[DIRECTORIES]\r\n1=%APPPATH\\Data\\Sub\r\n2=%APPPATH\r\n3=%APPPATH\\Data\r\n");
    ASSERT_EQ("", RunPhase(&TInstallation::CreateDirectories));
    EXPECT_EQ((std::vector<std::string>{Product(), Product("\\Data"), Product("\\Data\\Sub"), Product(),
                                        Product(), Product("\\Data")}),
              engine->DirectoriesLog);
    EXPECT_TRUE(platform::DirectoryExists(Product("\\Data\\Sub")));
}

TEST_F(Engine, ExistingDirectoriesOnTheChainAreRecordedToo)
{
    Load("[DIRECTORIES]\r\n1=%APPPATH\\Data\r\n");
    ASSERT_TRUE(platform::MakeDirectory(Product()));
    ASSERT_EQ("", RunPhase(&TInstallation::CreateDirectories));
    EXPECT_EQ((std::vector<std::string>{Product(), Product("\\Data")}), engine->DirectoriesLog);
}

TEST_F(Engine, LinesWithoutTheSeamMustExist)
{
    Load("[DIRECTORIES]\r\n1=" + box.Base() + "\r\n");
    ASSERT_EQ("", RunPhase(&TInstallation::CreateDirectories));
    EXPECT_TRUE(engine->DirectoriesLog.empty());

    Load("[DIRECTORIES]\r\n1=" + box.Base() + "\\Missing\\\r\n");
    EXPECT_EQ("Unable to create path: " + box.Base() + "\\Missing", RunPhase(&TInstallation::CreateDirectories));
    EXPECT_FALSE(platform::DirectoryExists(box.Base() + "\\Missing"));
}

TEST_F(Engine, InstallDirectoryHasOneBackslashEach)
{
    Load("");
    engine->Directory = box.Base() + "\\";
    EXPECT_EQ(box.Base() + "\\Demo\\", engine->InstallDirectory());
    engine->NewDirectory = "";
    EXPECT_EQ(box.Base() + "\\", engine->InstallDirectory());
}

TEST_F(Engine, InstallAnnouncesFivePhasesInOrder)
{
    Load("[DIRECTORIES]\r\n1=%APPPATH\r\n[FILES]\r\n1=a.txt,a.txt,1,%APPPATH,N\r\n");
    box.WriteMedium("a.txt", "a");
    engine->Install();
    EXPECT_EQ((std::vector<std::string>{"status Creating directories...", "step", "status Copying Files...", "step",
                                        "copy a.txt", "status Creating shortcuts...", "step",
                                        "status Creating registry entries...", "step", "status Saving uninstall log...",
                                        "step"}),
              events);
    EXPECT_EQ(Product("\\Install.log"), engine->LogFileName);
    EXPECT_TRUE(platform::DirectoryExists(GetTempDir()));
}

TEST(AbbreviatePathTest, KeepsHeadAndTail)
{
    EXPECT_EQ("C:\\A\\B\\C", AbbreviatePath("C:\\A\\B\\C"));
    EXPECT_EQ("C:\\A\\...\\C\\D", AbbreviatePath("C:\\A\\B\\C\\D"));
    EXPECT_EQ("C:\\Program Files\\...\\Demo\\Bin", AbbreviatePath("C:\\Program Files\\Vendor\\Demo\\Bin"));
    EXPECT_EQ("", AbbreviatePath(""));
}

TEST_F(Engine, CopiesPlainAndCompressedFilesWithTheirDates)
{
    Load("[DIRECTORIES]\r\n1=%APPPATH\\bin\r\n[FILES]\r\n1=demo.ex_,demo.exe,1,%APPPATH\\bin,N\r\n"
         "2=notes.txt,Notes.txt,1,%APPPATH,N\r\n3=rid.ex_,RIDSETUP.EXE,1,%APPPATH,N\r\n");
    Medium("demo.ex_", Szdd("the program, expanded"), Dos(2001, 2, 3, 4, 5, 7));
    Medium("notes.txt", "plain notes", Dos(1999, 12, 31, 23, 59, 58));
    Medium("rid.ex_", Szdd("uninstaller"), Dos(2001, 2, 3, 4, 5, 6));
    ASSERT_EQ("", RunPhase(&TInstallation::CreateDirectories));
    ASSERT_EQ("", RunPhase(&TInstallation::CreateTempDirectory));
    ASSERT_EQ("", RunPhase(&TInstallation::CopyFiles));

    EXPECT_EQ("the program, expanded", ReadBytes(HostFile(Product("\\bin\\demo.exe"))));
    EXPECT_EQ("plain notes", ReadBytes(HostFile(Product("\\Notes.txt"))));
    EXPECT_EQ("uninstaller", ReadBytes(HostFile(Product("\\RIDSETUP.EXE"))));
    // The uninstaller is installed but not listed.
    EXPECT_EQ((std::vector<std::string>{Product("\\bin\\demo.exe"), Product("\\Notes.txt")}), engine->FilesLog);
    EXPECT_EQ((std::vector<std::string>{"copy demo.exe", "copy Notes.txt", "copy RIDSETUP.EXE"}), events);
    // Dates carried at two-second resolution.
    TFileInfo fi;
    fi.SetFileName(Product("\\bin\\demo.exe"));
    EXPECT_EQ((TDateTime{2001, 2, 3, 4, 5, 6}), fi.DateInfo().Modified);
    // Temporary copies are gone, the temporary directory stays.
    EXPECT_FALSE(platform::FileExists(GetTempDir() + "\\demo.exe"));
    EXPECT_FALSE(platform::FileExists(GetTempDir() + "\\Notes.txt"));
    EXPECT_TRUE(platform::DirectoryExists(GetTempDir()));
}

TEST_F(Engine, OverwriteAnswersAndTheirLastingEffect)
{
    std::string files = "[FILES]\r\n";
    for (int i = 1; i <= 6; ++i)
        files += std::to_string(i) + "=f" + std::to_string(i) + ".txt,f" + std::to_string(i) + ".txt,1,%APPPATH,Y\r\n";
    Load("[DIRECTORIES]\r\n1=%APPPATH\r\n" + files);
    for (int i = 1; i <= 6; ++i) {
        std::string name = "f" + std::to_string(i) + ".txt";
        Medium(name, "new " + name, Dos(2000, 1, 1, 12, 0, 0));
        Existing(Product("\\" + name), "old " + name, Dos(2010, 1, 1, 12, 0, 0));
    }
    // f1 No, f2 asked again: Yes, f3 asked: No To All; f4..f6 left without asking.
    answers = {TOverwriteMode::omNo, TOverwriteMode::omYes, TOverwriteMode::omNoToAll};
    ASSERT_EQ("", RunPhase(&TInstallation::CreateDirectories));
    ASSERT_EQ("", RunPhase(&TInstallation::CreateTempDirectory));
    ASSERT_EQ("", RunPhase(&TInstallation::CopyFiles));
    EXPECT_EQ(3u, questions.size());
    EXPECT_EQ(GetTempDir() + "\\f1.txt", questions.at(0).first);
    EXPECT_EQ(Product("\\f1.txt"), questions.at(0).second);
    EXPECT_EQ("old f1.txt", ReadBytes(HostFile(Product("\\f1.txt"))));
    EXPECT_EQ("new f2.txt", ReadBytes(HostFile(Product("\\f2.txt"))));
    for (int i = 3; i <= 6; ++i)
        EXPECT_EQ("old f" + std::to_string(i) + ".txt", ReadBytes(HostFile(Product("\\f" + std::to_string(i) + ".txt"))));
    // Kept files are listed like written ones.
    EXPECT_EQ(6u, engine->FilesLog.size());
    EXPECT_EQ(TOverwriteMode::omNoToAll, engine->OverwriteMode);
}

TEST_F(Engine, FilesNotOlderOrNotFlaggedNeverAsk)
{
    Load("[DIRECTORIES]\r\n1=%APPPATH\r\n[FILES]\r\n1=a.txt,a.txt,1,%APPPATH,Y\r\n2=b.txt,b.txt,1,%APPPATH,Y\r\n"
         "3=c.txt,c.txt,1,%APPPATH,Y\r\n4=d.txt,d.txt,1,%APPPATH,N\r\n");
    Medium("a.txt", "new a", Dos(2000, 1, 1, 0, 0, 0));
    Existing(Product("\\a.txt"), "old a", Dos(2001, 1, 1, 0, 0, 0));
    // Same calendar day, earlier time: not older, no question.
    Medium("b.txt", "new b", Dos(2005, 6, 1, 0, 1, 0));
    Existing(Product("\\b.txt"), "old b", Dos(2005, 6, 1, 23, 59, 0));
    // Missing destination: written without a question.
    Medium("c.txt", "new c", Dos(2000, 1, 1, 0, 0, 0));
    // No flag: an older file replaces a newer one without asking.
    Medium("d.txt", "new d", Dos(2000, 1, 1, 0, 0, 0));
    Existing(Product("\\d.txt"), "old d", Dos(2010, 1, 1, 0, 0, 0));
    answers = {TOverwriteMode::omNoToAll};
    ASSERT_EQ("", RunPhase(&TInstallation::CreateDirectories));
    ASSERT_EQ("", RunPhase(&TInstallation::CreateTempDirectory));
    ASSERT_EQ("", RunPhase(&TInstallation::CopyFiles));
    EXPECT_EQ(1u, questions.size());
    EXPECT_EQ("old a", ReadBytes(HostFile(Product("\\a.txt"))));
    EXPECT_EQ("new b", ReadBytes(HostFile(Product("\\b.txt"))));
    EXPECT_EQ("new c", ReadBytes(HostFile(Product("\\c.txt"))));
    EXPECT_EQ("new d", ReadBytes(HostFile(Product("\\d.txt"))));
}

TEST_F(Engine, YesToAllWritesEveryLaterFileWithoutAsking)
{
    Load("[DIRECTORIES]\r\n1=%APPPATH\r\n[FILES]\r\n1=a.txt,a.txt,1,%APPPATH,Y\r\n2=b.txt,b.txt,1,%APPPATH,Y\r\n");
    for (const char* name : {"a.txt", "b.txt"}) {
        Medium(name, std::string("new ") + name, Dos(2000, 1, 1, 0, 0, 0));
        Existing(Product(std::string("\\") + name), "old", Dos(2001, 1, 1, 0, 0, 0));
    }
    answers = {TOverwriteMode::omYesToAll};
    ASSERT_EQ("", RunPhase(&TInstallation::CreateDirectories));
    ASSERT_EQ("", RunPhase(&TInstallation::CreateTempDirectory));
    ASSERT_EQ("", RunPhase(&TInstallation::CopyFiles));
    EXPECT_EQ(1u, questions.size());
    EXPECT_EQ("new a.txt", ReadBytes(HostFile(Product("\\a.txt"))));
    EXPECT_EQ("new b.txt", ReadBytes(HostFile(Product("\\b.txt"))));
}

TEST_F(Engine, CopyFailuresAndTheirMessages)
{
    Load("[DIRECTORIES]\r\n1=%APPPATH\r\n[FILES]\r\n1=missing.txt,missing.txt,1,%APPPATH,N\r\n");
    ASSERT_EQ("", RunPhase(&TInstallation::CreateDirectories));
    ASSERT_EQ("", RunPhase(&TInstallation::CreateTempDirectory));
    EXPECT_EQ("File not found", RunPhase(&TInstallation::CopyFiles));

    // A damaged compressed file fails its expansion into the temporary folder.
    Load("[FILES]\r\n1=bad.ex_,bad.exe,1,%APPPATH,N\r\n");
    box.WriteMedium("bad.ex_", Szdd("0123456789abcdef").substr(0, 20));
    EXPECT_EQ("Unable to uncompress or copy: " + GetTempDir() + "\\bad.exe", RunPhase(&TInstallation::CopyFiles));
}

TEST_F(Engine, ReadOnlyDestinationIsDeniedAndKept)
{
    Load("[DIRECTORIES]\r\n1=%APPPATH\r\n[FILES]\r\n1=a.txt,a.txt,1,%APPPATH,N\r\n");
    Medium("a.txt", "new a", Dos(2000, 1, 1, 0, 0, 0));
    Existing(Product("\\a.txt"), "precious", Dos(2010, 1, 1, 0, 0, 0));
    std::filesystem::permissions(HostFile(Product("\\a.txt")), std::filesystem::perms::owner_read |
                                                                    std::filesystem::perms::group_read |
                                                                    std::filesystem::perms::others_read);
    if (std::ofstream(HostFile(Product("\\a.txt")), std::ios::app).good()) {
        // Wine run as root does not enforce the read-only attribute.
        std::filesystem::permissions(HostFile(Product("\\a.txt")), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
        GTEST_SKIP() << "read-only files are writable here";
    }
    ASSERT_EQ("", RunPhase(&TInstallation::CreateDirectories));
    ASSERT_EQ("", RunPhase(&TInstallation::CreateTempDirectory));
    EXPECT_EQ("File access denied", RunPhase(&TInstallation::CopyFiles));
    EXPECT_EQ("precious", ReadBytes(HostFile(Product("\\a.txt"))));
    std::filesystem::permissions(HostFile(Product("\\a.txt")), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}

TEST(LZCopyFileTest, AFailedExpansionKeepsTheExistingDestination)
{
    InstallSandbox box;
    std::string dest = box.Base() + "\\kept.txt";
    std::ofstream(HostFile(dest), std::ios::binary) << "the user's file";
    std::string damaged = box.WriteMedium("damaged.tx_", Szdd(std::string(100, 'x')).substr(0, 40));
    EXPECT_FALSE(LZCopyFile(damaged, dest));
    EXPECT_EQ("the user's file", ReadBytes(HostFile(dest)));
    // Nothing of the attempt is left beside it.
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(HostFile(box.Base())),
                               std::filesystem::directory_iterator()));
    std::string good = box.WriteMedium("good.tx_", Szdd("replacement"));
    EXPECT_TRUE(LZCopyFile(good, dest));
    EXPECT_EQ("replacement", ReadBytes(HostFile(dest)));
}

} // namespace
