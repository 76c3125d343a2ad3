// The demo as one file under Wine: setup.exe lays its medium out in a
// folder of its own under TMP, installs from it, and leaves nothing behind
// however it ends; a damaged copy shows one box and writes nothing.
#include "Medium.h"
#include "WindowDriver.h"

#include "authoring/MediumBundle.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using namespace tarvex::e2e;

namespace {

constexpr char kDamaged[] = "The installation program is damaged. Please obtain a new copy.";

// A temporary folder of the test's own, handed to setup.exe as TMP and TEMP,
// so that whatever it leaves there is seen.
class PrivateTemp {
public:
    PrivateTemp() : dir_(fs::temp_directory_path() / Unique("tarvex-e2e-temp"))
    {
        fs::create_directories(dir_);
        for (const char* name : {"TMP", "TEMP"}) {
            char old[MAX_PATH] = {};
            GetEnvironmentVariableA(name, old, MAX_PATH);
            saved_.emplace_back(name, old);
            SetEnvironmentVariableA(name, dir_.string().c_str());
        }
    }
    ~PrivateTemp()
    {
        for (const auto& [name, value] : saved_) SetEnvironmentVariableA(name.c_str(), value.c_str());
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::vector<std::string> Contents() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
        return names;
    }

private:
    fs::path dir_;
    std::vector<std::pair<std::string, std::string>> saved_;
};

// The demo medium (adjusted by the test) bundled into one program.
struct OneFile {
    MediumCopy medium{true};
    std::string folder = Unique("Tarvex Bundle");
    fs::path exe;

    OneFile()
    {
        medium.SetValue("NewDirectory", folder);
        medium.SetValue("NewMenu", folder);
    }
    std::string Make()
    {
        exe = fs::path(medium.Dir()).parent_path() / (Unique("TarvexDemoSetup") + ".exe");
        tarvex::WriteBundle(medium.Dir(), medium.Setup(), exe.string());
        return exe.string();
    }
    ~OneFile()
    {
        std::error_code ec;
        fs::remove(exe, ec);
    }
};

void ExpectEndsLeavingNothing(Process& setup, const PrivateTemp& temp, DWORD expectedCode = 0)
{
    DWORD code = 99;
    ASSERT_TRUE(setup.WaitExit(kTimeout, &code));
    EXPECT_EQ(expectedCode, code);
    EXPECT_TRUE(temp.Contents().empty()) << temp.Contents().front();
}

// An installed demo: No at the run question, the success line, Finish, and
// nothing left behind.
void DeclineRunAndFinish(Process& setup, HWND run, const PrivateTemp& temp)
{
    PressButton(run, IDNO);
    HWND form = WaitWindow(setup.Id(), kCaption, kTimeout);
    ASSERT_NE(nullptr, form);
    EXPECT_NE(nullptr, FindControl(form, "Static", "Tarvex Demo has been successfully installed."));
    HWND finish = WaitControl(form, "Button", "&Finish", kTimeout);
    ASSERT_NE(nullptr, finish);
    Click(finish);
    ExpectEndsLeavingNothing(setup, temp);
}

TEST(BundleE2E, InstallsFromOneFileAndLeavesNoFolder)
{
    OneFile bundle;
    PrivateTemp temp; // after the medium's copy, which lies in the real one
    bundle.medium.SetValue("Route", "5");
    const std::string exe = bundle.Make();
    Process setup(exe, fs::path(exe).parent_path().string());
    HWND run = WaitWindow(setup.Id(), "Confirm", kTimeout);
    ASSERT_NE(nullptr, run) << "no run question";
    std::vector<std::string> during = temp.Contents();
    ASSERT_EQ(1u, during.size());
    EXPECT_EQ(0u, during[0].rfind("TarvexSetup-", 0)) << during[0];
    DeclineRunAndFinish(setup, run, temp);

    char programFiles[MAX_PATH] = {};
    ExpandEnvironmentStringsA("%ProgramFiles%", programFiles, MAX_PATH);
    const fs::path product = fs::path(programFiles) / bundle.folder;
    // ridsetup.exe goes to the Windows folder, shared by every product.
    for (const char* file : {"demo.exe", "docs\\manual.txt", "Install.log"})
        EXPECT_TRUE(fs::exists(product / file)) << (product / file).string();
    EXPECT_GT(fs::file_size(product / "demo.exe"), 1000u) << "expanded from the carried medium";
    std::error_code ec;
    fs::remove_all(product, ec);
}

TEST(BundleE2E, ExitAtTheFirstPageAndTheCloseBoxLeaveNoFolder)
{
    for (bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box" : "Exit");
        OneFile bundle;
        PrivateTemp temp;
        const std::string exe = bundle.Make();
    Process setup(exe, fs::path(exe).parent_path().string());
        HWND form = WaitWindow(setup.Id(), kCaption, kTimeout);
        ASSERT_NE(nullptr, form);
        ASSERT_NE(nullptr, WaitControl(form, kGroupBox, "Program License", kTimeout)) << "the licence from the medium";
        if (closeBox)
            PostMessageW(form, WM_CLOSE, 0, 0);
        else
            Click(FindControl(form, "Button", "&Exit"));
        if (HWND question = WaitWindow(setup.Id(), "Confirm", 3000)) PressButton(question, IDYES);
        ExpectEndsLeavingNothing(setup, temp);
    }
}

TEST(BundleE2E, AFailedInstallationLeavesNoFolder)
{
    OneFile bundle;
    PrivateTemp temp; // after the medium's copy, which lies in the real one
    bundle.medium.SetValue("Route", "5");
    // The medium lacks a file its FILES list names: the copy fails.
    fs::remove(fs::path(bundle.medium.Dir()) / "demo.ex_");
    const std::string exe = bundle.Make();
    Process setup(exe, fs::path(exe).parent_path().string());
    HWND form = WaitWindow(setup.Id(), kCaption, kTimeout);
    ASSERT_NE(nullptr, form);
    // The result line names the file missing from the carried medium's folder.
    std::string result;
    for (DWORD t = GetTickCount(); result.empty() && GetTickCount() - t < kTimeout; Sleep(50))
        for (HWND child : Children(form))
            if (ClassName(child) == "Static" && WindowText(child).find("demo.ex_") != std::string::npos)
                result = WindowText(child);
    EXPECT_NE(std::string::npos, result.find("TarvexSetup-")) << result;
    EXPECT_EQ(nullptr, FindControl(form, "Static", "Tarvex Demo has been successfully installed."));
    PostMessageW(form, WM_CLOSE, 0, 0);
    if (HWND question = WaitWindow(setup.Id(), "Confirm", 3000)) PressButton(question, IDYES);
    ExpectEndsLeavingNothing(setup, temp);
}

TEST(BundleE2E, ADamagedCopyShowsOneBoxAndWritesNothing)
{
    OneFile bundle;
    PrivateTemp temp; // after the medium's copy, which lies in the real one
    const std::string exe = bundle.Make();
    {
        std::FILE* f = std::fopen(exe.c_str(), "r+b");
        ASSERT_NE(nullptr, f);
        std::fseek(f, -2000, SEEK_END);
        int c = std::fgetc(f);
        std::fseek(f, -2000, SEEK_END);
        std::fputc(c ^ 0x01, f);
        std::fclose(f);
    }
    Process setup(exe, fs::path(exe).parent_path().string());
    HWND box = WaitWindow(setup.Id(), "Error", kTimeout);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(kDamaged, MessageBoxText(box));
    EXPECT_EQ(1u, TopWindows(setup.Id()).size());
    EXPECT_TRUE(temp.Contents().empty()) << "written before the box";
    Screenshot("bundle-damaged", box);
    PressButton(box, IDOK);
    ExpectEndsLeavingNothing(setup, temp, 1);
}

// A bundle made and signed outside (bundle_sign.sh), named by the environment.
std::string FromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

TEST(BundleE2E, ASignedBundleInstallsAndASignedDamagedOneIsRefused)
{
    const std::string signedBundle = FromEnvironment("TARVEX_SIGNED_BUNDLE");
    const std::string damaged = FromEnvironment("TARVEX_SIGNED_DAMAGED");
    if (signedBundle.empty() || damaged.empty()) GTEST_SKIP() << "no signed bundle given";
    {
        PrivateTemp temp;
        Process setup(signedBundle, fs::path(signedBundle).parent_path().string());
        HWND run = WaitWindow(setup.Id(), "Confirm", kTimeout);
        ASSERT_NE(nullptr, run) << "no run question";
        DeclineRunAndFinish(setup, run, temp);
    }
    PrivateTemp temp;
    Process setup(damaged, fs::path(damaged).parent_path().string());
    HWND box = WaitWindow(setup.Id(), "Error", kTimeout);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(kDamaged, MessageBoxText(box));
    PressButton(box, IDOK);
    ExpectEndsLeavingNothing(setup, temp, 1);
}

} // namespace
