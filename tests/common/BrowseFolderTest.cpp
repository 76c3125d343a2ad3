// The folder browser's pure logic: path abbreviation for the status line,
// the root and flag tables, dialog placement, property defaults.
#include "components/BrowseFolder.h"

#include <gtest/gtest.h>

using namespace tarvex;

TEST(BrowseFolderShortenPath, FitsOrTooFewPartsStaysUnchanged)
{
    const std::string exactly35 = "C:\\Program Files\\Common Files\\Sys32"; // 35
    ASSERT_EQ(35u, exactly35.size());
    EXPECT_EQ(exactly35, StatusPath(exactly35));
    EXPECT_EQ("", StatusPath(""));
    // Two parts: a drive and one long name, however long.
    const std::string twoParts = "C:\\" + std::string(80, 'x');
    EXPECT_EQ(twoParts, StatusPath(twoParts));
    // No separator at all.
    EXPECT_EQ(std::string(50, 'y'), StatusPath(std::string(50, 'y')));
}

TEST(BrowseFolderShortenPath, ReplacesSecondPartThenDropsTheThird)
{
    // 36 characters, three or more parts: the ellipsis form.
    const std::string exactly36 = "C:\\Program Files\\Common Files\\Sys32x";
    ASSERT_EQ(36u, exactly36.size());
    EXPECT_EQ("C:\\...\\Common Files\\Sys32x", StatusPath(exactly36));

    EXPECT_EQ("C:\\...\\Reports\\Archive\\Year", StatusPath("C:\\Program Files\\Common Files\\Reports\\Archive\\Year"));
    // Three parts remain: returned although still too long.
    EXPECT_EQ("C:\\...\\file", StatusPath("C:\\A very long folder name indeed here\\file"));
    const std::string longLast = "C:\\a\\b\\" + std::string(40, 'z');
    EXPECT_EQ("C:\\...\\" + std::string(40, 'z'), StatusPath(longLast));
}

TEST(BrowseFolderShortenPath, EmptyPartsCountAndOtherSeparators)
{
    // A leading double separator (a UNC name) yields empty first parts.
    const std::string unc = "\\\\server\\share\\folder\\sub";
    EXPECT_EQ(unc, ShortenPath(unc, "\\", "...", 30));
    EXPECT_EQ("\\...\\folder\\sub", ShortenPath(unc, "\\", "...", 20));
    EXPECT_EQ("\\...\\sub", ShortenPath(unc, "\\", "...", 5));
    // A trailing separator leaves an empty last part, which is kept.
    EXPECT_EQ("C:\\...\\", ShortenPath("C:\\Program Files\\Common\\", "\\", "...", 10));
    // Multi-character separator and ellipsis, and a custom limit.
    EXPECT_EQ("a//~//d", ShortenPath("a//bbbb//cccc//d", "//", "~", 8));
    EXPECT_EQ("a//~//cccc//d", ShortenPath("a//bbbb//cccc//d", "//", "~", 13));
    // Only stops dropping when it fits: the kept parts are the last ones.
    EXPECT_EQ("C:\\...\\e\\f", ShortenPath("C:\\b\\c\\d\\e\\f", "\\", "...", 10));
}

TEST(BrowseFolderTables, RootFolderIdentifiers)
{
    const std::pair<TSHFolders, int> expected[] = {
        {TSHFolders::foDesktop, 0x00},          {TSHFolders::foDesktopExpanded, platform::kNoRootFolder},
        {TSHFolders::foPrograms, 0x02},         {TSHFolders::foControlPanel, 0x03},
        {TSHFolders::foPrinters, 0x04},         {TSHFolders::foPersonal, 0x05},
        {TSHFolders::foFavorites, 0x06},        {TSHFolders::foStartup, 0x07},
        {TSHFolders::foRecent, 0x08},           {TSHFolders::foSendto, 0x09},
        {TSHFolders::foRecycleBin, 0x0A},       {TSHFolders::foStartMenu, 0x0B},
        {TSHFolders::foDesktopDirectory, 0x10}, {TSHFolders::foMyComputer, 0x11},
        {TSHFolders::foNetwork, 0x12},          {TSHFolders::foNetworkNeighborhood, 0x13},
        {TSHFolders::foFonts, 0x14},            {TSHFolders::foTemplates, 0x15},
    };
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(i, static_cast<std::size_t>(expected[i].first));
        EXPECT_EQ(expected[i].second, RootFolderId(expected[i].first)) << i;
    }
}

TEST(BrowseFolderTables, FlagBitsComposeInOrder)
{
    EXPECT_EQ(0u, BrowseInfoFlagBits({}));
    EXPECT_EQ(0x0001u, BrowseInfoFlagBits({TBrowseInfoFlags::bfFileSysDirsOnly}));
    EXPECT_EQ(0x0002u, BrowseInfoFlagBits({TBrowseInfoFlags::bfDontGoBelowDomain}));
    EXPECT_EQ(0x0004u, BrowseInfoFlagBits({TBrowseInfoFlags::bfStatusText}));
    EXPECT_EQ(0x0008u, BrowseInfoFlagBits({TBrowseInfoFlags::bfFileSysAncestors}));
    EXPECT_EQ(0x1000u, BrowseInfoFlagBits({TBrowseInfoFlags::bfBrowseForComputer}));
    EXPECT_EQ(0x2000u, BrowseInfoFlagBits({TBrowseInfoFlags::bfBrowseForPrinter}));
    EXPECT_EQ(0x2005u, BrowseInfoFlagBits({TBrowseInfoFlags::bfBrowseForPrinter, TBrowseInfoFlags::bfStatusText,
                                           TBrowseInfoFlags::bfFileSysDirsOnly}));

    TBrowseInfoFlagSet flags{TBrowseInfoFlags::bfStatusText, TBrowseInfoFlags::bfBrowseForComputer};
    flags.Exclude(TBrowseInfoFlags::bfStatusText);
    EXPECT_EQ(0x1000u, BrowseInfoFlagBits(flags));
    EXPECT_FALSE(flags.Contains(TBrowseInfoFlags::bfStatusText));
}

TEST(BrowseFolderPlacement, CentredHorizontallyQuarterDown)
{
    using platform::FolderDialogPosition;
    // Foreground 100..700 x 50..450, dialog 320 x 300 wide.
    platform::ScreenPoint at = FolderDialogPosition({0, 0, 320, 300}, {100, 50, 700, 450});
    EXPECT_EQ(100 + 300 - 160, at.x);
    EXPECT_EQ(50 + 100, at.y);
    // Odd sizes truncate; a dialog wider than the window goes left of it.
    at = FolderDialogPosition({5, 5, 306, 400}, {-10, -20, 91, 23});
    EXPECT_EQ(-10 + 50 - 150, at.x);
    EXPECT_EQ(-20 + 10, at.y);
    // Toward zero, not downward, for a negative half.
    at = FolderDialogPosition({0, 0, 0, 0}, {0, 0, -3, -7});
    EXPECT_EQ(-1, at.x);
    EXPECT_EQ(-1, at.y);
}

TEST(BrowseFolderProperties, DefaultsAndButtonWidth)
{
    TBrowseFolder browse;
    EXPECT_EQ("", browse.Directory);
    EXPECT_EQ("", browse.Title);
    EXPECT_TRUE(browse.Flags.Empty());
    EXPECT_FALSE(browse.ShowPathInStatusArea);
    EXPECT_EQ(TSHFolders::foDesktopExpanded, browse.RootFolder);
    EXPECT_FALSE(browse.CustomButtonVisible);
    EXPECT_TRUE(browse.CustomButtonEnabled());
    EXPECT_EQ("", browse.CustomButtonCaption());
    EXPECT_EQ(75, browse.CustomButtonWidth());
    EXPECT_FALSE(browse.SyncCustomButton);

    browse.SetCustomButtonWidth(120);
    EXPECT_EQ(120, browse.CustomButtonWidth());
    browse.SetCustomButtonWidth(0);
    EXPECT_EQ(75, browse.CustomButtonWidth());
    browse.SetCustomButtonWidth(-5);
    EXPECT_EQ(75, browse.CustomButtonWidth());
    // Without a dialog the setters only store.
    browse.SetCustomButtonEnabled(false);
    browse.SetCustomButtonCaption("Info");
    EXPECT_FALSE(browse.CustomButtonEnabled());
    EXPECT_EQ("Info", browse.CustomButtonCaption());
}
