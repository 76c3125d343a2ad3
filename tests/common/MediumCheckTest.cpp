// tarvex check's findings on seeded bad media: each fault is found, with its
// section, key and line, and a sound medium gives no finding at all.
#include "TestSupport.h"

#include "authoring/MediumCheck.h"
#include "formats/IniText.h"
#include "formats/SzddCompressor.h"
#include "paths/PathText.h"
#include "setup_description/SetupInformation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace tarvex {
namespace {

using Severity = MediumProblem::Severity;

// Line numbers below refer to this text.
const std::vector<std::string> kSoundIni = {
    "[GENERAL]",                                  // 1
    "Title=Checked",                              // 2
    "Executable=prog.exe",                        // 3
    "ReadMe=readme.txt",                          // 4
    "License=license.txt",                        // 5
    "Directory=%PROGRAMFILES",                    // 6
    "NewDirectory=Checked",                       // 7
    "StartMenu=%PROGRAMDIR",                      // 8
    "NewMenu=Checked",                            // 9
    "TotalSize=100000",                           // 10
    "Route=012345",                               // 11
    "Run=%APPPATH\\prog.exe",                     // 12
    "Run Description=Checked",                    // 13
    "[FILES]",                                    // 14
    "1=prog.ex_,prog.exe,1,%APPPATH,Y",           // 15
    "2=ridsetup.exe,ridsetup.exe,1,%WINDOWSDIR,Y", // 16
    "3=data.txt,data.txt,1,%APPPATH\\data,Y",     // 17
    "[ICONS]",                                    // 18
    "1=Checked,%SMICON,%APPPATH\\prog.exe,",      // 19
    "[DIRECTORIES]",                              // 20
    "1=%APPPATH\\data",                           // 21
    "2=%SMICON",                                  // 22
    "[REGISTRY]",                                 // 23
    "1=HKEY_CURRENT_USER,Software\\Checked\\Greeting,Hello", // 24
};

// A medium laid out in a scratch folder: the sound one, then changed.
class SeededMedium {
public:
    SeededMedium() : ini_(kSoundIni)
    {
        files_["prog.ex_"] = CompressSzdd(std::string(20000, 'p') + "program", 'e');
        files_["ridsetup.exe"] = "uninstaller";
        files_["data.txt"] = "data";
        files_["readme.txt"] = "readme";
        files_["license.txt"] = "license";
        files_["setup.exe"] = "setup";
    }
    void SetLine(int line, const std::string& text) { ini_.at(static_cast<std::size_t>(line - 1)) = text; }
    void Append(const std::string& text) { ini_.push_back(text); }
    void SetFile(const std::string& name, const std::string& bytes) { files_[name] = bytes; }
    void RemoveFile(const std::string& name) { files_.erase(name); }
    void RemoveIni() { writeIni_ = false; }
    void IniAsFolder() { iniFolder_ = true; }
    void InsertAfter(int line, const std::vector<std::string>& lines)
    {
        ini_.insert(ini_.begin() + line, lines.begin(), lines.end());
    }
    std::string IniPath() const { return sandbox_.Medium() + "Setup.INI"; }

    MediumReport Check() const
    {
        std::string text;
        for (const std::string& line : ini_) text += line + "\r\n";
        if (iniFolder_) std::filesystem::create_directories(sandbox_.Medium() + "Setup.INI");
        else if (writeIni_) sandbox_.WriteMedium("Setup.INI", text);
        for (const auto& [name, bytes] : files_) sandbox_.WriteMedium(name, bytes);
        return CheckMedium(sandbox_.Medium());
    }

private:
    test::InstallSandbox sandbox_;
    std::vector<std::string> ini_;
    std::map<std::string, std::string> files_;
    bool writeIni_ = true;
    bool iniFolder_ = false;
};

// The compressed main program with the expanded length its header declares.
std::string DeclaringLength(std::uint32_t length)
{
    std::string bytes = CompressSzdd(std::string(20000, 'p') + "program", 'e');
    for (int i = 0; i < 4; ++i) bytes[10 + static_cast<std::size_t>(i)] = static_cast<char>(length >> (8 * i));
    return bytes;
}

std::string Describe(const MediumReport& report)
{
    std::string out;
    for (const MediumProblem& p : report.problems)
        out += "  " + p.code + " [" + p.section + "] " + p.key + " line " + std::to_string(p.line) + ": " + p.message + "\n";
    return out.empty() ? "  (none)\n" : out;
}

bool Has(const MediumReport& report, Severity severity, const std::string& code, const std::string& section,
         const std::string& key, int line)
{
    for (const MediumProblem& p : report.problems)
        if (p.severity == severity && p.code == code && p.section == section && p.key == key && p.line == line) return true;
    return false;
}

TEST(MediumCheck, SoundMediumHasNoFindings)
{
    SeededMedium medium;
    MediumReport report = medium.Check();
    EXPECT_TRUE(report.problems.empty()) << Describe(report);
    EXPECT_EQ(report.expandedSize, 20007 + 11 + 4);
}

// What check calls a missing GENERAL key is what stops the wizard and
// tarvex install: one key at a time left out, or written as its marker.
TEST(MediumCheck, EveryGeneralKeyTheWizardNeedsIsOneCheckNeeds)
{
    std::vector<std::pair<std::string, std::string>> keys; // key, marker
    for (const GeneralText& text : kGeneralTexts) keys.emplace_back(text.key, kMissingText);
    keys.emplace_back(kTotalSizeKey, kMissingSize);
    ASSERT_EQ(keys.size(), 12u) << "GENERAL's keys in the sound medium";
    for (const auto& [key, marker] : keys) {
        for (bool written : {false, true}) {
            SeededMedium medium;
            int line = 2;
            while (kSoundIni[static_cast<std::size_t>(line - 1)].rfind(key + "=", 0) != 0) ++line;
            medium.SetLine(line, written ? key + "=" + marker : "");
            MediumReport report = medium.Check();
            EXPECT_TRUE(Has(report, Severity::Error, "general-incomplete", "GENERAL", key, written ? line : 1))
                << key << (written ? " written as " + marker : " left out") << "\n" << Describe(report);
            EXPECT_EQ(MissingGeneralKeys(medium.IniPath()), std::vector<std::string>{key});
            try {
                TSetupInformation wizard(medium.IniPath());
                ADD_FAILURE() << "the wizard reads GENERAL without " << key;
            } catch (const EInvalidIni& e) {
                EXPECT_EQ(e.Message(), kGeneralFailed);
            }
        }
    }
}

struct Seed {
    const char* what;
    std::function<void(SeededMedium&)> change;
    Severity severity;
    const char* code;
    const char* section;
    const char* key;
    int line;
};

const Seed kSeeds[] = {
    {"GENERAL value ERROR", [](SeededMedium& m) { m.SetLine(2, "Title=ERROR"); }, Severity::Error,
     "general-incomplete", "GENERAL", "Title", 2},
    {"GENERAL key missing", [](SeededMedium& m) { m.SetLine(3, ""); }, Severity::Error, "general-incomplete",
     "GENERAL", "Executable", 1},
    {"TotalSize not a number", [](SeededMedium& m) { m.SetLine(10, "TotalSize=12 MB"); }, Severity::Error,
     "totalsize-invalid", "GENERAL", "TotalSize", 10},
    {"TotalSize below the files", [](SeededMedium& m) { m.SetLine(10, "TotalSize=20000"); }, Severity::Error,
     "totalsize-small", "GENERAL", "TotalSize", 10},
    {"route code without a page", [](SeededMedium& m) { m.SetLine(11, "Route=01275"); }, Severity::Error,
     "route-page", "GENERAL", "Route", 11},
    {"route without installation", [](SeededMedium& m) { m.SetLine(11, "Route=0123"); }, Severity::Error,
     "route-no-install", "GENERAL", "Route", 11},
    {"licence text missing", [](SeededMedium& m) { m.RemoveFile("license.txt"); }, Severity::Error, "text-missing",
     "GENERAL", "License", 5},
    {"FILES empty",
     [](SeededMedium& m) {
         for (int line : {15, 16, 17}) m.SetLine(line, "");
     },
     Severity::Error, "files-empty", "FILES", "", 14},
    {"FILES entry above the count", [](SeededMedium& m) { m.SetLine(17, "4=data.txt,data.txt,1,%APPPATH\\data,Y"); },
     Severity::Error, "list-gap", "FILES", "4", 17},
    {"FILES number missing", [](SeededMedium& m) { m.SetLine(17, "4=data.txt,data.txt,1,%APPPATH\\data,Y"); },
     Severity::Error, "list-gap", "FILES", "3", 14},
    {"DIRECTORIES entry 01", [](SeededMedium& m) { m.SetLine(22, "02=%SMICON"); }, Severity::Error, "list-gap",
     "DIRECTORIES", "02", 22},
    {"FILES number field", [](SeededMedium& m) { m.SetLine(16, "2=ridsetup.exe,ridsetup.exe,one,%APPPATH,N"); },
     Severity::Error, "files-unreadable", "FILES", "2", 16},
    {"source missing", [](SeededMedium& m) { m.RemoveFile("data.txt"); }, Severity::Error, "source-missing", "FILES",
     "3", 17},
    {"LZ file cut short",
     [](SeededMedium& m) { m.SetFile("prog.ex_", CompressSzdd(std::string(20000, 'p') + "program").substr(0, 40)); },
     Severity::Error, "lz-damaged", "FILES", "1", 15},
    {"unknown root", [](SeededMedium& m) { m.SetLine(24, "1=HKEY_CLASSES_ROOT,Software\\Checked\\Greeting,Hello"); },
     Severity::Error, "registry-root", "REGISTRY", "1", 24},
    {"root with a blank", [](SeededMedium& m) { m.SetLine(24, "1=HKEY_CURRENT_USER ,Software\\Checked\\Greeting,Hello"); },
     Severity::Error, "registry-root", "REGISTRY", "1", 24},
    {"unknown token", [](SeededMedium& m) { m.SetLine(17, "3=data.txt,data.txt,1,%APPDIR\\data,Y"); }, Severity::Error,
     "token-unknown", "FILES", "3", 17},
    {"lower-case token", [](SeededMedium& m) { m.SetLine(21, "1=%apppath\\data"); }, Severity::Error, "token-case",
     "DIRECTORIES", "1", 21},
    {"second token of a kind", [](SeededMedium& m) { m.SetLine(12, "Run=%APPPATH\\prog.exe %APPPATH\\data"); },
     Severity::Error, "token-repeated", "GENERAL", "Run", 12},
    {"shortcut folder not created", [](SeededMedium& m) { m.SetLine(22, "2=%APPPATH"); }, Severity::Error,
     "folder-not-created", "ICONS", "1", 19},
    {"destination not created", [](SeededMedium& m) { m.SetLine(17, "3=data.txt,data.txt,1,%APPPATH\\other,Y"); },
     Severity::Error, "folder-not-created", "FILES", "3", 17},
    {"product folder not created",
     [](SeededMedium& m) {
         m.SetLine(21, "1=%SMICON");
         m.SetLine(17, "3=data.txt,data.txt,1,%APPPATH,Y");
     },
     Severity::Error, "product-folder", "DIRECTORIES", "", 20},
    {"link path too long", [](SeededMedium& m) { m.SetLine(19, "1=" + std::string(260, 'n') + ",%SMICON,%APPPATH\\prog.exe,"); },
     Severity::Error, "link-too-long", "ICONS", "1", 19},
    {"shortcut to a file nothing installs",
     [](SeededMedium& m) { m.SetLine(19, "1=Prog,%SMICON,%APPPATH\\missing.exe,"); }, Severity::Warning,
     "shortcut-target-missing", "ICONS", "1", 19},
    {"no uninstaller", [](SeededMedium& m) { m.SetLine(16, "2=ridsetup.exe,remover.exe,1,%APPPATH,N"); },
     Severity::Warning, "uninstaller-missing", "FILES", "", 14},
    {"blank before a comma", [](SeededMedium& m) { m.SetLine(15, "1=prog.ex_ ,prog.exe,1,%APPPATH,Y"); },
     Severity::Warning, "blank-in-name", "FILES", "1", 15},
    {"token in registry data",
     [](SeededMedium& m) { m.SetLine(24, "1=HKEY_CURRENT_USER,Software\\Checked\\Path,%APPPATH"); }, Severity::Warning,
     "token-not-expanded", "REGISTRY", "1", 24},
    {"key written twice", [](SeededMedium& m) { m.Append("[FILES]"); m.SetLine(17, "1=data.txt,data.txt,1,%APPPATH,Y"); },
     Severity::Warning, "key-repeated", "FILES", "1", 17},
    {"section written twice", [](SeededMedium& m) { m.Append("[FILES]"); }, Severity::Warning, "section-repeated",
     "FILES", "", 25},
    {"no setup.exe", [](SeededMedium& m) { m.RemoveFile("setup.exe"); }, Severity::Warning, "setup-missing", "", "", 0},
    {"no Setup.INI", [](SeededMedium& m) { m.RemoveIni(); }, Severity::Error, "ini-missing", "", "", 0},
    {"Setup.INI a folder", [](SeededMedium& m) { m.IniAsFolder(); }, Severity::Error, "ini-unreadable", "", "", 0},

    // What passed the check and then failed or misbehaved in the wizard or
    // the installation.
    {"FILES line without '='", [](SeededMedium& m) { m.SetLine(17, "3 data.txt,data.txt,1,%APPPATH\\data,Y"); },
     Severity::Error, "line-no-equals", "FILES", "", 17},
    {"empty title", [](SeededMedium& m) { m.SetLine(2, "Title="); }, Severity::Error, "title-empty", "GENERAL", "Title", 2},
    {"title of backslashes", [](SeededMedium& m) { m.SetLine(2, "Title=\\"); }, Severity::Error, "title-empty", "GENERAL",
     "Title", 2},
    {"LZ header declares 0 bytes", [](SeededMedium& m) { m.SetFile("prog.ex_", DeclaringLength(0)); }, Severity::Error,
     "lz-length", "FILES", "1", 15},
    {"LZ header declares too few bytes", [](SeededMedium& m) { m.SetFile("prog.ex_", DeclaringLength(20006)); },
     Severity::Error, "lz-length", "FILES", "1", 15},
    {"TotalSize no drive has", [](SeededMedium& m) { m.SetLine(10, "TotalSize=1e30"); }, Severity::Error,
     "totalsize-impossible", "GENERAL", "TotalSize", 10},
    {"TotalSize past double", [](SeededMedium& m) { m.SetLine(10, "TotalSize=1e400"); }, Severity::Error,
     "totalsize-impossible", "GENERAL", "TotalSize", 10},
    {"temporary name past MAX_PATH",
     [](SeededMedium& m) { m.SetLine(17, "3=data.txt," + std::string(240, 'd') + ",1,%APPPATH\\data,Y"); },
     Severity::Error, "path-too-long", "FILES", "3", 17},
    {"device name with an extension", [](SeededMedium& m) { m.SetLine(17, "3=data.txt,NUL.txt,1,%APPPATH\\data,Y"); },
     Severity::Error, "name-invalid", "FILES", "3", 17},
    {"device name as a folder", [](SeededMedium& m) { m.SetLine(17, "3=data.txt,data.txt,1,%APPPATH\\com1,Y"); },
     Severity::Error, "name-invalid", "FILES", "3", 17},
    {"installed name ending in a dot", [](SeededMedium& m) { m.SetLine(17, "3=data.txt,data.,1,%APPPATH\\data,Y"); },
     Severity::Error, "name-invalid", "FILES", "3", 17},
    {"destination ending in a blank", [](SeededMedium& m) { m.SetLine(17, "3=data.txt,data.txt,1,%APPPATH\\data ,Y"); },
     Severity::Error, "name-invalid", "FILES", "3", 17},
    {"shortcut named as a device", [](SeededMedium& m) { m.SetLine(19, "1=Con,%SMICON,%APPPATH\\prog.exe,"); },
     Severity::Error, "name-invalid", "ICONS", "1", 19},
    {"program group named as a device", [](SeededMedium& m) { m.SetLine(9, "NewMenu=Aux.Group"); }, Severity::Error,
     "name-invalid", "GENERAL", "NewMenu", 9},
    {"folder ending in a dot", [](SeededMedium& m) { m.SetLine(21, "1=%APPPATH\\data."); }, Severity::Error,
     "name-invalid", "DIRECTORIES", "1", 21},
};

TEST(MediumCheck, FindsEachSeededFault)
{
    for (const Seed& seed : kSeeds) {
        SeededMedium medium;
        seed.change(medium);
        MediumReport report = medium.Check();
        EXPECT_TRUE(Has(report, seed.severity, seed.code, seed.section, seed.key, seed.line))
            << seed.what << ": expected " << seed.code << " at " << seed.section << " " << seed.key << " line "
            << seed.line << ", got\n"
            << Describe(report);
        // Warnings alone leave the medium shippable.
        if (seed.severity == Severity::Warning) {
            EXPECT_EQ(report.Count(Severity::Error), 0) << seed.what << "\n" << Describe(report);
        }
    }
}

TEST(MediumCheck, WindowsNamesThatCannotBeHeld)
{
    for (const char* path : {"CON", "c:\\x\\nul.txt", "%APPPATH\\Com1\\a", "LPT9.tar.gz", "aux", "PRN ", "prn .x",
                             "x\\name.", "x\\name \\y"})
        EXPECT_NE(UnholdableName(path), "") << path;
    for (const char* path : {"CONSOLE", "COM10", "COM0", "LPT", "nul_x", "a.b", "..\\x", ".\\x", "%APPPATH\\data",
                             "C:\\Program Files\\x.txt", ""})
        EXPECT_EQ(UnholdableName(path), "") << path;
}

TEST(MediumCheck, KeysPastTheKeyListAreNeverRead)
{
    SeededMedium medium;
    // Names of 1 to 4 digits plus their zeros pass 8,192 bytes near entry 1,900.
    for (int i = 2; i <= 2100; ++i)
        medium.Append(std::to_string(i) + "=HKEY_CURRENT_USER,Software\\Checked\\v" + std::to_string(i) + ",x");
    MediumReport report = medium.Check();
    EXPECT_TRUE(Has(report, Severity::Error, "list-gap", "REGISTRY", "2100", 24 + 2099)) << Describe(report);
    EXPECT_FALSE(Has(report, Severity::Error, "list-gap", "REGISTRY", "1000", 24 + 999));
}

// tarvex install warns by the same reading: the FILES entries it will
// never install are the ones check reports, with their lines.
TEST(MediumCheck, UnreadFilesEntriesAreTheOnesReported)
{
    SeededMedium medium;
    // Empty entries fill the key list without being counted; the ninth does
    // not fit, nor does entry 4 after it.
    std::vector<std::string> lines = {"prog.ex_,stray.exe,1,%APPPATH,Y"};
    for (char c = 'a'; c < 'a' + 9; ++c) lines.push_back(std::string(1000, c) + "=");
    lines.push_back("4=data.txt,four.txt,1,%APPPATH\\data,Y");
    medium.InsertAfter(17, lines);
    MediumReport report = medium.Check();
    std::vector<UnreadEntry> unread = UnreadEntries(medium.IniPath(), "FILES");
    using Cause = UnreadEntry::Cause;
    ASSERT_EQ(unread.size(), 3u) << Describe(report);
    EXPECT_TRUE(unread[0].cause == Cause::PastKeyList && unread[0].key == std::string(1000, 'i') && unread[0].line == 27);
    EXPECT_TRUE(unread[1].cause == Cause::PastKeyList && unread[1].key == "4" && unread[1].line == 28);
    EXPECT_TRUE(unread[2].cause == Cause::NoEquals && unread[2].key == lines[0] && unread[2].line == 18);
    EXPECT_TRUE(Has(report, Severity::Error, "list-gap", "FILES", unread[0].key, 27)) << Describe(report);
    EXPECT_TRUE(Has(report, Severity::Error, "list-gap", "FILES", "4", 28));
    EXPECT_TRUE(Has(report, Severity::Error, "line-no-equals", "FILES", "", 18));
}

TEST(IniText, TellsTheLinesOfWhatItReads)
{
    IniText lines("\xEF\xBB\xBF; comment\r\n[ general ]\r\n  Title = A \r\nTITLE=B\r\n;Title=C\r\nnoequals\r\n"
                         "[Files]\r\n1=x\r\n[GENERAL]\r\nRun=y\r\n");
    EXPECT_EQ(lines.SectionLine("GENERAL"), 2);
    EXPECT_EQ(lines.KeyLine("general", "title"), 3); // the first occurrence counts
    EXPECT_EQ(lines.KeyLine("GENERAL", "Run"), 0);   // in the second, unread [GENERAL]
    EXPECT_EQ(lines.KeyLine("FILES", "1"), 8);
    ASSERT_EQ(lines.Keys("GENERAL").size(), 2u);
    EXPECT_EQ(lines.Keys("GENERAL")[0].value, "A");
    EXPECT_EQ(lines.IgnoredSectionLines("GENERAL"), std::vector<int>{9});
    EXPECT_EQ(lines.SectionLine("ICONS"), 0);
    ASSERT_EQ(lines.LinesWithoutEquals("GENERAL").size(), 1u) << "the comment is not one";
    EXPECT_EQ(lines.LinesWithoutEquals("GENERAL")[0].line, 6);

    // A lone CR ends a line for the reader, so it is counted as one.
    IniText crOnly("[GENERAL]\rTitle=A\r\r\nRun=B\n\rStartMenu=C");
    EXPECT_EQ(crOnly.KeyLine("GENERAL", "Title"), 2);
    EXPECT_EQ(crOnly.KeyLine("GENERAL", "Run"), 4);
    EXPECT_EQ(crOnly.KeyLine("GENERAL", "StartMenu"), 6);
    EXPECT_EQ(crOnly.Lookup("GENERAL", "Run"), "B");
}

} // namespace
} // namespace tarvex
