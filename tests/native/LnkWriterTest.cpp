// Our link writer's bytes where the shared read-back checks don't look: the
// target ID list, targets without a drive, and how texts are encoded.
#include "common/LnkFile.h"

#include "formats/LnkWriter.h"

#include <gtest/gtest.h>

using tarvex::LnkBytes;
using tarvex::test::ParseLnk;

namespace {

std::uint32_t Le(const std::string& b, std::size_t at, int width) { return tarvex::test::lnk_detail::Le(b, at, width); }

// Offset of the StringData texts, past the ID list and the link info.
std::size_t StringsAt(const std::string& b)
{
    const std::size_t info = 0x4C + 2 + Le(b, 0x4C, 2);
    return info + Le(b, info, 4);
}

// Kind and name of each shell item; the walk must land on the terminator.
std::vector<std::pair<unsigned, std::string>> IdListItems(const std::string& b)
{
    std::vector<std::pair<unsigned, std::string>> items;
    const std::size_t end = 0x4C + 2 + Le(b, 0x4C, 2);
    std::size_t at = 0x4C + 2;
    for (std::uint32_t size; at < end && (size = Le(b, at, 2)) != 0; at += size) {
        const unsigned type = b[at + 2] & 0xFFu;
        const std::size_t nameAt = type == 0x2F ? at + 3 : at + 14;
        items.emplace_back(type, type == 0x1F ? "" : b.substr(nameAt).c_str());
    }
    EXPECT_EQ(at + 2, end) << "the list ends with its terminator";
    return items;
}

TEST(LnkWriter, IdListNamesEveryFolderThenTheFile)
{
    using Items = std::vector<std::pair<unsigned, std::string>>;
    EXPECT_EQ(IdListItems(LnkBytes({"C:\\Program Files\\Demo\\demo.exe", "", "", ""})),
              (Items{{0x1F, ""}, {0x2F, "C:\\"}, {0x31, "Program Files"}, {0x31, "Demo"}, {0x32, "demo.exe"}}));
    // Odd and even name lengths (padding) and doubled separators.
    EXPECT_EQ(IdListItems(LnkBytes({"D:\\ab\\\\abc\\x", "", "", ""})),
              (Items{{0x1F, ""}, {0x2F, "D:\\"}, {0x31, "ab"}, {0x31, "abc"}, {0x32, "x"}}));
    EXPECT_EQ(IdListItems(LnkBytes({"D:\\", "", "", ""})), (Items{{0x1F, ""}, {0x2F, "D:\\"}}));
}

// The ID list's sizes are 16-bit: a target whose list would pass 64 KiB
// (one long name, or many folders) is named by the link info alone, which
// every reader resolves, rather than by a list whose size wrapped around.
TEST(LnkWriter, ATargetTooLongForTheIdListIsNamedByTheLinkInfoAlone)
{
    std::string folders = "C:";
    while (folders.size() < 70000) folders += "\\folder";
    for (const std::string& target : {"C:\\" + std::string(70000, 'n') + ".exe", folders + "\\x.exe"}) {
        const std::string b = LnkBytes({target, "n", "a", ""});
        const auto f = ParseLnk(b);
        EXPECT_EQ(f.flags & 0x01, 0u);
        EXPECT_EQ(f.localPath, target);
        EXPECT_EQ(f.arguments, "a");
    }
    // The longest list that fits is still written.
    const std::string fits = "C:\\" + std::string(0xFFFF - 0x14 - 25 - 14 - 2 - 1, 'n');
    EXPECT_EQ(ParseLnk(LnkBytes({fits, "", "", ""})).flags & 0x01, 1u);
    EXPECT_EQ(ParseLnk(LnkBytes({fits + "n", "", "", ""})).flags & 0x01, 0u);
}

TEST(LnkWriter, TargetWithoutDriveIsKeptAsGivenWithoutIdList)
{
    for (const char* target : {"\\\\server\\share\\x.exe", "demo.exe"}) {
        const std::string b = LnkBytes({target, "n", "a", "w"});
        const auto f = ParseLnk(b);
        EXPECT_EQ(f.flags & 0x01, 0u) << target;
        EXPECT_EQ(f.localPath, target);
        EXPECT_EQ(f.description, "n");
        EXPECT_EQ(f.workingDirectory, "w");
        EXPECT_EQ(f.arguments, "a");
        EXPECT_EQ(Le(b, 0x4C + Le(b, 0x4C + 12, 4) + 4, 4), 1u) << "DRIVE_NO_ROOT_DIR";
    }
}

TEST(LnkWriter, TextsAreWindows1252AsUtf16AndEmptyTextIsOneZero)
{
    std::string b = LnkBytes({"C:\\x.exe", "Caf\xE9 \x80", "", ""});
    std::size_t at = StringsAt(b);
    ASSERT_EQ(Le(b, at, 2), 6u);
    EXPECT_EQ(Le(b, at + 2 + 2 * 3, 2), 0xE9u);
    EXPECT_EQ(Le(b, at + 2 + 2 * 5, 2), 0x20ACu) << "euro sign";

    // As the shell writes them: some readers refuse a text of no characters.
    b = LnkBytes({"C:\\x.exe", "", "", ""});
    EXPECT_EQ(b.substr(StringsAt(b)), std::string("\x01\0\0\0\x01\0\0\0", 8) + std::string(4, '\0'))
        << "description, arguments, terminal block";
}

} // namespace
