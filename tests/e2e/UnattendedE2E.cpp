// setup.exe /PASSIVE under Wine: the progress window alone, no question,
// and it ends by itself with exit code 0.
#include "Medium.h"
#include "WindowDriver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;
using namespace tarvex::e2e;

namespace {

constexpr DWORD kPassiveTimeout = 30000;

TEST(UnattendedE2E, PassiveShowsOnlyTheProgressWindowAndEndsWithZero)
{
    MediumCopy medium(true);
    const std::string folder = "Tarvex Passive " + std::to_string(GetTickCount()) + "-" +
                               std::to_string(GetCurrentProcessId());
    {
        // Forty copies of a 4 MiB file keep the window up for a while and
        // answering between two of them, so that its texts can be read.
        const fs::path ini = fs::path(medium.Dir()) / "Setup.INI";
        std::ifstream in(ini, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        in.close();
        fs::resize_file((std::ofstream(fs::path(medium.Dir()) / "big.bin"), fs::path(medium.Dir()) / "big.bin"),
                        4u << 20);
        std::string more;
        for (int i = 4; i < 44; ++i)
            more += std::to_string(i) + "=big.bin,big" + std::to_string(i) + ".bin,1,%APPPATH,N\r\n";
        for (int i = 44; i < 60; ++i)
            more += std::to_string(i) + "=manual.txt,copy" + std::to_string(i) + ".txt,1,%APPPATH\\docs,N\r\n";
        text.insert(text.find("\r\n", text.find("\n3=manual.txt")) + 2, more);
        std::ofstream(ini, std::ios::binary) << text;
    }
    char programFiles[MAX_PATH] = {};
    ExpandEnvironmentStringsA("%ProgramFiles%", programFiles, MAX_PATH);
    const fs::path product = fs::path(programFiles) / folder;

    // Busy from its first window on, it would keep the driver waiting for
    // it to go idle until it is nearly done.
    Process setup(medium.Setup(), medium.Dir(),
                  "/PASSIVE \"/NEWDIRECTORY=" + folder + "\" /NEWMENU=\"" + folder + "\"", false);
    HWND form = WaitWindow(setup.Id(), kCaption, kPassiveTimeout);
    ASSERT_NE(nullptr, form) << "no progress window";
    EXPECT_EQ(1u, TopWindows(setup.Id()).size()) << "more than the progress window";
    EXPECT_NE(nullptr, FindControl(form, kGroupBox, "Progress"));
    EXPECT_NE(nullptr, FindControlOfClass(form, "msctls_progress32"));
    EXPECT_NE(nullptr, FindControlOfClass(form, "ListBox"));
    EXPECT_EQ(nullptr, FindControl(form, "Button", "&Next >>")) << "a wizard button in the progress window";
    Screenshot("passive-progress", form);
    DWORD code = 99;
    ASSERT_TRUE(setup.WaitExit(kPassiveTimeout, &code)) << "the window did not close itself";
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(fs::exists(product / "Install.log"));
    EXPECT_TRUE(fs::exists(product / "docs" / "copy59.txt"));
    EXPECT_EQ(4u << 20, fs::file_size(product / "big43.bin"));
    std::error_code ec;
    fs::remove_all(product, ec);
}

} // namespace
