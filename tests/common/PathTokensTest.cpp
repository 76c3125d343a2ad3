// Path token expansion: the rules hold on any machine, so the expected values
// come from the system-folder functions of the machine under test.
#include "common/MachineSandbox.h"

#include "paths/PathTokens.h"
#include "paths/SystemFolders.h"

#include <array>

using namespace tarvex;

namespace {

class PathTokens : public test::MachineSandbox {
protected:
    std::string Expand(const std::string& text) { return ExpandTokens(text, choices); }
    TInstallOption choices;
};

} // namespace

TEST(PathTokenText, ReplaceFirstReplacesOnlyTheFirstExactOccurrence)
{
    EXPECT_EQ("X-%A", ReplaceFirst("%A-%A", "%A", "X"));
    EXPECT_EQ("a%Ab", ReplaceFirst("a%Ab", "%a", "X"));
    EXPECT_EQ("no token", ReplaceFirst("no token", "%A", "X"));
    EXPECT_EQ("Demo Setup", ReplaceFirst("% Setup", "%", "Demo"));
    EXPECT_EQ("\\Group", ReplaceFirst("C:\\Menu\\Group", "C:\\Menu", ""));
}

TEST(PathTokenText, StripTrailingBackslashRemovesExactlyOne)
{
    EXPECT_EQ("C:\\x", StripTrailingBackslash("C:\\x\\"));
    EXPECT_EQ("C:\\x\\", StripTrailingBackslash("C:\\x\\\\"));
    EXPECT_EQ("C:\\x", StripTrailingBackslash("C:\\x"));
    EXPECT_EQ("", StripTrailingBackslash(""));
    EXPECT_EQ("", StripTrailingBackslash("\\"));
}

TEST(PathTokenText, FirstRowOfTheTableWinsWhateverItsPlaceInTheText)
{
    constexpr std::array<std::string_view, 3> names{"%A", "%B", "%C"};
    EXPECT_EQ(1u, FindTokenRow("%C then %B", names));
    EXPECT_EQ(2u, FindTokenRow("x%Cy", names));
    EXPECT_EQ(3u, FindTokenRow("%a %b", names));
}

TEST(PathTokenText, AnOccurrenceBeginningALongerNameBelongsToIt)
{
    constexpr std::array<std::string_view, 2> names{"%DESKTOP", "%DESKTOPDIR"};
    EXPECT_EQ(1u, FindTokenRow("%DESKTOPDIR\\notes", names));
    EXPECT_EQ(std::string_view::npos, FindTokenOccurrence("%DESKTOPDIR", names, 0));
    EXPECT_EQ(12u, FindTokenOccurrence("%DESKTOPDIR\\%DESKTOP", names, 0));
    EXPECT_EQ(0u, FindTokenOccurrence("%DESKTOPDIRECTORY", names, 1));
    EXPECT_EQ(0u, FindTokenRow("%DESKTOPDI", names)); // not the longer name: row 0
}

TEST_F(PathTokens, EachSpecialFolderTokenStandsForItsOwnRow)
{
    for (std::uint8_t row = 0; row < kSpecialFolderEnd; ++row) {
        std::string token(kSpecialFolders[row].Token);
        EXPECT_EQ(GetSpecialFolder(row) + "\\x", Expand(token + "\\x")) << token;
    }
}

TEST_F(PathTokens, FoldersWithoutAPathAndUnsupportedTokensBecomeEmpty)
{
    EXPECT_EQ("ab", Expand("a%UNSUPPORTEDb"));
    EXPECT_EQ("\\x", Expand("%CONTROLS\\x"));
    EXPECT_EQ("", Expand("%BITBUCKET"));
}

TEST_F(PathTokens, UnknownAndLowerCaseNamesAreNotTokens)
{
    EXPECT_EQ("%UNKNOWN\\x", Expand("%UNKNOWN\\x"));
    EXPECT_EQ("%programfiles\\x", Expand("%programfiles\\x"));
    EXPECT_EQ("%Desktop", Expand("%Desktop"));
    EXPECT_EQ("plain\\path", Expand("plain\\path"));
    EXPECT_EQ("", Expand(""));
}

TEST_F(PathTokens, RegistryFoldersExpandToTheStoredDirectories)
{
    EXPECT_EQ(GetRegistryFolder(0) + "\\Tools", Expand("%PROGRAMFILES\\Tools"));
    EXPECT_EQ(GetRegistryFolder(1) + "\\Shared", Expand("%COMMONFILES\\Shared"));
}

TEST_F(PathTokens, OneTokenPerTableAndOnlyItsFirstOccurrence)
{
    const std::string programFiles = GetRegistryFolder(0);
    EXPECT_EQ(programFiles + "\\%COMMONFILES", Expand("%PROGRAMFILES\\%COMMONFILES"));
    EXPECT_EQ("%COMMONFILES\\" + programFiles, Expand("%COMMONFILES\\%PROGRAMFILES"));
    const std::string startMenu = GetSpecialFolder(11);
    EXPECT_EQ(startMenu + "\\%STARTMENU", Expand("%STARTMENU\\%STARTMENU"));
    // %FONTS is row 16, %STARTMENU row 11: the earlier row is replaced.
    EXPECT_EQ("%FONTS\\" + startMenu, Expand("%FONTS\\%STARTMENU"));
    choices.Directory = "D";
    EXPECT_EQ("D\\\\\\%APPPATH", Expand("%APPPATH\\%APPPATH"));
}

TEST_F(PathTokens, OneTokenFromEachTableInTheirFixedOrder)
{
    choices.StartMenu = "M";
    choices.NewMenu = "G";
    EXPECT_EQ(GetSpecialFolder(16) + "|" + GetRegistryFolder(1) + "|M\\\\G",
              Expand("%FONTS|%COMMONFILES|%SMICON"));
    choices.Directory = "C:\\Program Files";
    choices.NewDirectory = "Tool";
    EXPECT_EQ(GetSpecialFolder(2) + "\\C:\\Program Files\\\\Tool", Expand("%PROGRAMDIR\\%APPPATH"));
}

TEST_F(PathTokens, ChoicesJoinWithTwoBackslashes)
{
    choices.Directory = "C:\\Program Files";
    choices.NewDirectory = "Tool";
    choices.StartMenu = "C:\\Menu\\Programs";
    choices.NewMenu = "Tool Group";
    EXPECT_EQ("C:\\Program Files\\\\Tool\\bin", Expand("%APPPATH\\bin"));
    EXPECT_EQ("C:\\Menu\\Programs\\\\Tool Group\\Read me.lnk", Expand("%SMICON\\Read me.lnk"));
}

TEST_F(PathTokens, ChoicesAreReadAtTheMomentOfExpansion)
{
    EXPECT_EQ("\\", Expand("%APPPATH")); // two backslashes, one stripped
    choices.Directory = "C:\\Apps";
    choices.NewDirectory = "Demo";
    EXPECT_EQ("C:\\Apps\\\\Demo", Expand("%APPPATH"));
    choices.NewDirectory = "Other";
    EXPECT_EQ("C:\\Apps\\\\Other", Expand("%APPPATH"));
}

TEST_F(PathTokens, WindowsDirKeepsItsOwnBackslashAtTheSeam)
{
    const std::string windows = GetWindowsDir();
    ASSERT_EQ('\\', windows.back());
    EXPECT_EQ(windows.substr(0, windows.size() - 1), Expand("%WINDOWSDIR"));
    EXPECT_EQ(windows + "\\system", Expand("%WINDOWSDIR\\system"));
}

TEST_F(PathTokens, TokenEndsAreNotDelimited)
{
    EXPECT_EQ(GetSpecialFolder(11) + "2", Expand("%STARTMENU2"));
    EXPECT_EQ("pre" + GetRegistryFolder(0) + "post", Expand("pre%PROGRAMFILESpost"));
}

TEST_F(PathTokens, ExactlyOneTrailingBackslashIsStripped)
{
    EXPECT_EQ("C:\\x", Expand("C:\\x\\"));
    EXPECT_EQ("C:\\x\\", Expand("C:\\x\\\\"));
    EXPECT_EQ(GetRegistryFolder(0), Expand("%PROGRAMFILES\\"));
}

TEST_F(PathTokens, ClassesReportTheirEndMarkerWhenNothingIsFound)
{
    TSystemToken system;
    EXPECT_EQ("none", system.Expand("none"));
    EXPECT_EQ(kSpecialFolderEnd, system.Index);
    system.Expand("%DESKTOPDIR");
    EXPECT_EQ(12, system.Index);
    system.Expand("%TEMPLATES and %DESKTOPDIR");
    EXPECT_EQ(12, system.Index);

    TMiscSysToken programs;
    programs.Expand("%UNKNOWN");
    EXPECT_EQ(kRegistryFolderEnd, programs.Index);
    programs.Expand("%COMMONFILES");
    EXPECT_EQ(1, programs.Index);

    TMiscToken misc(choices);
    EXPECT_EQ("%UNKNOWN", misc.Expand("%UNKNOWN"));
    EXPECT_EQ(kMiscTokenEnd, misc.Index);
    misc.Expand("%WINDOWSDIR %SMICON");
    EXPECT_EQ(1, misc.Index);
    EXPECT_EQ(&choices, &misc.Installation);
}
