// One corpus of INI files read through the profile backend of this build and
// compared with one expected listing: both builds must produce the same text.
#include "TestSupport.h"

#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

using tarvex::platform::ProfileFile;

namespace {

const char* const kSections[] = {"GENERAL", "general", " GENERAL ", "FILES", "ICONS", "DIRECTORIES", "REGISTRY", "Extra", ""};
const char* const kProbes[] = {"Title", "TITLE", " Title ", "Missing", "Run Description", "1", "01", "lonely line", ""};

// Control bytes written as \xNN, so that listings stay plain text.
std::string Shown(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7f) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string Listing(const std::string& iniPath)
{
    ProfileFile ini(iniPath);
    std::ostringstream out;
    for (const char* section : kSections) {
        out << "[" << section << "]\n";
        for (const std::string& key : ini.ReadKeyNames(section))
            out << "  key <" << Shown(key) << "> = <" << Shown(ini.ReadString(section, key, "(default)")) << ">\n";
        for (const char* probe : kProbes)
            out << "  probe <" << probe << "> = <" << Shown(ini.ReadString(section, probe, "(default)")) << ">\n";
    }
    return out.str();
}

class ProfileCorpus : public ::testing::TestWithParam<const char*> {};

TEST_P(ProfileCorpus, MatchesExpectedListing)
{
    std::string name = GetParam();
    std::string actual = Listing(tarvex::test::DataPath("profile/" + name + ".ini"));
    std::string expected = tarvex::test::ReadBytes(std::string(TARVEX_TEST_DATA) + "/profile/" + name + ".expected");
    if (expected.empty()) {
        // First run for a new corpus file: leave the listing for review.
        std::ofstream(std::string(TARVEX_TEST_DATA) + "/profile/" + name + ".actual", std::ios::binary) << actual;
        FAIL() << "no expected listing for " << name;
    }
    EXPECT_EQ(expected, actual);
}

INSTANTIATE_TEST_SUITE_P(Corpus, ProfileCorpus,
                         ::testing::Values("basic", "lists", "nonewline", "bom", "empty", "long", "missing",
                                           "cr", "mixedends", "nulbytes"));

TEST(ProfileCuts, ValueCutToBufferWithItsZero)
{
    EXPECT_EQ("abc", tarvex::platform::CutToBuffer("abcdef", 4));
    EXPECT_EQ("abc", tarvex::platform::CutToBuffer("abc", 4));
    EXPECT_EQ("", tarvex::platform::CutToBuffer("abc", 1));
}

TEST(ProfileCuts, KeyListKeepsOnlyWholeNames)
{
    // "aa\0bb\0" plus the closing zero needs 7 bytes.
    std::vector<std::string> names = {"aa", "bb", "c"};
    EXPECT_EQ((std::vector<std::string>{"aa", "bb"}), tarvex::platform::CutKeyList(names, 7));
    EXPECT_EQ((std::vector<std::string>{"aa"}), tarvex::platform::CutKeyList(names, 6));
    EXPECT_EQ(names, tarvex::platform::CutKeyList(names, 9));
}

} // namespace
