// FileInfo: dates through the MS-DOS form, and version strings of the
// "040904E4" table only; version.dll in the win32 build, our reader natively.
#include "common/GeneratedData.h"
#include "TestSupport.h"

#include "base/Exception.h"
#include "engine/FileInfo.h"
#include "platform/System.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <ctime>
#include <filesystem>

namespace tarvex {
namespace {

using test::GeneratedPath;
using test::ScratchDir;

// Sets the file's last write time to a local date and time.
void SetLocalWriteTime(const std::string& path, int year, int month, int day, int hour, int minute, int second)
{
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    auto sys = std::chrono::system_clock::from_time_t(std::mktime(&local));
    // The two clocks differ by a fixed offset; half a second keeps the
    // value clear of the whole-second boundary whatever the rounding.
    auto offset = std::chrono::file_clock::now().time_since_epoch() - std::chrono::system_clock::now().time_since_epoch();
    auto file = std::chrono::file_clock::time_point(std::chrono::duration_cast<std::chrono::file_clock::duration>(
        sys.time_since_epoch() + offset + std::chrono::milliseconds(500)));
    std::filesystem::last_write_time(std::filesystem::path(path), file);
}

TEST(FileDate, DosDateAndTimeConvert)
{
    // 31 January 1998, 23:59:58
    TDateTime t = DosToDateTime({static_cast<std::uint16_t>(18 << 9 | 1 << 5 | 31),
                                 static_cast<std::uint16_t>(23 << 11 | 59 << 5 | 29)});
    EXPECT_EQ(t, (TDateTime{1998, 1, 31, 23, 59, 58}));
    EXPECT_EQ(FormatDate(t), "31/01/1998");
    EXPECT_EQ(FormatDate(TDateTime{1998, 12, 5}, '.'), "05.12.1998");
    EXPECT_EQ(FormatDate(kEmptyDate), "01/01/0001");
    EXPECT_EQ(DosToDateTime({static_cast<std::uint16_t>(20 << 9 | 2 << 5 | 29), 0}).Day, 29); // 2000 is leap

    struct Bad {
        std::uint16_t date, time;
    } bad[] = {
        {static_cast<std::uint16_t>(18 << 9 | 13 << 5 | 1), 0},         // month 13
        {static_cast<std::uint16_t>(18 << 9 | 0 << 5 | 1), 0},          // month 0
        {static_cast<std::uint16_t>(18 << 9 | 2 << 5 | 29), 0},         // 29 February 1998
        {static_cast<std::uint16_t>(18 << 9 | 4 << 5 | 31), 0},         // 31 April
        {static_cast<std::uint16_t>(18 << 9 | 1 << 5 | 0), 0},          // day 0
        {static_cast<std::uint16_t>(18 << 9 | 1 << 5 | 1), 24 << 11},   // 24:00
        {static_cast<std::uint16_t>(18 << 9 | 1 << 5 | 1), 60 << 5},    // minute 60
        {static_cast<std::uint16_t>(18 << 9 | 1 << 5 | 1), 30},         // second 60
    };
    for (const Bad& b : bad) EXPECT_THROW(DosToDateTime({b.date, b.time}), Exception) << b.date << " " << b.time;
}

TEST(FileDate, FormatPadsLikePrintf)
{
    // Any field value, as "%02d%c%02d%c%04d" writes it: sign first, zeros to the width.
    for (int v : {0, 1, 9, 10, 99, 100, 1998, 12345, -1, -5, -10, -999, -1000, INT_MAX, INT_MIN}) {
        const TDateTime date{v, v, v};
        char expected[64];
        std::snprintf(expected, sizeof expected, "%02d%c%02d%c%04d", v, '-', v, '-', v);
        EXPECT_EQ(expected, FormatDate(date, '-')) << v;
    }
}

TEST(FileDate, ModifiedCarriesTwoSecondResolution)
{
    ScratchDir dir;
    std::string file = dir.Write("a.txt", "a");
    SetLocalWriteTime(file, 1998, 1, 31, 10, 20, 31);
    TFileDateInfo dates;
    dates.SetFileName(file);
    EXPECT_EQ(dates.Modified, (TDateTime{1998, 1, 31, 10, 20, 30}));
    EXPECT_EQ(dates.FileName, file);
    EXPECT_NE(dates.Accessed, kEmptyDate);
    EXPECT_NE(dates.Created, kEmptyDate);
}

TEST(FileDate, GetFileDateComparesCalendarDaysOnly)
{
    ScratchDir dir;
    std::string late = dir.Write("late", "1");
    std::string early = dir.Write("early", "2");
    std::string dayBefore = dir.Write("before", "3");
    SetLocalWriteTime(late, 2003, 3, 1, 23, 59, 0);
    SetLocalWriteTime(early, 2003, 3, 1, 0, 1, 0);
    SetLocalWriteTime(dayBefore, 2003, 2, 28, 23, 59, 59);
    EXPECT_EQ(GetFileDate(late), GetFileDate(early));
    EXPECT_EQ(GetFileDate(late), (TDateTime{2003, 3, 1}));
    EXPECT_LT(GetFileDate(dayBefore), GetFileDate(early));
}

TEST(FileDate, UnreadableFilesGiveTheEmptyDate)
{
    ScratchDir dir;
    EXPECT_EQ(GetFileDate(dir.File("missing.txt")), kEmptyDate);
    EXPECT_EQ(GetFileDate(dir.Path().string()), kEmptyDate); // a folder

    TFileDateInfo dates;
    std::string file = dir.Write("a", "a");
    dates.SetFileName(file);
    dates.SetFileName(dir.File("missing.txt"));
    EXPECT_EQ(dates.Modified, kEmptyDate);
    EXPECT_EQ(dates.FileName, file); // not updated: the same name reads again later
}

TEST(FileInfo, FreshComponentDescribesTheRunningProgram)
{
    TFileInfo info;
    EXPECT_EQ(info.FileName(), platform::ExePath());
    EXPECT_EQ(info.DateInfo().FileName, platform::ExePath());
    EXPECT_GT(info.DateInfo().Modified.Year, 1980);
}

TEST(FileInfo, SameNameIsNotReadAgain)
{
    ScratchDir dir;
    std::string a = dir.Write("a", "a");
    std::string b = dir.Write("b", "b");
    SetLocalWriteTime(a, 1999, 6, 1, 12, 0, 0);
    TFileInfo info;
    info.SetFileName(a);
    SetLocalWriteTime(a, 2001, 6, 1, 12, 0, 0);
    info.SetFileName(a);
    EXPECT_EQ(info.DateInfo().Modified.Year, 1999);
    info.SetFileName(b);
    info.SetFileName(a);
    EXPECT_EQ(info.DateInfo().Modified.Year, 2001);
}

TEST(FileInfo, MissingFileLeavesEmptyFieldsAndNeverThrows)
{
    ScratchDir dir;
    TFileInfo info;
    info.SetFileName(dir.File("missing.dll"));
    EXPECT_EQ(info.FileName(), dir.File("missing.dll"));
    EXPECT_EQ(info.DateInfo().Modified, kEmptyDate);
    EXPECT_EQ(info.DateInfo().Accessed, kEmptyDate);
    EXPECT_EQ(info.DateInfo().Created, kEmptyDate);
    EXPECT_TRUE(info.VersionInfo().FileVersion.empty());
    EXPECT_TRUE(info.VersionInfo().CompanyName.empty());
}

TEST(FileVersion, ReadsTheWesternEuropeanStringTable)
{
    std::string dll = GeneratedPath("version/with-040904E4.dll");
    TFileVersionInfo version;
    version.SetFileName(dll);
    EXPECT_EQ(version.FileName, dll);
    EXPECT_EQ(version.FileVersion, "1.2.3.4"); // not the 040904B0 table's
    EXPECT_EQ(version.CompanyName, "Example Software Ltd.");
    EXPECT_EQ(version.FileDescription, "Sample library");
    EXPECT_EQ(version.InternalName, "sample");
    EXPECT_EQ(version.LegalCopyright, "Copyright \xA9 1998 Example");
    EXPECT_EQ(version.OriginalFilename, "SAMPLE.DLL");
    EXPECT_EQ(version.ProductName, "Sample Product");
    EXPECT_EQ(version.ProductVersion, "");
}

TEST(FileVersion, OtherTranslationsAndMissingResourcesGiveEmptyStrings)
{
    for (const char* name : {"only-040904B0", "no-version"}) {
        std::string dll = GeneratedPath(std::string("version/") + name + ".dll");
        TFileVersionInfo version;
        version.SetFileName(dll);
        EXPECT_EQ(version.FileName, "") << name;
        EXPECT_EQ(version.FileVersion, "") << name;
        EXPECT_EQ(version.CompanyName, "") << name;
        EXPECT_EQ(version.ProductName, "") << name;
    }
}

TEST(FileVersion, TableWithoutFileVersionKeepsTheOldName)
{
    // The block is named in lower case: the match ignores case.
    TFileVersionInfo version;
    version.SetFileName(GeneratedPath("version/no-fileversion.dll"));
    EXPECT_EQ(version.CompanyName, "No Version String Co.");
    EXPECT_EQ(version.ProductName, "Partial");
    EXPECT_EQ(version.FileVersion, "");
    EXPECT_EQ(version.FileName, "");
}

TEST(FileVersion, AFileWithoutStringsClearsThePreviousOnes)
{
    TFileInfo info;
    info.SetFileName(GeneratedPath("version/with-040904E4.dll"));
    ASSERT_EQ(info.VersionInfo().ProductName, "Sample Product");
    info.SetFileName(GeneratedPath("version/no-version.dll"));
    EXPECT_EQ(info.VersionInfo().ProductName, "");
    EXPECT_EQ(info.VersionInfo().FileVersion, "");
    EXPECT_EQ(info.VersionInfo().LegalCopyright, "");
}

} // namespace
} // namespace tarvex
