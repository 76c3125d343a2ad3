#include "TestSupport.h"

#include "setup_description/Route.h"
#include "setup_description/SetupInformation.h"

#include <gtest/gtest.h>

using namespace tarvex;
using tarvex::test::ScratchDir;

namespace {

const char kGeneral[] =
    "[GENERAL]\r\n"
    "Title=Demo\r\n"
    "Executable=demo.exe\r\n"
    "ReadMe=readme.txt\r\n"
    "License=license.rtf\r\n"
    "Directory=%PROGRAMFILES\r\n"
    "NewDirectory=Demo\r\n"
    "StartMenu=%PROGRAMDIR\r\n"
    "NewMenu=Demo\r\n"
    "TotalSize=1500000\r\n"
    "Route=012345\r\n"
    "Run=%APPPATH\\demo.exe\r\n"
    "Run Description=Demo now\r\n";

// A description with a complete GENERAL section and the given extra lines.
std::string Ini(const std::string& extra, const std::string& general = kGeneral) { return general + extra; }

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    text.replace(text.find(from), from.size(), to);
    return text;
}

struct Loaded {
    ScratchDir dir;
    std::string path;
    explicit Loaded(const std::string& text) : path(dir.Write("Setup.INI", text)) {}
    TSetupInformation Read() const { return TSetupInformation(path); }
};

std::string MessageOf(const std::string& text)
{
    Loaded l(text);
    try {
        l.Read();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(SetupInformationGeneral, ReadsEveryKey)
{
    Loaded l(Ini(""));
    TSetupInformation info = l.Read();
    EXPECT_EQ("Demo", info.Title);
    EXPECT_EQ("demo.exe", info.Executable);
    EXPECT_EQ("readme.txt", info.ReadMe);
    EXPECT_EQ("license.rtf", info.License);
    EXPECT_EQ("%PROGRAMFILES", info.Directory);
    EXPECT_EQ("Demo", info.NewDirectory);
    EXPECT_EQ("%PROGRAMDIR", info.StartMenu);
    EXPECT_EQ("Demo", info.NewMenu);
    EXPECT_EQ(1500000.0L, info.TotalSize);
    EXPECT_EQ("012345", info.Route);
    EXPECT_EQ("%APPPATH\\demo.exe", info.Run);
    EXPECT_EQ("Demo now", info.RunDescription);
    EXPECT_TRUE(info.FileItems.empty());
    EXPECT_TRUE(info.IconItems.empty());
    EXPECT_TRUE(info.Directories.empty());
    EXPECT_TRUE(info.RegistryItems.empty());
}

TEST(SetupInformationGeneral, NamesIgnoreCase)
{
    std::string upper = Replace(Replace(kGeneral, "Title=", "TITLE="), "[GENERAL]", "[general]");
    Loaded l(upper);
    EXPECT_EQ("Demo", l.Read().Title);
}

TEST(SetupInformationGeneral, MissingOrErrorValuesFailTheSection)
{
    const std::string failed = "Unable to read GENERAL section of ini file";
    for (const char* key : {"Title=Demo", "Executable=demo.exe", "ReadMe=readme.txt", "License=license.rtf",
                            "Directory=%PROGRAMFILES", "NewDirectory=Demo", "StartMenu=%PROGRAMDIR", "NewMenu=Demo",
                            "Route=012345", "Run=%APPPATH\\demo.exe", "Run Description=Demo now", "TotalSize=1500000"}) {
        SCOPED_TRACE(key);
        EXPECT_EQ(failed, MessageOf(Replace(kGeneral, std::string(key) + "\r\n", "")));
    }
    EXPECT_EQ(failed, MessageOf(Replace(kGeneral, "Title=Demo", "Title=ERROR")));
    EXPECT_EQ(failed, MessageOf(Replace(kGeneral, "Title=Demo", "Title=\"ERROR\"")));
    EXPECT_EQ(failed, MessageOf(Replace(kGeneral, "TotalSize=1500000", "TotalSize=-1")));
    EXPECT_EQ(failed, MessageOf(Replace(kGeneral, "TotalSize=1500000", "TotalSize=-1.0")));
    EXPECT_EQ(failed, MessageOf(""));
}

TEST(SetupInformationGeneral, MissingFileReadsAsMissingGeneral)
{
    ScratchDir dir;
    try {
        TSetupInformation info(dir.File("Setup.INI"));
        FAIL() << "read a missing file";
    } catch (const EInvalidIni& e) {
        EXPECT_STREQ("Unable to read GENERAL section of ini file", e.what());
    }
}

TEST(SetupInformationGeneral, LowerCaseErrorAndEmptyValuesAreValid)
{
    std::string text = Replace(Replace(Replace(kGeneral, "Title=Demo", "Title=error"), "Run=%APPPATH\\demo.exe", "Run="),
                               "Run Description=Demo now", "Run Description=");
    text = Replace(text, "TotalSize=1500000", "TotalSize=0");
    Loaded l(text);
    TSetupInformation info = l.Read();
    EXPECT_EQ("error", info.Title);
    EXPECT_EQ("", info.Run);
    EXPECT_EQ("", info.RunDescription);
    EXPECT_EQ(0.0L, info.TotalSize);
}

TEST(SetupInformationGeneral, TotalSizeConversion)
{
    EXPECT_EQ("'12 MB' is not a valid floating point value", MessageOf(Replace(kGeneral, "1500000", "12 MB")));
    EXPECT_EQ("'' is not a valid floating point value", MessageOf(Replace(kGeneral, "1500000", "")));
    // Nothing after a bad TotalSize is read, not even the GENERAL check.
    EXPECT_EQ("'x' is not a valid floating point value",
              MessageOf(Replace(Replace(kGeneral, "1500000", "x"), "Title=Demo\r\n", "")));
    Loaded l(Replace(kGeneral, "1500000", "2.5e3"));
    EXPECT_EQ(2500.0L, l.Read().TotalSize);
}

TEST(NextFieldTest, SplitsAtCommasWithoutTrimmingTheField)
{
    std::string rest = "a.ex_ ,a.exe,  1 ,%APPPATH,Y,extra";
    EXPECT_EQ("a.ex_ ", NextField(rest));
    EXPECT_EQ("a.exe", NextField(rest));
    EXPECT_EQ("1 ", NextField(rest));
    EXPECT_EQ("%APPPATH", NextField(rest));
    EXPECT_EQ("Y", NextField(rest));
    EXPECT_EQ("extra", NextField(rest));
    // No comma left: the rest again, unchanged.
    EXPECT_EQ("extra", NextField(rest));
    EXPECT_EQ("extra", rest);
}

TEST(NextFieldTest, TrimsControlCharactersAfterTheComma)
{
    std::string rest = "a,\t\x01 b \t";
    EXPECT_EQ("a", NextField(rest));
    EXPECT_EQ("b", rest);
}

TEST(SetupInformationLists, FilesFieldsAndOrder)
{
    Loaded l(Ini("[FILES]\r\n2=b.ex_,b.exe,2,%APPPATH\\bin,y\r\n1=a.ex_ ,a.exe, 1 ,%APPPATH,N,sixth\r\n"
                 "3=c.txt,c.txt,-3,Y\r\n"));
    TSetupInformation info = l.Read();
    ASSERT_EQ(3u, info.FileItems.size());
    const TProgramItem& a = info.FileItems[0];
    EXPECT_EQ(1, a.Index);
    EXPECT_EQ("a.ex_ ", a.SourceName);
    EXPECT_EQ("a.exe", a.InstallName);
    EXPECT_EQ(1, a.Number);
    EXPECT_EQ("%APPPATH", a.DestDir);
    EXPECT_FALSE(a.AskIfOlder);
    EXPECT_EQ(2, info.FileItems[1].Index);
    EXPECT_EQ("b.ex_", info.FileItems[1].SourceName);
    EXPECT_TRUE(info.FileItems[1].AskIfOlder);
    // Four fields: field 4 is taken again as field 5.
    EXPECT_EQ("Y", info.FileItems[2].DestDir);
    EXPECT_TRUE(info.FileItems[2].AskIfOlder);
    EXPECT_EQ(-3, info.FileItems[2].Number);
}

TEST(SetupInformationLists, FilesFailures)
{
    const std::string failed = "Unable to read FILES section of ini file";
    EXPECT_EQ(failed, MessageOf(Ini("[FILES]\r\n1=a,a,x,d,N\r\n")));
    // Entries 1, 2 and 4: the third line is empty, so its number is not an integer.
    EXPECT_EQ(failed, MessageOf(Ini("[FILES]\r\n1=a,a,1,d,N\r\n2=b,b,2,d,N\r\n4=d,d,4,d,N\r\n")));
    // 1=a, 2= (empty, not counted), 3=c: N is 2, the second line empty.
    EXPECT_EQ(failed, MessageOf(Ini("[FILES]\r\n1=a,a,1,d,N\r\n2=\r\n3=c,c,3,d,N\r\n")));
    // Keys 01 and 1.0 are not entry 1.
    EXPECT_EQ(failed, MessageOf(Ini("[FILES]\r\n01=a,a,1,d,N\r\n")));
    EXPECT_EQ(failed, MessageOf(Ini("[FILES]\r\n1.0=a,a,1,d,N\r\n")));
    // A later section's failure is not reached.
    EXPECT_EQ(failed, MessageOf(Ini("[FILES]\r\n1=a,a,x,d,N\r\n[REGISTRY]\r\n1=\r\n")));
}

TEST(SetupInformationLists, CountComesFromNonEmptyEntries)
{
    Loaded l(Ini("[DIRECTORIES]\r\n1=a\r\n2=\r\n3=c\r\n1=dup\r\n"));
    EXPECT_EQ((std::vector<std::string>{"a", ""}), l.Read().Directories);
}

TEST(SetupInformationLists, OrderIsByNumberInEverySection)
{
    Loaded l(Ini("[DIRECTORIES]\r\n2=B\r\n1=A\r\n[ICONS]\r\n2=Two,F2,T2,a2\r\n1=Demo,%SMICON,%APPPATH\\demo.exe,/s\r\n"
                 "[REGISTRY]\r\n2=HKEY_CURRENT_USER,Software\\Demo\\.,x\r\n1=HKEY_LOCAL_MACHINE,Software\\Demo\\Version\r\n"));
    TSetupInformation info = l.Read();
    EXPECT_EQ((std::vector<std::string>{"A", "B"}), info.Directories);
    ASSERT_EQ(2u, info.IconItems.size());
    EXPECT_EQ("Demo", info.IconItems[0].Name);
    EXPECT_EQ("%SMICON", info.IconItems[0].Folder);
    EXPECT_EQ("%APPPATH\\demo.exe", info.IconItems[0].Target);
    EXPECT_EQ("/s", info.IconItems[0].Arguments);
    EXPECT_EQ("Two", info.IconItems[1].Name);
    ASSERT_EQ(2u, info.RegistryItems.size());
    EXPECT_EQ("HKEY_LOCAL_MACHINE", info.RegistryItems[0].Root);
    EXPECT_EQ("Software\\Demo\\Version", info.RegistryItems[0].Path);
    // No data field: the second field again.
    EXPECT_EQ("Software\\Demo\\Version", info.RegistryItems[0].Data);
    EXPECT_EQ("x", info.RegistryItems[1].Data);
}

TEST(SetupInformationLists, DirectoryLinesAreNotSplit)
{
    Loaded l(Ini("[DIRECTORIES]\r\n1=%APPPATH\\a, b\r\n"));
    EXPECT_EQ((std::vector<std::string>{"%APPPATH\\a, b"}), l.Read().Directories);
}

TEST(SetupInformationLists, FullKeyListReadsWholeAndNoFurther)
{
    // Names "1".."n" fill the 8,192-byte key list; the ones beyond it are not seen.
    std::string files = "[FILES]\r\n";
    std::size_t used = 1, fit = 0;
    for (int i = 1; i <= 2500; ++i) {
        files += std::to_string(i) + "=f" + std::to_string(i) + ",f,1,d,N\r\n";
        used += std::to_string(i).size() + 1;
        if (used <= 8192) fit = static_cast<std::size_t>(i);
    }
    Loaded l(Ini(files));
    TSetupInformation info = l.Read();
    ASSERT_EQ(fit, info.FileItems.size());
    EXPECT_EQ(1859u, fit);
    EXPECT_EQ("f1859", info.FileItems.back().SourceName);
}

TEST(SetupInformationLists, LongValuesAreCut)
{
    std::string longName(1500, 'n');
    Loaded l(Ini("[DIRECTORIES]\r\n1=" + longName + "\r\n"));
    EXPECT_EQ(std::string(1023, 'n'), l.Read().Directories.at(0));
}

// The pages the wizard walks before it installs, and where it stops: what
// tarvex install refuses with the wizard's own words.
TEST(Route, PagesUpToTheInstallationOrTheWizardsMessage)
{
    using Pages = std::vector<std::int16_t>;
    EXPECT_EQ(Pages({0, 1, 2, 3, 4, 5}), PagesToInstall("012345"));
    EXPECT_EQ(Pages({2, 5}), PagesToInstall("25X9")) << "steps after the installation are never reached";
    const std::pair<const char*, const char*> refused[] = {
        {"01X5", "'X' is not a valid integer value"},
        {"0175", kRouteError},
        {"0123", kRouteError}, // no installation page: the wizard can never install
        {"", kRouteError},
        {" 5", "' ' is not a valid integer value"},
    };
    for (const auto& [route, message] : refused) {
        try {
            PagesToInstall(route);
            ADD_FAILURE() << route;
        } catch (const Exception& e) {
            EXPECT_STREQ(message, e.what()) << route;
        }
    }
}

} // namespace
