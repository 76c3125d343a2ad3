// Start-up of the wizard through the headless toolkit.
#include "TestSupport.h"

#include "platform/MachineRoot.h"
#include "testing/HeadlessUi.h"
#include "wizard/SetupForm.h"

#include <gtest/gtest.h>

using namespace tarvex;
using tarvex::platform::HeadlessUi;
using tarvex::platform::MessageKind;
using tarvex::test::ScratchDir;

namespace {

const char kDemo[] =
    "[GENERAL]\nTitle=Demo\nExecutable=demo.exe\nReadMe=r.txt\nLicense=l.rtf\nDirectory=%PROGRAMFILES\n"
    "NewDirectory=Demo\nStartMenu=%PROGRAMDIR\nNewMenu=Demo\nTotalSize=1\nRoute=012345\nRun=\nRun Description=\n";

class Startup : public ::testing::Test {
protected:
    void SetUp() override
    {
        HeadlessUi::Instance().Reset();
        platform::SetMachineRoot(dir.File("root"));
        platform::SetMediumFolder(dir.Path().string()); // the setup program's own folder
    }
    void TearDown() override
    {
        platform::SetMediumFolder("");
        platform::SetMachineRoot("");
    }
    ScratchDir dir;
    std::string Directory() const { return dir.Path().string() + "/"; }
};

TEST_F(Startup, MissingDescriptionShowsOneErrorAndNeverTheWizard)
{
    {
        TfmSetup form(Directory());
        form.ShowModal();
        EXPECT_EQ(nullptr, form.SetupInfo());
    }
    auto& ui = HeadlessUi::Instance();
    ASSERT_EQ(1u, ui.messages.size());
    EXPECT_EQ("Error", ui.messages[0].title);
    EXPECT_EQ("Unable to read GENERAL section of ini file", ui.messages[0].text);
    EXPECT_EQ(MessageKind::Error, ui.messages[0].kind);
    EXPECT_TRUE(ui.shownCaptions.empty());
}

TEST_F(Startup, CaptionIsTitleAndSetup)
{
    dir.Write("Setup.INI", kDemo);
    dir.Write("l.rtf", "{\\rtf1 Licence}");
    TfmSetup form(Directory());
    form.ShowModal();
    EXPECT_EQ(1, form.Step());
    // The engine is set up before the first page: choices expanded from the description.
    ASSERT_NE(nullptr, form.Installation());
    EXPECT_EQ("C:\\Program Files", form.Installation()->Directory);
    EXPECT_EQ("Demo", form.Installation()->NewDirectory);
    EXPECT_EQ("Demo", form.Installation()->Title);
    EXPECT_TRUE(HeadlessUi::Instance().messages.empty());
    EXPECT_EQ((std::vector<std::string>{"Demo Setup"}), HeadlessUi::Instance().shownCaptions);
}

TEST_F(Startup, ReadsOnlyTheDescriptionBesideTheProgram)
{
    // A Setup.INI elsewhere (here: a sub-folder) is never looked at.
    std::filesystem::create_directories(dir.Path() / "other");
    dir.Write("other/Setup.INI", kDemo);
    TfmSetup form(Directory());
    EXPECT_EQ(nullptr, form.SetupInfo());
    EXPECT_EQ(1u, HeadlessUi::Instance().messages.size());
}

TEST_F(Startup, ConfirmIsTrueOnlyForYes)
{
    auto& ui = HeadlessUi::Instance();
    ui.answers = {true, false};
    EXPECT_TRUE(Confirm("Sure?"));
    EXPECT_FALSE(Confirm("Sure?"));
    EXPECT_FALSE(Confirm("Closed?"));
    ASSERT_EQ(3u, ui.messages.size());
    EXPECT_EQ("Confirm", ui.messages[0].title);
    EXPECT_EQ(MessageKind::Question, ui.messages[0].kind);
}

TEST_F(Startup, EscapedFailureShowsTheFixedTextAndKeepsItsOwnMessage)
{
    dir.Write("Setup.INI", kDemo);
    dir.Write("l.rtf", "{\\rtf1 Licence}");
    auto& ui = HeadlessUi::Instance();
    ui.modalScripts.push_back([](platform::Form&) { throw Exception("Cannot open file r.txt"); });
    testing::internal::CaptureStderr();
    RunSetup(Directory());
    const std::string logged = testing::internal::GetCapturedStderr();
    ASSERT_EQ(1u, ui.messages.size());
    EXPECT_EQ("Error", ui.messages[0].title);
    EXPECT_EQ("Setup will terminate.", ui.messages[0].text);
    EXPECT_EQ("Cannot open file r.txt\n", logged);
}

} // namespace
