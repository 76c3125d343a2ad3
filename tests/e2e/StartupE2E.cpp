// The real setup.exe under Wine: start-up as a user sees it.
#include "WindowDriver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace tarvex::e2e;

namespace {

std::string g_setupExe;  // the built setup.exe
std::string g_medium;    // the laid-out demo medium

constexpr DWORD kTimeout = 20000;

// A copy of the medium (or of setup.exe alone) in a fresh folder.
class MediumCopy {
public:
    explicit MediumCopy(bool withDescription)
    {
        dir_ = fs::temp_directory_path() / ("tarvex-e2e-" + std::to_string(GetTickCount()) + "-" +
                                            std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count_));
        fs::create_directories(dir_);
        if (withDescription)
            fs::copy(g_medium, dir_, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        fs::copy_file(g_setupExe, dir_ / "setup.exe", fs::copy_options::overwrite_existing);
    }
    ~MediumCopy()
    {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string Dir() const { return dir_.string(); }
    std::string Setup() const { return (dir_ / "setup.exe").string(); }

private:
    fs::path dir_;
    static inline int count_ = 0;
};

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
    Screenshot("startup-error");
    PressButton(box, IDOK);
    DWORD code = 99;
    ASSERT_TRUE(setup.WaitExit(kTimeout, &code));
    EXPECT_EQ(0u, code);
}

TEST(StartupE2E, WizardWindowCaptionSizeAndFrame)
{
    MediumCopy medium(true);
    Process setup(medium.Setup(), medium.Dir());
    HWND form = WaitWindow(setup.Id(), "Tarvex Demo Setup", kTimeout);
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
    Screenshot("startup-wizard");
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
    HWND form = WaitWindow(setup.Id(), "Tarvex Demo Setup", kTimeout);
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
