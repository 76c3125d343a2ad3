// Shell link files: what the shortcut phase relies on, checked on the files
// either backend leaves on disk.
#include "LnkFile.h"
#include "TestSupport.h"

#include "base/Exception.h"
#include "platform/ComApartment.h"
#include "platform/ShellLink.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

using tarvex::platform::CreateShellLink;
using tarvex::test::LnkFields;
using tarvex::test::ParseLnk;

namespace {

constexpr char kTarget[] = "C:\\Program Files\\Demo\\demo.exe";

class ShellLinkTest : public ::testing::Test {
protected:
    LnkFields Read(const std::string& file) const
    {
        EXPECT_TRUE(std::filesystem::is_regular_file(file)) << file;
        return ParseLnk(tarvex::test::ReadBytes(file));
    }

    tarvex::platform::ComApartment com_;
    tarvex::test::ScratchDir dir_;
};

TEST_F(ShellLinkTest, StoresTargetDescriptionAndArguments)
{
    const std::string link = dir_.File("Demo.LNK");
    CreateShellLink(link, "Demo", kTarget, "-q", "");
    const LnkFields f = Read(link);
    EXPECT_EQ(f.localPath, kTarget);
    EXPECT_EQ(f.description, "Demo");
    EXPECT_EQ(f.arguments, "-q");
    EXPECT_FALSE(f.workingDirectory) << "no working directory was given";
}

TEST_F(ShellLinkTest, ArgumentsAndDescriptionKeptVerbatim)
{
    struct Case {
        const char* arguments;
        const char* description;
    };
    const Case cases[] = {
        {"/x \"a b\"  %MAINDIR%\\demo.ini", "Demo 1.5"},
        {"%WINDIR% %PROGRAMFILES %SMICON", "Read me (first)"},
        {"\"C:\\Program Files\\Demo\\read me.txt\" -a=1,2;3", "A & B"},
        {"", ""},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string link = dir_.File("case" + std::to_string(n++) + ".LNK");
        CreateShellLink(link, c.description, kTarget, c.arguments, "");
        const LnkFields f = Read(link);
        EXPECT_EQ(f.arguments, c.arguments);
        EXPECT_EQ(f.description, c.description);
        EXPECT_EQ(f.localPath, kTarget);
    }
}

TEST_F(ShellLinkTest, WorkingDirectoryStoredOnlyWhenGiven)
{
    const std::string with = dir_.File("with.LNK");
    const std::string without = dir_.File("without.LNK");
    CreateShellLink(with, "Demo", kTarget, "-q", "C:\\Program Files\\Demo");
    CreateShellLink(without, "Demo", kTarget, "-q", "");

    const LnkFields a = Read(with);
    EXPECT_EQ(a.workingDirectory, "C:\\Program Files\\Demo");
    EXPECT_EQ(a.arguments, "-q") << "the working directory must not shift the texts after it";
    EXPECT_FALSE(Read(without).workingDirectory);
}

TEST_F(ShellLinkTest, SavingAgainReplacesTheLink)
{
    const std::string link = dir_.File("Demo.LNK");
    CreateShellLink(link, "Old", "C:\\Old\\old.exe", "-old", "C:\\Old");
    CreateShellLink(link, "New", kTarget, "-new", "");
    const LnkFields f = Read(link);
    EXPECT_EQ(f.description, "New");
    EXPECT_EQ(f.localPath, kTarget);
    EXPECT_EQ(f.arguments, "-new");
    EXPECT_FALSE(f.workingDirectory);
}

TEST_F(ShellLinkTest, MissingFolderWritesNothingAndRaisesNothing)
{
    const std::string link = dir_.File("No Such Group") + "\\Demo.LNK";
    EXPECT_NO_THROW(CreateShellLink(link, "Demo", kTarget, "", ""));
    EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "No Such Group"));
    EXPECT_TRUE(std::filesystem::is_empty(dir_.Path())) << "not even a temporary file is left";
}

TEST_F(ShellLinkTest, PathsOver259CharactersAreRefused)
{
    const std::string base = dir_.File("");
    ASSERT_LT(base.size() + 5, tarvex::platform::kMaxLinkPath);
    const auto pathOfLength = [&](std::size_t length) {
        return base + std::string(length - base.size() - 4, 'L') + ".LNK";
    };

    const std::string longest = pathOfLength(259);
    ASSERT_EQ(longest.size(), 259u);
    CreateShellLink(longest, "Demo", kTarget, "", "");
    EXPECT_EQ(Read(longest).localPath, kTarget);

    const std::string tooLong = pathOfLength(260);
    try {
        CreateShellLink(tooLong, "Demo", kTarget, "", "");
        FAIL() << "a 260-character path was accepted";
    } catch (const tarvex::Exception& e) {
        EXPECT_EQ(e.Message(), "Link path too long: " + tooLong);
    }
    EXPECT_FALSE(std::filesystem::exists(tooLong));
    // Nor under the name a cut to 259 characters would give.
    EXPECT_FALSE(std::filesystem::exists(tooLong.substr(0, 259)));
}

} // namespace
