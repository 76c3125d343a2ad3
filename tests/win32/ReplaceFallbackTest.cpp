// Putting a finished copy in place where MoveFileExA is only a stub, as on
// Windows 9x: the old file is renamed aside, never deleted before the new
// one is in its place, and put back when that fails.
#include <windows.h>

#include "TestSupport.h"

#include "engine/CopyFile.h"
#include "platform/Files.h"
#include "platform/win32/ReplacingMove.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace tarvex;

namespace {

int g_calls = 0;
DWORD g_answer = ERROR_CALL_NOT_IMPLEMENTED;

int __stdcall StubMove(const char*, const char*, unsigned long)
{
    ++g_calls;
    SetLastError(g_answer);
    return FALSE;
}

std::string Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ReplaceWithoutMoveFileEx : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_calls = 0;
        g_answer = ERROR_CALL_NOT_IMPLEMENTED;
        platform::SetReplacingMoveForTesting(StubMove);
    }
    void TearDown() override
    {
        platform::SetReplacingMoveForTesting(nullptr);
        SetFileAttributesA(scratch.File("dest.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(scratch.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    test::ScratchDir scratch;
};

} // namespace

TEST_F(ReplaceWithoutMoveFileEx, ACopyReplacesTheOldFileAndLeavesNothingBehind)
{
    const std::string source = scratch.Write("source.txt", "new contents, longer than the old");
    const std::string dest = scratch.Write("dest.txt", "old");
    ASSERT_TRUE(LZCopyFile(source, dest));
    EXPECT_EQ(Read(dest), "new contents, longer than the old");
    EXPECT_EQ(g_calls, 1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"dest.txt", "source.txt"}));
}

TEST_F(ReplaceWithoutMoveFileEx, ANewFileIsRenamedIntoPlace)
{
    const std::string temp = scratch.Write("temp.tmp", "fresh");
    platform::PutInPlace(temp, scratch.File("dest.txt"));
    EXPECT_EQ(Read(scratch.File("dest.txt")), "fresh");
    EXPECT_EQ(Names(), std::vector<std::string>{"dest.txt"});
}

TEST_F(ReplaceWithoutMoveFileEx, WhenTheNewFileCannotBePutThereTheOldOneComesBack)
{
    const std::string dest = scratch.Write("dest.txt", "the user's data");
    // A temp file that is gone: the rename into place fails after the old
    // file was set aside.
    EXPECT_THROW(platform::PutInPlace(scratch.File("gone.tmp"), dest), platform::EInOutError);
    EXPECT_EQ(Read(dest), "the user's data");
    EXPECT_EQ(Names(), std::vector<std::string>{"dest.txt"});
}

// Windows' MoveFileExA refuses to replace a read-only file (Wine's does
// not), and renaming one aside would get round that.
TEST_F(ReplaceWithoutMoveFileEx, AReadOnlyFileIsRefusedAsTheReplacingMoveWould)
{
    const std::string temp = scratch.Write("temp.tmp", "fresh");
    const std::string dest = scratch.Write("dest.txt", "kept");
    SetFileAttributesA(dest.c_str(), FILE_ATTRIBUTE_READONLY);
    try {
        platform::PutInPlace(temp, dest);
        FAIL() << "no error";
    } catch (const platform::EInOutError& e) {
        EXPECT_EQ(e.Code(), static_cast<unsigned>(ERROR_ACCESS_DENIED));
    }
    EXPECT_EQ(Read(dest), "kept");
    EXPECT_EQ(Read(temp), "fresh");
}

TEST_F(ReplaceWithoutMoveFileEx, OtherFailuresOfTheMoveAreReportedNotWorkedAround)
{
    g_answer = ERROR_SHARING_VIOLATION;
    const std::string temp = scratch.Write("temp.tmp", "fresh");
    const std::string dest = scratch.Write("dest.txt", "kept");
    try {
        platform::PutInPlace(temp, dest);
        FAIL() << "no error";
    } catch (const platform::EInOutError& e) {
        EXPECT_EQ(e.Code(), static_cast<unsigned>(ERROR_SHARING_VIOLATION));
    }
    EXPECT_EQ(Read(dest), "kept");
    EXPECT_EQ(Read(temp), "fresh");
}
