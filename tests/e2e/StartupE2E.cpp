// The real setup.exe under Wine: start-up as a user sees it.
#include "Medium.h"
#include "WindowDriver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace tarvex::e2e;

namespace {

TEST(StartupE2E, WithoutDescriptionOneErrorBoxThenExitZero)
{
    MediumCopy medium(false);
    Process setup(medium.Setup(), medium.Dir());
    HWND box = WaitWindow(setup.Id(), "Error", kTimeout);
    ASSERT_NE(nullptr, box) << "no error box";
    EXPECT_EQ("Unable to read GENERAL section of ini file", MessageBoxText(box));
    Sleep(300);
    auto windows = TopWindows(setup.Id());
    ASSERT_EQ(1u, windows.size()) << "more than the error box is shown";
    Screenshot("startup-error", box);
    PressButton(box, IDOK);
    DWORD code = 99;
    ASSERT_TRUE(setup.WaitExit(kTimeout, &code));
    EXPECT_EQ(0u, code);
}

TEST(StartupE2E, WizardWindowCaptionSizeAndFrame)
{
    MediumCopy medium(true);
    Process setup(medium.Setup(), medium.Dir());
    HWND form = WaitWindow(setup.Id(), kCaption, kTimeout);
    ASSERT_NE(nullptr, form);
    RECT client{};
    GetClientRect(form, &client);
    EXPECT_EQ(485, client.right - client.left);
    EXPECT_EQ(364, client.bottom - client.top);
    LONG style = GetWindowLongW(form, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_THICKFRAME) << "the border must be fixed";
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    // Centred on the screen.
    RECT frame{};
    GetWindowRect(form, &frame);
    int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_NEAR(cx / 2, (frame.left + frame.right) / 2, 2);
    EXPECT_NEAR(cy / 2, (frame.top + frame.bottom) / 2, 2);
    Screenshot("startup-wizard", form);
    PostMessageW(form, WM_CLOSE, 0, 0);
    DWORD code = 99;
    ASSERT_TRUE(setup.WaitExit(kTimeout, &code));
    EXPECT_EQ(0u, code);
}

TEST(StartupE2E, ReadsTheDescriptionBesideTheProgramNotTheWorkingDirectory)
{
    MediumCopy medium(true);
    MediumCopy elsewhere(false);
    {
        std::ofstream ini(fs::path(elsewhere.Dir()) / "Setup.INI", std::ios::binary);
        ini << "[GENERAL]\r\nTitle=Wrong\r\n";
    }
    Process setup(medium.Setup(), elsewhere.Dir());
    HWND form = WaitWindow(setup.Id(), kCaption, kTimeout);
    ASSERT_NE(nullptr, form);
    PostMessageW(form, WM_CLOSE, 0, 0);
    DWORD code = 99;
    ASSERT_TRUE(setup.WaitExit(kTimeout, &code));
}

TEST(StartupE2E, InvalidGeneralValueShowsOnlyTheErrorBox)
{
    MediumCopy medium(true);
    {
        std::ofstream ini(fs::path(medium.Dir()) / "Setup.INI", std::ios::binary);
        ini << "[GENERAL]\r\nTitle=Demo\r\nTotalSize=12 MB\r\n";
    }
    Process setup(medium.Setup(), medium.Dir());
    HWND box = WaitWindow(setup.Id(), "Error", kTimeout);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("'12 MB' is not a valid floating point value", MessageBoxText(box));
    EXPECT_EQ(1u, TopWindows(setup.Id()).size());
    PressButton(box, IDOK);
    DWORD code = 99;
    ASSERT_TRUE(setup.WaitExit(kTimeout, &code));
    EXPECT_EQ(0u, code);
}

} // namespace

namespace tarvex::e2e {
std::string g_setupExe;
std::string g_medium;
} // namespace tarvex::e2e

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: tarvex_e2e SETUP_EXE MEDIUM_DIR [gtest flags]\n");
        return 2;
    }
    g_setupExe = argv[1];
    g_medium = argv[2];
    return RUN_ALL_TESTS();
}
