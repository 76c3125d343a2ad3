// System folders of the machine under test: Wine's under Windows, the
// machine root's defaults natively.
#include "common/MachineSandbox.h"

#include "paths/SystemFolders.h"
#include "platform/Shell.h"

#include <set>

using namespace tarvex;

namespace {

class SystemFolders : public test::MachineSandbox {};

const std::set<int> kRowsWithoutPath{1, 3, 4, 10, 13, 14, 18};

} // namespace

TEST_F(SystemFolders, WindowsDirEndsInOneBackslashAndTempLiesBelowIt)
{
    const std::string windows = GetWindowsDir();
    ASSERT_GE(windows.size(), 4u);
    EXPECT_EQ(':', windows[1]);
    EXPECT_EQ('\\', windows.back());
    EXPECT_NE('\\', windows[windows.size() - 2]);
    EXPECT_EQ(windows + "temp", GetTempDir());
}

TEST_F(SystemFolders, FoldersWithoutAFileSystemPathAreEmpty)
{
    for (int row : kRowsWithoutPath) EXPECT_EQ("", GetSpecialFolder(static_cast<std::uint8_t>(row))) << row;
    EXPECT_EQ("", GetSpecialFolder(19));
    EXPECT_EQ("", GetSpecialFolder(255));
}

TEST_F(SystemFolders, FileSystemFoldersHaveDrivePaths)
{
    for (std::uint8_t row = 0; row < kSpecialFolderEnd; ++row) {
        if (kRowsWithoutPath.count(row)) continue;
        const std::string path = GetSpecialFolder(row);
        ASSERT_GE(path.size(), 3u) << int(row);
        EXPECT_EQ(":\\", path.substr(1, 2)) << path;
    }
}

TEST_F(SystemFolders, ProgramsLieInTheStartMenu)
{
    const std::string startMenu = GetSpecialFolder(11);
    const std::string programs = GetSpecialFolder(2);
    EXPECT_EQ(startMenu + "\\", programs.substr(0, startMenu.size() + 1));
    EXPECT_EQ(programs + "\\", GetSpecialFolder(7).substr(0, programs.size() + 1)); // StartUp
}

TEST_F(SystemFolders, RegistryFoldersAreReadable)
{
    const std::string programFiles = GetRegistryFolder(0);
    const std::string commonFiles = GetRegistryFolder(1);
    EXPECT_EQ(":\\", programFiles.substr(1, 2)) << programFiles;
    EXPECT_EQ(":\\", commonFiles.substr(1, 2)) << commonFiles;
    EXPECT_EQ("error", GetRegistryFolder(2));
}

TEST_F(SystemFolders, FreeSpaceOfTheSystemDriveAndOfNoDrive)
{
    EXPECT_GT(GetFreeSpace("C:\\"), 0.0);
    EXPECT_EQ(-1.0, GetFreeSpace("Q:\\"));
    EXPECT_EQ(-1.0, GetFreeSpace(""));
}
