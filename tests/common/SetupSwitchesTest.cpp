// setup.exe's command line: split as Windows splits it, then the switches.
#include "wizard/SetupSwitches.h"

#include <gtest/gtest.h>

using namespace tarvex;
using Args = std::vector<std::string>;

TEST(SplitCommandLine, QuotesBlanksAndBackslashesAsWindowsPrograms)
{
    // The program is left out, quoted with blanks or not.
    EXPECT_EQ(Args({"/S"}), SplitCommandLine("\"C:\\My Medium\\setup.exe\" /S"));
    EXPECT_EQ(Args({"/S", "-passive"}), SplitCommandLine("setup.exe  /S\t -passive  "));
    EXPECT_EQ(Args(), SplitCommandLine("setup.exe"));
    EXPECT_EQ(Args(), SplitCommandLine(""));
    // A quoted value with blanks, the quotes anywhere in the argument.
    EXPECT_EQ(Args({"/DIRECTORY=C:\\Program Files\\Vendor", "/NEWDIRECTORY=My Demo"}),
              SplitCommandLine("setup /DIRECTORY=\"C:\\Program Files\\Vendor\" \"/NEWDIRECTORY=My Demo\""));
    // Backslashes count only before a quote: 2n give n and the quote
    // delimits, 2n+1 give n and a literal quote.
    EXPECT_EQ(Args({"C:\\a\\b"}), SplitCommandLine("x C:\\a\\b"));
    EXPECT_EQ(Args({"C:\\Apps\\"}), SplitCommandLine("x \"C:\\Apps\\\\\""));
    EXPECT_EQ(Args({"a\"b"}), SplitCommandLine("x a\\\"b"));
    EXPECT_EQ(Args({"a\\\"b c"}), SplitCommandLine("x \"a\\\\\\\"b c\""));
    // The classic slip: one backslash before the closing quote escapes it,
    // so the value runs on to the end.
    EXPECT_EQ(Args({"/DIRECTORY=C:\\Apps\" /S"}), SplitCommandLine("x /DIRECTORY=\"C:\\Apps\\\" /S"));
    // "" inside quotes is one quote; an empty pair is an empty argument.
    EXPECT_EQ(Args({"say \"hi\"", "", "z"}), SplitCommandLine("x \"say \"\"hi\"\"\" \"\" z"));
}

TEST(SetupSwitches, NamesInAnyCaseWithSlashOrDashAndValuesAfterTheEqualsSign)
{
    TSetupSwitches s = ParseSetupSwitches({"-s", "/Directory=C:\\Apps", "-NEWDIRECTORY=My Demo", "/startmenu=%PROGRAMDIR",
                                           "/NewMenu=Group=1", "/OVERWRITE=Yes-To-All", "/log=C:\\x.log"});
    EXPECT_EQ(TSetupMode::smSilent, s.Mode);
    EXPECT_EQ("", s.Error);
    EXPECT_EQ("C:\\Apps", s.Choices.Directory);
    EXPECT_EQ("My Demo", s.Choices.NewDirectory);
    EXPECT_EQ("%PROGRAMDIR", s.Choices.StartMenu); // expanded later, as Setup.INI's
    EXPECT_EQ("Group=1", s.Choices.NewMenu);        // only the first '=' separates
    EXPECT_EQ(TOverwriteMode::omYesToAll, s.Overwrite);
    EXPECT_EQ("yes-to-all", s.OverwriteName);
    EXPECT_EQ("C:\\x.log", s.LogFile);
}

TEST(SetupSwitches, WithoutSwitchesOrWithUnknownArgumentsOnlyTheWizardRuns)
{
    for (const Args& args : {Args{}, Args{"hello", "/SILENT", "-x=1", "/", "/D", "S", "--s"}}) {
        TSetupSwitches s = ParseSetupSwitches(args);
        EXPECT_EQ(TSetupMode::smWizard, s.Mode);
        EXPECT_EQ("", s.Error);
        EXPECT_FALSE(s.Choices.Directory || s.Choices.NewDirectory || s.Choices.StartMenu || s.Choices.NewMenu);
        EXPECT_EQ("", s.LogFile);
    }
    // Not given: keep the newer file, since nobody can be asked.
    TSetupSwitches s = ParseSetupSwitches({"/PASSIVE"});
    EXPECT_EQ(TSetupMode::smPassive, s.Mode);
    EXPECT_EQ(TOverwriteMode::omNo, s.Overwrite);
    EXPECT_EQ("no", s.OverwriteName);
    // Usage before silent before passive.
    EXPECT_EQ(TSetupMode::smSilent, ParseSetupSwitches({"/PASSIVE", "/S"}).Mode);
    EXPECT_EQ(TSetupMode::smUsage, ParseSetupSwitches({"/S", "/?"}).Mode);
}

TEST(SetupSwitches, GivenTwiceTheLastCountsItsValueAndItsProblem)
{
    TSetupSwitches s = ParseSetupSwitches({"/DIRECTORY=C:\\A", "/directory=C:\\B", "/OVERWRITE=maybe",
                                           "/OVERWRITE=yes", "/LOG=a.log", "/LOG=b.log"});
    EXPECT_EQ("C:\\B", s.Choices.Directory);
    EXPECT_EQ(TOverwriteMode::omYes, s.Overwrite);
    EXPECT_EQ("b.log", s.LogFile);
    EXPECT_EQ("", s.Error);
    // And the other way round: a good value replaced by a bad one is bad.
    EXPECT_EQ("Unknown value: /OVERWRITE=maybe", ParseSetupSwitches({"/OVERWRITE=no", "/OVERWRITE=maybe"}).Error);
}

TEST(SetupSwitches, ProblemsAreNamedWithTheArgumentAsGiven)
{
    auto error = [](const Args& args) { return ParseSetupSwitches(args).Error; };
    EXPECT_EQ("Switch needs a value: /DIRECTORY", error({"/S", "/DIRECTORY"}));
    EXPECT_EQ("Switch needs a value: /LOG=", error({"/S", "/LOG="}));
    EXPECT_EQ("Switch needs a value: /OVERWRITE", error({"/OVERWRITE"}));
    EXPECT_EQ("Switch takes no value: /S=1", error({"/S=1"}));
    EXPECT_EQ("Unknown value: /OVERWRITE=always", error({"/S", "/OVERWRITE=always"}));
    EXPECT_EQ("Nobody to ask without a user: /OVERWRITE=ASK", error({"/S", "/OVERWRITE=ASK"}));
    // Several: the first in the order of the usage text.
    EXPECT_EQ("Switch takes no value: -passive=", error({"/LOG", "-passive="}));
    // An empty choice is a value: whether it can be used is the installation's question.
    EXPECT_EQ("", error({"/S", "/NEWDIRECTORY="}));
    EXPECT_EQ("", ParseSetupSwitches({"/S", "/NEWDIRECTORY="}).Choices.NewDirectory);
}
