// The about box and its links as a user works them, headlessly: clicks,
// double-clicks, the context menu, and the wizard's about button.
#include "TestSupport.h"

#include "platform/Clipboard.h"
#include "platform/MainThread.h"
#include "platform/posix/SimulatedShell.h"
#include "testing/HeadlessUi.h"
#include "wizard/AboutForm.h"
#include "wizard/SetupForm.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace tarvex;
using platform::HeadlessUi;
using platform::MouseButton;

namespace {

class UrlLabelUse : public ::testing::Test {
protected:
    void SetUp() override
    {
        HeadlessUi::Instance().Reset();
        platform::OpenedDocuments().clear();
        label.OnClick = [this] { clickColors.push_back(label.Font().color); };
    }
    const std::vector<std::string>& Opened() { return platform::OpenedDocuments(); }

    platform::Form form{200, 100};
    TUrlLabel label{&form, {10, 10, 0, 0}, "Tarvex home"};
    std::vector<platform::Color> clickColors;
};

TEST_F(UrlLabelUse, AClickOpensTheUrlWhileTheActiveColourShows)
{
    label.URL = "http://www.tarvex.org";
    ASSERT_TRUE(PressMouse(label));
    EXPECT_EQ(platform::clPurple, label.Font().color);
    EXPECT_EQ(platform::clBlue, label.SavedColor());
    EXPECT_TRUE(Opened().empty());
    ASSERT_TRUE(ReleaseMouse(label));
    EXPECT_EQ((std::vector<std::string>{"http://www.tarvex.org"}), Opened());
    EXPECT_EQ((std::vector<platform::Color>{platform::clPurple}), clickColors) << "OnClick first, then the link";
    EXPECT_EQ(platform::clBlue, label.Font().color);
}

TEST_F(UrlLabelUse, BlankUrlsFallBackToTheCaptionAndBlankCaptionsOpenNothing)
{
    label.URL = "   ";
    ASSERT_TRUE(ClickOn(label));
    label.SetText(" \t");
    ASSERT_TRUE(ClickOn(label));
    EXPECT_EQ((std::vector<std::string>{"Tarvex home"}), Opened());
    EXPECT_EQ(2u, clickColors.size()) << "OnClick runs all the same";
}

TEST_F(UrlLabelUse, ReleasingElsewhereRestoresTheColourWithoutOpening)
{
    platform::FontSpec font = label.Font();
    font.color = platform::clGreen;
    label.SetFont(font);
    ASSERT_TRUE(PressMouse(label));
    EXPECT_EQ(platform::clPurple, label.Font().color);
    ASSERT_TRUE(ReleaseMouse(label, MouseButton::Left, false));
    EXPECT_EQ(platform::clGreen, label.Font().color);
    EXPECT_TRUE(Opened().empty());
    EXPECT_TRUE(clickColors.empty());
    // A later release without a press is no click either.
    ASSERT_TRUE(ReleaseMouse(label));
    EXPECT_TRUE(Opened().empty());
}

TEST_F(UrlLabelUse, CopyPutsTheCaptionOnTheClipboardAndOtherButtonsLeaveTheColour)
{
    label.URL = "mailto:setup@tarvex.org";
    ASSERT_TRUE(platform::SetClipboardText("before"));
    ASSERT_TRUE(RightClick(label));
    EXPECT_EQ("before", platform::ClipboardText()) << "dismissed";
    ASSERT_TRUE(RightClick(label, "Copy"));
    EXPECT_EQ("Tarvex home", platform::ClipboardText());
    EXPECT_EQ((std::vector<std::vector<std::string>>{{"Copy"}, {"Copy"}}), HeadlessUi::Instance().popups);
    EXPECT_EQ(platform::clBlue, label.Font().color);
    EXPECT_TRUE(Opened().empty());
}

TEST_F(UrlLabelUse, AHiddenLabelTakesNoClicks)
{
    label.SetVisible(false);
    EXPECT_FALSE(ClickOn(label));
    EXPECT_FALSE(RightClick(label, "Copy"));
    EXPECT_TRUE(Opened().empty());
}

class AboutUse : public ::testing::Test {
protected:
    void SetUp() override { HeadlessUi::Instance().Reset(); }
    TfmAboutBox about;
};

TEST_F(AboutUse, DoubleClicksAndABackgroundClickStartAndStopTheBounce)
{
    platform::Form& form = about.Window();
    ASSERT_TRUE(DoubleClickOn(about.piLogo));
    EXPECT_TRUE(about.tmMove.Enabled());
    EXPECT_FALSE(about.ulblWWW.Showing()) << "the links go with the panel";
    EXPECT_FALSE(ClickOn(about.ulblWWW));
    about.tmMoveTimer();

    // A single click on the moving logo does nothing.
    ASSERT_TRUE(ClickOn(about.piLogo));
    EXPECT_TRUE(about.tmMove.Enabled());
    ASSERT_TRUE(ClickOn(form));
    EXPECT_FALSE(about.tmMove.Enabled());
    EXPECT_TRUE(about.btnOK.Showing());
    EXPECT_EQ(&about.pnAbout, about.piLogo.Parent());
    EXPECT_EQ(13, about.piLogo.GetBounds().left);

    // A click on the still dialog's background does nothing either.
    ASSERT_TRUE(ClickOn(form));
    EXPECT_FALSE(about.tmMove.Enabled());

    // A second double-click on the moving logo stops it too.
    ASSERT_TRUE(DoubleClickOn(about.piLogo));
    ASSERT_TRUE(about.tmMove.Enabled());
    ASSERT_TRUE(DoubleClickOn(about.piLogo));
    EXPECT_FALSE(about.tmMove.Enabled());
    EXPECT_TRUE(about.pnAbout.Visible());
    EXPECT_FALSE(form.OnClick);
}

// The wizard, started on its destination page from a minimal medium.
class WizardAbout : public ::testing::Test {
protected:
    void SetUp() override
    {
        HeadlessUi::Instance().Reset();
        platform::SetMachineRoot(dir.File("root"));
        std::filesystem::create_directories(dir.Path() / "root/drive_c/Program Files");
        std::filesystem::create_directories(dir.Path() / "root/drive_d/Medium");
        dir.Write("root/drive_d/Medium/Setup.INI",
                  "[GENERAL]\nTitle=Demo\nExecutable=demo.exe\nReadMe=\nLicense=\nDirectory=%PROGRAMFILES\n"
                  "NewDirectory=Demo\nStartMenu=%PROGRAMDIR\nNewMenu=Demo\nTotalSize=1\nRoute=2\nRun=\n"
                  "Run Description=\n[FILES]\n[DIRECTORIES]\n");
        dir.Write("root/machine.ini", "[Machine]\nFreeSpace=1000000\n");
    }
    void TearDown() override { platform::SetMachineRoot(""); }

    template <class T>
    static T* Find(platform::Container& in, platform::Control::Kind kind, const std::string& text)
    {
        for (platform::Control* child : in.Children()) {
            if (child->GetKind() == kind && child->Text() == text) return static_cast<T*>(child);
            if (dynamic_cast<platform::Container*>(child))
                if (T* found = Find<T>(static_cast<platform::Container&>(*child), kind, text)) return found;
        }
        return nullptr;
    }

    test::ScratchDir dir;
};

TEST_F(WizardAbout, TheAboutButtonShowsTheDialogModallyAndFreesItAfterwards)
{
    auto& ui = HeadlessUi::Instance();
    platform::Form* shown = nullptr;
    ui.modalScripts.push_back([&](platform::Form& form) {
        shown = &form;
        EXPECT_TRUE(form.Shown());
        auto* ok = Find<platform::Button>(form, platform::Control::Kind::Button, "OK");
        ASSERT_NE(nullptr, ok);
        EXPECT_TRUE(platform::Press(*ok));
    });
    TfmSetup wizard("D:\\Medium\\");
    ASSERT_TRUE(ui.messages.empty()) << ui.messages[0].text;
    ASSERT_TRUE(platform::Press(wizard.sbtnAbout));
    EXPECT_EQ((std::vector<std::string>{"Setup Tarvex"}), ui.shownCaptions);
    EXPECT_NE(nullptr, shown);
    EXPECT_TRUE(ui.modalScripts.empty());
    EXPECT_EQ(1, wizard.nbMain.PageIndex()) << "the wizard stays where it was";
}

TEST_F(WizardAbout, TheDialogCanBeClosedWhileTheLogoBounces)
{
    auto& ui = HeadlessUi::Instance();
    ui.modalScripts.push_back([&](platform::Form& form) {
        platform::Control* logo = nullptr;
        for (platform::Control* child : form.Children())
            if (child->GetKind() == platform::Control::Kind::Panel)
                for (platform::Control* inner : static_cast<platform::Container*>(child)->Children())
                    if (inner->GetKind() == platform::Control::Kind::Image) logo = inner;
        ASSERT_NE(nullptr, logo);
        ASSERT_TRUE(DoubleClickOn(*logo));
        EXPECT_EQ(&form, logo->Parent());
        form.Close();
    });
    TfmSetup wizard("D:\\Medium\\");
    ASSERT_TRUE(ui.messages.empty()) << ui.messages[0].text;
    ASSERT_TRUE(platform::Press(wizard.sbtnAbout));
    EXPECT_EQ(1u, ui.shownCaptions.size());
    // No tick of the freed dialog's timer arrives later.
    platform::RunMainThreadCalls();
    ASSERT_TRUE(platform::Press(wizard.sbtnAbout));
    EXPECT_EQ(2u, ui.shownCaptions.size());
}

} // namespace
