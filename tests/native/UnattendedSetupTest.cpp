// setup.exe's silent and passive modes on the simulated machine: the exit
// codes, what is written (and what is not), the log, the progress window.
#include "TestSupport.h"

#include "platform/MachineRoot.h"
#include "testing/HeadlessUi.h"
#include "wizard/UnattendedSetup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>

using namespace tarvex;
using tarvex::platform::HeadlessUi;
using tarvex::test::ScratchDir;
namespace fs = std::filesystem;

namespace {

class Unattended : public ::testing::Test {
protected:
    using Args = std::vector<std::string>;
    void SetUp() override
    {
        HeadlessUi::Instance().Reset();
        platform::SetMachineRoot(dir.File("root"));
        fs::create_directories(dir.Path() / "root/drive_c/WINDOWS/temp");
        fs::create_directories(dir.Path() / "root/drive_c/Program Files");
        fs::create_directories(dir.Path() / "root/drive_d/Medium");
        Medium("license.rtf", "{\\rtf1 terms}");
        Medium("readme.txt", "Read me.");
        Medium("a.txt", "product file");
        Medium("b.txt", "second file");
        WriteSetup();
    }
    void TearDown() override { platform::SetMachineRoot(""); }

    void WriteSetup(std::map<std::string, std::string> changes = {})
    {
        std::map<std::string, std::string> general = {
            {"Title", "Demo"},          {"Executable", "a.txt"},        {"ReadMe", "readme.txt"},
            {"License", "license.rtf"}, {"Directory", "%PROGRAMFILES"}, {"NewDirectory", "Demo"},
            {"StartMenu", "%PROGRAMDIR"}, {"NewMenu", "Demo"},         {"TotalSize", "900"},
            {"Route", "012345"},        {"Run", "%APPPATH\\a.txt"},     {"Run Description", "Demo"},
        };
        for (auto& [key, value] : changes) general[key] = value;
        std::string ini = "[GENERAL]\n";
        for (auto& [key, value] : general) ini += key + "=" + value + "\n";
        ini += "[FILES]\n1=a.txt,a.txt,1,%APPPATH,Y\n2=b.txt,b.txt,1,%APPPATH,Y\n"
               "[ICONS]\n1=Demo,%SMICON,%APPPATH\\a.txt,\n[DIRECTORIES]\n1=%APPPATH\n2=%SMICON\n";
        Medium("Setup.INI", ini);
    }
    void Medium(const std::string& name, const std::string& bytes) { dir.Write("root/drive_d/Medium/" + name, bytes); }
    fs::path OnC(const std::string& relative) const { return dir.Path() / "root/drive_c" / relative; }
    std::string Read(const fs::path& path) const
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    int Run(const Args& args)
    {
        switches = ParseSetupSwitches(args);
        return RunUnattendedSetup(switches, "D:\\Medium\\", "setup.exe /S");
    }
    // The log's lines without their times, each checked to carry one.
    std::vector<std::string> LogLines(const std::string& relative = "setup.log") const
    {
        std::vector<std::string> lines;
        std::string text = Read(OnC(relative));
        const std::regex stamped(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d  (.*))");
        for (std::size_t start = 0; start < text.size();) {
            std::size_t end = text.find("\r\n", start);
            EXPECT_NE(std::string::npos, end) << "every line ends with CR LF";
            if (end == std::string::npos) break;
            std::smatch m;
            std::string line = text.substr(start, end - start);
            EXPECT_TRUE(std::regex_match(line, m, stamped)) << line;
            lines.push_back(m.size() > 1 ? m[1].str() : line);
            start = end + 2;
        }
        return lines;
    }

    ScratchDir dir;
    TSetupSwitches switches;
};

TEST_F(Unattended, SilentInstallsIntoTheGivenFolderWithoutAnyWindowAndLogsIt)
{
    EXPECT_EQ(0, Run({"/S", "/DIRECTORY=C:\\Apps\\Tools", "/NEWDIRECTORY= Demo 2 ", "/NEWMENU=Group",
                      "/LOG=C:\\setup.log"}));
    // The base folder that did not exist is made; the name trimmed as the wizard's box trims it.
    EXPECT_EQ("product file", Read(OnC("Apps/Tools/Demo 2/a.txt")));
    std::string installLog = Read(OnC("Apps/Tools/Demo 2/Install.log"));
    EXPECT_NE(std::string::npos, installLog.find("[DIRECTORIES]\r\nC:\\Apps\\Tools\\Demo 2\r\n"));
    EXPECT_EQ(std::string::npos, installLog.find("C:\\Apps\\Tools\r\n")) << "the base folder is not the product's";
    EXPECT_TRUE(fs::exists(OnC("WINDOWS/Start Menu/Programs/Group/Demo.LNK")));
    // No window, no box, no run question.
    EXPECT_TRUE(HeadlessUi::Instance().shownCaptions.empty());
    EXPECT_TRUE(HeadlessUi::Instance().messages.empty());
    EXPECT_EQ((std::vector<std::string>{
                  "Silent setup: setup.exe /S",
                  "Product folder C:\\Apps\\Tools\\Demo 2, program group C:\\WINDOWS\\Start Menu\\Programs\\Group",
                  "Creating directories...", "Copying Files...", "Copying a.txt", "Copying b.txt",
                  "Creating shortcuts...", "Creating registry entries...", "Saving uninstall log...",
                  "Demo has been successfully installed.", "Exit code 0"}),
              LogLines());
}

TEST_F(Unattended, TokensInTheGivenFoldersExpandAsInSetupIni)
{
    EXPECT_EQ(0, Run({"/S", "/DIRECTORY=%PROGRAMFILES\\Vendor", "/STARTMENU=%STARTMENU"}));
    EXPECT_TRUE(fs::exists(OnC("Program Files/Vendor/Demo/a.txt")));
    EXPECT_TRUE(fs::exists(OnC("WINDOWS/Start Menu/Demo/Demo.LNK")));
}

TEST_F(Unattended, ExitCodesForEachFailureAndNothingWrittenBeforeTheInstallation)
{
    auto nothingInstalled = [&] {
        EXPECT_FALSE(fs::exists(OnC("Program Files/Demo")));
        EXPECT_FALSE(fs::exists(OnC("Apps")));
    };
    // Bad switches: 2, logged when the log switch itself is sound.
    EXPECT_EQ(2, Run({"/S", "/OVERWRITE=ask", "/DIRECTORY=C:\\Apps", "/LOG=C:\\setup.log"}));
    EXPECT_EQ("Nobody to ask without a user: /OVERWRITE=ask", LogLines().at(1));
    EXPECT_EQ("Exit code 2", LogLines().back());
    nothingInstalled();
    EXPECT_EQ(2, Run({"/S", "/DIRECTORY=Apps"}));
    EXPECT_EQ(2, Run({"/S", "/STARTMENU=\\Menu"}));
    EXPECT_EQ(2, Run({"/PASSIVE", "/LOG=C:\\no such folder\\x.log"})); // a log that cannot be made
    EXPECT_TRUE(HeadlessUi::Instance().shownCaptions.empty()) << "refused before the window";
    nothingInstalled();
    // An unusable Setup.INI: 2, with the wizard's message and the path.
    WriteSetup({{"Route", "01X5"}});
    EXPECT_EQ(2, Run({"/S", "/LOG=C:\\setup.log"}));
    EXPECT_EQ("'X' is not a valid integer value", LogLines().at(1));
    WriteSetup({{"License", "gone.rtf"}});
    EXPECT_EQ(2, Run({"/S"}));
    WriteSetup({{"Title", ""}, {"TotalSize", "-1"}});
    EXPECT_EQ(2, Run({"/S", "/LOG=C:\\setup.log"}));
    EXPECT_EQ("Unable to read GENERAL section of ini file: D:\\Medium\\Setup.INI", LogLines().at(1));
    nothingInstalled();
    // Not enough space: 4, the wizard's text on one line.
    WriteSetup({{"TotalSize", "1e30"}});
    EXPECT_EQ(4, Run({"/S", "/DIRECTORY=C:\\Apps", "/LOG=C:\\setup.log"}));
    EXPECT_TRUE(std::regex_match(LogLines().at(1), std::regex(R"(You do not have enough space on drive:C:\\; )"
                                                              R"(Application Size: 1E30; Free space: \d+)")))
        << LogLines().at(1);
    nothingInstalled();
    // The engine's failure: 1, with its message; what was done stays.
    WriteSetup();
    fs::remove(dir.Path() / "root/drive_d/Medium/b.txt");
    EXPECT_EQ(1, Run({"/S", "/LOG=C:\\setup.log"}));
    std::vector<std::string> lines = LogLines();
    EXPECT_EQ("Exit code 1", lines.back());
    EXPECT_EQ(0u, lines[lines.size() - 2].rfind("File not found: ", 0)) << lines[lines.size() - 2];
    EXPECT_TRUE(fs::exists(OnC("Program Files/Demo/a.txt")));
}

TEST_F(Unattended, ANewerExistingFileIsKeptUnlessOverwriteSaysYesAndEachDecisionIsLogged)
{
    fs::create_directories(OnC("Program Files/Demo"));
    for (const char* name : {"a.txt", "b.txt"}) {
        std::ofstream(OnC(std::string("Program Files/Demo/") + name)) << "newer";
        fs::last_write_time(OnC(std::string("Program Files/Demo/") + name),
                            fs::file_time_type::clock::now() + std::chrono::hours(24 * 365));
    }
    EXPECT_EQ(0, Run({"/S", "/OVERWRITE=no-to-all", "/LOG=C:\\setup.log"}));
    EXPECT_EQ("newer", Read(OnC("Program Files/Demo/a.txt")));
    EXPECT_EQ("newer", Read(OnC("Program Files/Demo/b.txt")));
    std::vector<std::string> lines = LogLines();
    EXPECT_EQ(1, std::count(lines.begin(), lines.end(),
                            "Keeping the newer file C:\\Program Files\\Demo\\a.txt (/OVERWRITE=no-to-all)"));
    EXPECT_EQ(1, std::count(lines.begin(), lines.end(),
                            "Keeping the newer file C:\\Program Files\\Demo\\b.txt (/OVERWRITE=no-to-all)"));
    // Not given in silent mode: kept as well.
    EXPECT_EQ(0, Run({"/S"}));
    EXPECT_EQ("newer", Read(OnC("Program Files/Demo/a.txt")));
    EXPECT_EQ(0, Run({"/S", "/OVERWRITE=yes", "/LOG=C:\\setup.log"}));
    EXPECT_EQ("product file", Read(OnC("Program Files/Demo/a.txt")));
    EXPECT_EQ("second file", Read(OnC("Program Files/Demo/b.txt")));
    lines = LogLines();
    EXPECT_EQ(1, std::count(lines.begin(), lines.end(),
                            "Replacing the newer file C:\\Program Files\\Demo\\b.txt (/OVERWRITE=yes)"));
}

TEST_F(Unattended, PassiveShowsOnlyTheProgressAndClosesItself)
{
    EXPECT_EQ(0, Run({"/PASSIVE"}));
    EXPECT_EQ(std::vector<std::string>{"Demo Setup"}, HeadlessUi::Instance().shownCaptions);
    EXPECT_TRUE(HeadlessUi::Instance().messages.empty()) << "no questions, no run offer";
    EXPECT_TRUE(fs::exists(OnC("Program Files/Demo/Install.log")));
}

TEST_F(Unattended, ClosingThePassiveWindowCancelsBetweenStepsWithExitCodeThree)
{
    // The close box between the first and the second file (the fourth time
    // the window is let handle its messages): no further step runs.
    auto& ui = HeadlessUi::Instance();
    int calls = 0;
    for (int i = 0; i < 6; ++i)
        ui.waitingMessages.push_back([&] {
            if (++calls == 4) const_cast<platform::Control*>(ui.repaints.back())->OwnerForm()->Close();
        });
    EXPECT_EQ(3, Run({"/PASSIVE", "/LOG=C:\\setup.log"}));
    EXPECT_EQ(4, calls);
    std::vector<std::string> lines = LogLines();
    EXPECT_EQ("Cancelled: the progress window was closed", lines[lines.size() - 2]);
    EXPECT_EQ("Exit code 3", lines.back());
    EXPECT_TRUE(fs::exists(OnC("Program Files/Demo/a.txt"))) << "what was done stays";
    EXPECT_FALSE(fs::exists(OnC("Program Files/Demo/b.txt")));
    EXPECT_FALSE(fs::exists(OnC("Program Files/Demo/Install.log")));
}

} // namespace
