// The wizard's page walk, checks and installation page, driven headlessly.
#include "TestSupport.h"

#include "paths/PathText.h"
#include "platform/Files.h"
#include "platform/MachineRoot.h"
#include "platform/posix/PosixFile.h"
#include "testing/HeadlessFolderDialog.h"
#include "testing/HeadlessUi.h"
#include "wizard/SetupForm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

using namespace tarvex;
using tarvex::platform::HeadlessFolderAnswer;
using tarvex::platform::HeadlessFolderDialogs;
using tarvex::platform::HeadlessUi;
using tarvex::platform::MessageKind;
using tarvex::platform::Press;
using tarvex::platform::Type;
using tarvex::test::ScratchDir;

namespace {

constexpr char kLicense[] = "{\\rtf1\\ansi {\\b Licence} terms}";
constexpr char kReadMe[] = "Read me first.";

class Wizard : public ::testing::Test {
protected:
    void SetUp() override
    {
        HeadlessUi::Instance().Reset();
        HeadlessFolderDialogs::Instance().Reset();
        platform::SetMachineRoot(dir.File("root"));
        std::filesystem::create_directories(dir.Path() / "root/drive_c/WINDOWS/temp");
        std::filesystem::create_directories(dir.Path() / "root/drive_c/Program Files");
        std::filesystem::create_directories(dir.Path() / "root/drive_d/Medium");
        Medium("license.rtf", kLicense);
        Medium("readme.txt", kReadMe);
        Medium("a.txt", "product file");
    }
    void TearDown() override { platform::SetMachineRoot(""); }

    // A description with the demo's values, any of them replaced.
    void WriteSetup(std::map<std::string, std::string> changes = {}, const std::string& files = "1=a.txt,a.txt,1,%APPPATH,N\n")
    {
        std::map<std::string, std::string> general = {
            {"Title", "Demo"},          {"Executable", "a.txt"},        {"ReadMe", "readme.txt"},
            {"License", "license.rtf"}, {"Directory", "%PROGRAMFILES"}, {"NewDirectory", "Demo"},
            {"StartMenu", "%PROGRAMDIR"}, {"NewMenu", "Demo"},         {"TotalSize", "900"},
            {"Route", "012345"},        {"Run", ""},                    {"Run Description", ""},
        };
        for (auto& [key, value] : changes) general[key] = value;
        std::string ini = "[GENERAL]\n";
        for (auto& [key, value] : general) ini += key + "=" + value + "\n";
        ini += "[FILES]\n" + files + "[DIRECTORIES]\n1=%APPPATH\n";
        Medium("Setup.INI", ini);
    }

    // A file of the installation medium, D:\Medium.
    void Medium(const std::string& name, const std::string& bytes) { dir.Write("root/drive_d/Medium/" + name, bytes); }

    void SetFreeSpace(const std::string& bytes)
    {
        std::filesystem::create_directories(dir.Path() / "root");
        dir.Write("root/machine.ini", "[Machine]\nFreeSpace=" + bytes + "\n");
    }

    std::unique_ptr<TfmSetup> Start()
    {
        return std::make_unique<TfmSetup>("D:\\Medium\\");
    }

    const std::vector<platform::HeadlessMessage>& Messages() { return HeadlessUi::Instance().messages; }

    ScratchDir dir;
};

TEST_F(Wizard, FullRouteShowsEveryPageInOrderAndInstalls)
{
    SetFreeSpace("1000000");
    WriteSetup();
    auto wizard = Start();
    TfmSetup& w = *wizard;

    // Licence.
    EXPECT_EQ(0, w.nbMain.PageIndex());
    EXPECT_EQ("Program License", w.grpNotes.Text());
    EXPECT_EQ("By clicking the Next button you agree with the license.", w.lblLicense.Text());
    EXPECT_EQ(kLicense, w.memNotes.Content());
    EXPECT_TRUE(w.memNotes.ShowsRichText());
    EXPECT_FALSE(w.btnPrevious.Enabled());
    EXPECT_TRUE(w.btnNext.Enabled());
    EXPECT_EQ(&w.btnNext, w.Window().ActiveControl());

    // Information: plain text, no licence line.
    ASSERT_TRUE(Press(w.btnNext));
    EXPECT_EQ(0, w.nbMain.PageIndex());
    EXPECT_EQ("Program Information", w.grpNotes.Text());
    EXPECT_EQ("", w.lblLicense.Text());
    EXPECT_EQ(kReadMe, w.memNotes.Content());
    EXPECT_FALSE(w.memNotes.ShowsRichText());
    EXPECT_TRUE(w.btnPrevious.Enabled());

    // Destination.
    ASSERT_TRUE(Press(w.btnNext));
    EXPECT_EQ(1, w.nbMain.PageIndex());
    EXPECT_EQ("Installation", w.grpDestination.Text());
    EXPECT_EQ("Folder Path", w.lblDirectory.Text());
    EXPECT_EQ("Program Folder", w.lblNew.Text());
    EXPECT_EQ("Demo will be installed to the above folder.", w.lblInstallHint.Text());
    EXPECT_EQ("C:\\Program Files", w.edtDirectory.Text());
    EXPECT_EQ("Demo", w.edtNew.Text());

    // Start Menu: shown relative to the Start Menu folder.
    ASSERT_TRUE(Press(w.btnNext));
    EXPECT_EQ(1, w.nbMain.PageIndex());
    EXPECT_EQ("Start Menu", w.grpDestination.Text());
    EXPECT_EQ("Start Menu Folder", w.lblDirectory.Text());
    EXPECT_EQ("Program Menu", w.lblNew.Text());
    EXPECT_EQ("Demo icons will be placed in the above Start Menu folder.", w.lblInstallHint.Text());
    EXPECT_EQ("\\Programs", w.edtDirectory.Text());
    EXPECT_EQ("Demo", w.edtNew.Text());

    // Summary.
    ASSERT_TRUE(Press(w.btnNext));
    EXPECT_EQ(2, w.nbMain.PageIndex());
    EXPECT_EQ("C:\\Program Files\\Demo", w.lblInstallDirectory.Text());
    EXPECT_EQ("\\Programs\\Demo", w.lblInstallProgramMenu.Text());
    EXPECT_EQ("Demo will be installed to the above directory and start menu folder.  Click Next to begin installation.",
              w.lblInstallLocation.Text());
    EXPECT_TRUE(w.btnNext.Enabled()) << "the summary is not the last step";

    // Installation: one click installs and, without a Run command, closes.
    ASSERT_TRUE(Press(w.btnNext));
    EXPECT_EQ(3, w.nbMain.PageIndex());
    EXPECT_EQ("Demo has been successfully installed.", w.lblResult.Text());
    EXPECT_FALSE(w.btnPrevious.Visible());
    EXPECT_EQ("&Finish", w.btnNext.Text());
    EXPECT_FALSE(w.btnExit.Enabled());
    EXPECT_TRUE(w.Window().Closed());
    EXPECT_TRUE(Messages().empty()) << Messages()[0].text;
    EXPECT_TRUE(std::filesystem::exists(platform::MachineHostPath("C:\\Program Files\\Demo\\a.txt")));
    EXPECT_TRUE(std::filesystem::exists(platform::MachineHostPath("C:\\Program Files\\Demo\\Install.log")));
}

TEST_F(Wizard, InstallPageFollowsTheEngineStepByStep)
{
    SetFreeSpace("1000000");
    Medium("b.txt", "second");
    WriteSetup({{"Route", "5"}}, "1=a.txt,a.txt,1,%APPPATH,N\n2=b.txt,b.txt,1,%APPPATH,N\n");
    auto wizard = Start();
    TfmSetup& w = *wizard;
    // Two files and five phases: the bar is full exactly at the end.
    EXPECT_EQ(7, w.pbProgress.Max());
    EXPECT_EQ(7, w.pbProgress.Position());
    EXPECT_EQ((std::vector<std::string>{"Creating directories...", "Copying Files...", "Creating shortcuts...",
                                        "Creating registry entries...", "Saving uninstall log..."}),
              w.lbProgress.Lines());
    EXPECT_EQ("b.txt", ExtractFileName(w.edtFile.Text()));
    // The progress box is repainted at once on every status line and every file.
    const auto& repaints = HeadlessUi::Instance().repaints;
    EXPECT_EQ(7, std::count(repaints.begin(), repaints.end(), &w.gbxInstall));
}

TEST_F(Wizard, OlderFilesAskThroughTheOverwriteDialog)
{
    SetFreeSpace("1000000");
    std::string files;
    int index = 0;
    for (std::string name : {"a", "b", "c", "d"}) {
        Medium(name + ".txt", "new " + name);
        std::string existing = "C:\\Program Files\\Demo\\" + name + ".txt";
        std::filesystem::create_directories(test::HostFile(existing).parent_path());
        dir.Write("root/drive_c/Program Files/Demo/" + name + ".txt", "old " + name);
        ASSERT_TRUE(platform::SetLastWriteTime(existing, {static_cast<std::uint16_t>((2099 - 1980) << 9 | 1 << 5 | 1), 0}));
        files += std::to_string(++index) + "=" + name + ".txt," + name + ".txt,1,%APPPATH,Y\n";
    }
    auto& ui = HeadlessUi::Instance();
    std::vector<std::string> shown;
    // No for a, the close box for b (which answers Yes), Yes to All for c; d is not asked.
    auto answer = [&](int which) {
        return [&, which](platform::Form& form) {
            const auto& controls = form.Children();
            std::string texts;
            for (const platform::Control* c : controls) texts += c->Text() + "|";
            shown.push_back(texts);
            if (which < 0) {
                form.Close();
                return;
            }
            for (platform::Control* c : controls) {
                bool wanted = c->GetKind() == platform::Control::Kind::Button &&
                              c->Text() == (which == 1 ? "&No" : "Yes to &All");
                if (wanted) {
                    EXPECT_TRUE(Press(static_cast<platform::Button&>(*c)));
                }
            }
        };
    };
    ui.modalScripts = {answer(1), answer(-1), answer(2)};
    WriteSetup({{"Route", "5"}, {"TotalSize", "10"}}, files);
    auto wizard = Start();
    ASSERT_EQ(3u, shown.size());
    EXPECT_EQ(std::vector<std::string>(3, "The file being installed is older than an existing file"), ui.shownCaptions);
    EXPECT_NE(std::string::npos, shown[0].find("a.txt|")) << shown[0];
    EXPECT_NE(std::string::npos, shown[0].find("01/01/2099|")) << shown[0];
    EXPECT_NE(std::string::npos, shown[2].find("c.txt|")) << shown[2];
    auto installed = [&](const std::string& name) {
        return test::ReadBytes(dir.Path() / "root/drive_c/Program Files/Demo" / (name + ".txt"));
    };
    EXPECT_EQ("old a", installed("a"));
    EXPECT_EQ("new b", installed("b"));
    EXPECT_EQ("new c", installed("c"));
    EXPECT_EQ("new d", installed("d"));
    EXPECT_EQ("Demo has been successfully installed.", wizard->lblResult.Text());
}

TEST_F(Wizard, RouteStartingOnTheDestinationPageShowsTheDescriptionsChoices)
{
    WriteSetup({{"Route", "2345"}, {"NewDirectory", "Vendor\\Demo"}});
    auto w = Start();
    EXPECT_EQ(1, w->nbMain.PageIndex());
    EXPECT_EQ("Installation", w->grpDestination.Text());
    EXPECT_EQ("C:\\Program Files", w->edtDirectory.Text());
    EXPECT_EQ("Vendor\\Demo", w->edtNew.Text());
    EXPECT_FALSE(w->btnPrevious.Enabled());
    EXPECT_TRUE(Messages().empty());
}

TEST_F(Wizard, RouteWithoutStartMenuPageKeepsTheDescriptionsMenu)
{
    SetFreeSpace("1000000");
    WriteSetup({{"Route", "0125"}, {"NewMenu", "Menu"}});
    auto w = Start();
    const std::string startMenu = w->Installation()->StartMenu;
    Press(w->btnNext);
    Press(w->btnNext);
    EXPECT_EQ(1, w->nbMain.PageIndex());
    Press(w->btnNext);
    EXPECT_EQ(3, w->nbMain.PageIndex()) << "no Start Menu page, no summary";
    EXPECT_EQ(startMenu, w->Installation()->StartMenu);
    EXPECT_EQ("Menu", w->Installation()->NewMenu);
}

TEST_F(Wizard, RouteCharacterThatIsNoDigitShowsTheConversionMessageAndCloses)
{
    WriteSetup({{"Route", "01X5"}});
    auto w = Start();
    Press(w->btnNext);
    EXPECT_FALSE(w->Window().Closed());
    Press(w->btnNext);
    ASSERT_EQ(1u, Messages().size());
    EXPECT_EQ("'X' is not a valid integer value", Messages()[0].text);
    EXPECT_EQ("Error", Messages()[0].title);
    EXPECT_TRUE(w->Window().Closed());
}

TEST_F(Wizard, DigitWithoutPageAndEndOfRouteShowTheSetupError)
{
    WriteSetup({{"Route", "0175"}});
    auto w = Start();
    Press(w->btnNext);
    Press(w->btnNext);
    ASSERT_EQ(1u, Messages().size());
    EXPECT_EQ("Error in Setup.ini.  Setup will terminate", Messages()[0].text);
    EXPECT_TRUE(w->Window().Closed());

    // An empty Route has no first page: construction shows the same error
    // and the window is never shown.
    HeadlessUi::Instance().Reset();
    WriteSetup({{"Route", ""}});
    auto empty = Start();
    empty->ShowModal();
    ASSERT_EQ(1u, Messages().size());
    EXPECT_EQ("Error in Setup.ini.  Setup will terminate", Messages()[0].text);
    EXPECT_TRUE(HeadlessUi::Instance().shownCaptions.empty());
}

TEST_F(Wizard, MissingTextFileShowsTheFileOpenMessage)
{
    WriteSetup({{"Route", "10"}, {"License", "gone.rtf"}});
    auto w = Start();
    Press(w->btnNext);
    ASSERT_EQ(1u, Messages().size());
    EXPECT_EQ("Cannot open file D:\\Medium\\gone.rtf", Messages()[0].text);
    EXPECT_TRUE(w->Window().Closed());
}

TEST_F(Wizard, SpaceCheckPassesWhenFreeSpaceEqualsTheSize)
{
    SetFreeSpace("900");
    WriteSetup({{"Route", "23"}});
    auto w = Start();
    Press(w->btnNext);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(2, w->Step());
}

TEST_F(Wizard, SpaceCheckFailureKeepsThePageWithNextDisabled)
{
    SetFreeSpace("500");
    WriteSetup({{"Route", "123"}});
    auto w = Start();
    Press(w->btnNext);
    Press(w->btnNext);
    ASSERT_EQ(1u, Messages().size());
    EXPECT_EQ("You do not have enough space on drive:C:\\\rApplication Size: 900\r       Free space: 500",
              Messages()[0].text);
    EXPECT_EQ(MessageKind::Error, Messages()[0].kind);
    EXPECT_EQ(2, w->Step());
    EXPECT_FALSE(w->btnNext.Enabled());
    EXPECT_FALSE(Press(w->btnNext));

    // Going back enables Next again, without a check.
    Press(w->btnPrevious);
    EXPECT_TRUE(w->btnNext.Enabled());
    Press(w->btnNext);
    EXPECT_EQ(2, w->Step());
    Press(w->btnNext);
    EXPECT_FALSE(w->btnNext.Enabled());
    EXPECT_EQ(2u, Messages().size());

    // The "..." button checks the drive shown before its dialog opens; a
    // cancelled dialog changes nothing else.
    SetFreeSpace("2000");
    Press(w->sbtnDirectory);
    EXPECT_TRUE(w->btnNext.Enabled());
    EXPECT_EQ("C:\\Program Files", w->edtDirectory.Text());
    ASSERT_EQ(1u, HeadlessFolderDialogs::Instance().shown.size());
    Press(w->btnNext);
    EXPECT_EQ(3, w->Step());
}

TEST_F(Wizard, ChosenFoldersGoToTheEngineAndTheDirectoryBox)
{
    WriteSetup({{"Route", "234"}});
    auto w = Start();
    auto& dialogs = HeadlessFolderDialogs::Instance();
    dialogs.answers.push_back(HeadlessFolderAnswer::Choose("D:\\Apps"));
    Press(w->sbtnDirectory);
    EXPECT_EQ("D:\\Apps", w->Installation()->Directory);
    EXPECT_EQ("D:\\Apps", w->edtDirectory.Text());
    ASSERT_EQ(1u, dialogs.shown.size());
    EXPECT_EQ(std::vector<std::string>{"C:\\Program Files"}, dialogs.shown[0].selectRequests);
    EXPECT_EQ(platform::WindowIdOf(w->Window()), dialogs.shown[0].owner) << "the wizard owns the browser";

    Press(w->btnNext);
    dialogs.answers.push_back(HeadlessFolderAnswer::Choose("C:\\WINDOWS\\Start Menu\\Tools"));
    Press(w->sbtnDirectory);
    EXPECT_EQ("C:\\WINDOWS\\Start Menu\\Tools", w->Installation()->StartMenu);
    EXPECT_EQ("\\Tools", w->edtDirectory.Text());

    Press(w->btnNext);
    EXPECT_EQ("D:\\Apps\\Demo", w->lblInstallDirectory.Text());
    EXPECT_EQ("\\Tools\\Demo", w->lblInstallProgramMenu.Text());
}

TEST_F(Wizard, TypedFolderNamesAreTrimmedIntoTheirOwnChoice)
{
    WriteSetup({{"Route", "234"}});
    auto w = Start();
    EXPECT_FALSE(Type(w->edtDirectory, "X:\\")) << "the directory box is read-only";
    ASSERT_TRUE(Type(w->edtNew, "  Demo 2  "));
    EXPECT_EQ("Demo 2", w->Installation()->NewDirectory);
    EXPECT_EQ("Demo", w->Installation()->NewMenu);
    Press(w->btnNext);
    ASSERT_TRUE(Type(w->edtNew, "\tMenu "));
    EXPECT_EQ("Menu", w->Installation()->NewMenu);
    EXPECT_EQ("Demo 2", w->Installation()->NewDirectory);
    // Back on the destination page the box shows the engine's value again.
    Press(w->btnPrevious);
    EXPECT_EQ("Demo 2", w->edtNew.Text());
    ASSERT_TRUE(Type(w->edtNew, ""));
    EXPECT_EQ("", w->Installation()->NewDirectory);
}

TEST_F(Wizard, SummaryAbbreviatesLongPathsAndReplacesTheTitleOnce)
{
    WriteSetup({{"Route", "2345"}, {"Directory", "C:\\Program Files\\Vendor\\Demo"}, {"NewDirectory", "Bin"}});
    auto w = Start();
    Press(w->btnNext);
    Press(w->btnNext);
    EXPECT_EQ("C:\\Program Files\\...\\Demo\\Bin", w->lblInstallDirectory.Text());
    const std::string location = w->lblInstallLocation.Text();
    EXPECT_EQ(0u, location.find("Demo will be installed"));
    Press(w->btnPrevious);
    Press(w->btnNext);
    EXPECT_EQ(location, w->lblInstallLocation.Text());
    EXPECT_EQ("Demo Setup", w->Window().Caption());
}

TEST_F(Wizard, RunQuestionComesAfterSuccessAndEitherAnswerCloses)
{
    SetFreeSpace("1000000");
    for (bool yes : {false, true}) {
        HeadlessUi::Instance().Reset();
        WriteSetup({{"Route", "45"}, {"Run", "%APPPATH\\a.txt"}, {"Run Description", "Demo now"},
                    {"NewDirectory", yes ? "Yes" : "No"}});
        auto w = Start();
        HeadlessUi::Instance().answers = {yes};
        Press(w->btnNext);
        ASSERT_EQ(1u, Messages().size());
        EXPECT_EQ("Do you want to run Demo now", Messages()[0].text);
        EXPECT_EQ("Confirm", Messages()[0].title);
        EXPECT_TRUE(w->Window().Closed());
        EXPECT_EQ("&Finish", w->btnNext.Text());
    }
}

TEST_F(Wizard, FinishAfterAnInstallationAtStartClosesWithoutAnError)
{
    SetFreeSpace("1000000");
    WriteSetup({{"Route", "5"}, {"Run", "%APPPATH\\a.txt"}, {"Run Description", "Demo now"}});
    HeadlessUi::Instance().answers = {false};
    auto w = Start();
    ASSERT_EQ(1u, Messages().size()) << "the run question";
    EXPECT_FALSE(w->Window().Closed());
    EXPECT_EQ("&Finish", w->btnNext.Text());
    ASSERT_TRUE(Press(w->btnNext));
    EXPECT_TRUE(w->Window().Closed());
    EXPECT_EQ(1u, Messages().size()) << Messages().back().text;
}

TEST_F(Wizard, FailedInstallationKeepsTheWindowWithTheErrorText)
{
    SetFreeSpace("1000000");
    WriteSetup({{"Route", "253"}}, "1=missing.txt,a.txt,1,%APPPATH,N\n");
    auto w = Start();
    Press(w->btnNext);
    EXPECT_FALSE(w->Window().Closed());
    EXPECT_EQ(3, w->nbMain.PageIndex());
    EXPECT_NE("", w->lblResult.Text());
    EXPECT_EQ(std::string::npos, w->lblResult.Text().find("successfully"));
    EXPECT_TRUE(Messages().empty()) << "no message box for a failed installation";
    EXPECT_FALSE(w->btnPrevious.Visible());
    EXPECT_TRUE(w->btnExit.Enabled());
    EXPECT_EQ("&Next >>", w->btnNext.Text());
    // Not the last step: Next goes on to the Start Menu page.
    ASSERT_TRUE(Press(w->btnNext));
    EXPECT_EQ(3, w->Step());
    EXPECT_FALSE(w->btnPrevious.Visible());

    // As the last step, Next stays disabled; Exit asks before closing.
    HeadlessUi::Instance().Reset();
    WriteSetup({{"Route", "25"}}, "1=missing.txt,a.txt,1,%APPPATH,N\n");
    auto last = Start();
    Press(last->btnNext);
    EXPECT_FALSE(last->btnNext.Enabled());
    HeadlessUi::Instance().answers = {false, true};
    Press(last->btnExit);
    EXPECT_EQ("Demo will not be installed. Are you sure?", Messages().back().text);
    EXPECT_FALSE(last->Window().Closed());
    Press(last->btnExit);
    EXPECT_TRUE(last->Window().Closed());
}

TEST_F(Wizard, KeyboardReachesTheControlsInTabOrder)
{
    WriteSetup({{"Route", "23"}});
    auto w = Start();
    const platform::Form& form = w->Window();
    // Previous is disabled on the first page, so it is skipped.
    std::vector<const platform::Control*> order;
    const platform::Control* at = nullptr;
    for (int i = 0; i < 5; ++i) order.push_back(at = form.NextTabStop(at, true));
    EXPECT_EQ((std::vector<const platform::Control*>{&w->edtDirectory, &w->edtNew, &w->btnNext, &w->btnExit,
                                                     &w->edtDirectory}),
              order);
    EXPECT_EQ(&w->btnExit, form.NextTabStop(&w->edtDirectory, false));
    EXPECT_EQ(&w->btnNext, form.FindAccelerator('n'));
    EXPECT_EQ(&w->btnExit, form.FindAccelerator('E'));
    EXPECT_EQ(nullptr, form.FindAccelerator('p')) << "a disabled button has no accelerator";
}

TEST_F(Wizard, InputQueuedDuringTheInstallationIsDroppedBeforeEachQuestion)
{
    SetFreeSpace("1000000");
    const std::string existing = "C:\\Program Files\\Demo\\a.txt";
    std::filesystem::create_directories(test::HostFile(existing).parent_path());
    dir.Write("root/drive_c/Program Files/Demo/a.txt", "newer");
    ASSERT_TRUE(platform::SetLastWriteTime(existing, {static_cast<std::uint16_t>((2099 - 1980) << 9 | 1 << 5 | 1), 0}));
    WriteSetup({{"Route", "45"}, {"Run", "%APPPATH\\a.txt"}, {"Run Description", "Demo now"}},
               "1=a.txt,a.txt,1,%APPPATH,Y\n");
    auto w = Start();
    auto& ui = HeadlessUi::Instance();
    ASSERT_TRUE(ui.events.empty()) << "nothing is dropped before the installation";
    bool buttonsDisabled = false;
    ui.modalScripts = {[&](platform::Form& form) {
        buttonsDisabled = !w->btnNext.Enabled() && !w->btnExit.Enabled();
        form.Close();
    }};
    ui.answers = {false};
    ASSERT_TRUE(Press(w->btnNext));
    EXPECT_EQ((std::vector<std::string>{"discard input",
                                        "form: The file being installed is older than an existing file",
                                        "discard input", "box: Confirm"}),
              ui.events);
    EXPECT_TRUE(buttonsDisabled) << "Next and Exit look usable while the engine runs";
    EXPECT_TRUE(w->btnNext.Enabled());
    EXPECT_FALSE(w->btnExit.Enabled());
}

TEST_F(Wizard, FocusOnAControlThatGoesPassesToTheNextInTabOrder)
{
    WriteSetup({{"Route", "0124"}});
    auto w = Start();
    // Previous focused on the second page, then back to the first: it is
    // disabled under the focus, which passes on to Next.
    ASSERT_TRUE(Press(w->btnNext));
    w->btnPrevious.SetFocus();
    ASSERT_TRUE(Press(w->btnPrevious));
    EXPECT_FALSE(w->btnPrevious.Enabled());
    EXPECT_TRUE(w->btnNext.Focused());
    EXPECT_EQ(&w->btnExit, w->Window().NextTabStop(&w->btnNext, true)) << "Tab goes on from there";

    // The folder name box focused, then the page with it is hidden.
    ASSERT_TRUE(Press(w->btnNext));
    ASSERT_TRUE(Press(w->btnNext));
    w->edtNew.SetFocus();
    ASSERT_TRUE(Press(w->btnNext));
    EXPECT_EQ(2, w->nbMain.PageIndex());
    EXPECT_TRUE(w->btnPrevious.Focused());
}

TEST_F(Wizard, FailedInstallationGivesExitBackAndNextAsTheRouteAllows)
{
    SetFreeSpace("1000000");
    for (const char* route : {"5", "52"}) {
        HeadlessUi::Instance().Reset();
        WriteSetup({{"Route", route}}, "1=missing.txt,a.txt,1,%APPPATH,N\n");
        auto w = Start();
        EXPECT_TRUE(w->btnExit.Enabled()) << route;
        EXPECT_EQ(std::string(route).size() > 1, w->btnNext.Enabled()) << route;
    }
}

} // namespace
