// tarvex check's findings on seeded bad media: each fault is found, with its
// section, key and line, and a sound medium gives no finding at all.
#include "TestSupport.h"

#include "authoring/IniLineLocator.h"
#include "authoring/MediumCheck.h"
#include "formats/SzddCompressor.h"

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
    "2=ridsetup.exe,ridsetup.exe,1,%APPPATH,N",   // 16
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

    MediumReport Check() const
    {
        std::string text;
        for (const std::string& line : ini_) text += line + "\r\n";
        if (writeIni_) sandbox_.WriteMedium("Setup.INI", text);
        for (const auto& [name, bytes] : files_) sandbox_.WriteMedium(name, bytes);
        return CheckMedium(sandbox_.Medium());
    }

private:
    test::InstallSandbox sandbox_;
    std::vector<std::string> ini_;
    std::map<std::string, std::string> files_;
    bool writeIni_ = true;
};

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

TEST(IniLineLocator, FollowsTheReadingRules)
{
    IniLineLocator lines("\xEF\xBB\xBF; comment\r\n[ general ]\r\n  Title = A \r\nTITLE=B\r\n;Title=C\r\nnoequals\r\n"
                         "[Files]\r\n1=x\r\n[GENERAL]\r\nRun=y\r\n");
    EXPECT_EQ(lines.SectionLine("GENERAL"), 2);
    EXPECT_EQ(lines.KeyLine("general", "title"), 3); // the first occurrence counts
    EXPECT_EQ(lines.KeyLine("GENERAL", "Run"), 0);   // in the second, unread [GENERAL]
    EXPECT_EQ(lines.KeyLine("FILES", "1"), 8);
    ASSERT_EQ(lines.Keys("GENERAL").size(), 2u);
    EXPECT_EQ(lines.Keys("GENERAL")[0].value, "A");
    EXPECT_EQ(lines.IgnoredSectionLines("GENERAL"), std::vector<int>{9});
    EXPECT_EQ(lines.SectionLine("ICONS"), 0);
}

} // namespace
} // namespace tarvex
