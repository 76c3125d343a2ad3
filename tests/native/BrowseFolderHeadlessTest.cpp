// TBrowseFolder against the headless dialog: what Execute asks of the
// dialog, what it hands back, and how the events and extra button behave.
#include "common/MachineSandbox.h"

#include "components/BrowseFolder.h"
#include "platform/Files.h"
#include "platform/Shell.h"
#include "testing/HeadlessFolderDialog.h"

#include <stdexcept>

using namespace tarvex;
using platform::HeadlessFolderAnswer;
using platform::HeadlessFolderDialogs;

namespace {

class BrowseFolderHeadless : public test::MachineSandbox {
protected:
    void SetUp() override
    {
        MachineSandbox::SetUp();
        Dialogs().Reset();
        ASSERT_TRUE(platform::MakeDirectory(kTarget));
    }
    void TearDown() override
    {
        Dialogs().Reset();
        MachineSandbox::TearDown();
    }
    static HeadlessFolderDialogs& Dialogs() { return HeadlessFolderDialogs::Instance(); }
    static const platform::HeadlessFolderDialogRecord& Shown()
    {
        EXPECT_EQ(1u, Dialogs().shown.size());
        return Dialogs().shown.back();
    }

    const std::string kTarget = "C:\\Tarvex Target";
    TBrowseFolder browse;
};

} // namespace

TEST_F(BrowseFolderHeadless, ChosenFolderBecomesDirectory)
{
    browse.Directory = "C:\\Missing";
    browse.Title = "Pick one";
    browse.Flags = {TBrowseInfoFlags::bfFileSysDirsOnly, TBrowseInfoFlags::bfStatusText};
    browse.RootFolder = TSHFolders::foMyComputer;
    Dialogs().answers.push_back(HeadlessFolderAnswer::Choose(kTarget));

    EXPECT_TRUE(browse.Execute());
    EXPECT_EQ(kTarget, browse.Directory);
    EXPECT_EQ(kTarget, browse.CurrentDirectory());
    EXPECT_EQ(3, browse.ImageIndex());
    EXPECT_EQ("Tarvex Target", browse.DisplayName());

    const auto& shown = Shown();
    EXPECT_EQ(0x11, shown.rootFolderId);
    EXPECT_EQ("Pick one", shown.title);
    EXPECT_EQ(0x0005u, shown.flags);
    EXPECT_EQ(0u, shown.owner);
    EXPECT_TRUE(shown.placed);
    EXPECT_TRUE(shown.selectRequests.empty()); // the old directory does not exist
    EXPECT_TRUE(shown.statusTexts.empty());    // ShowPathInStatusArea is off
    EXPECT_FALSE(shown.customButton);
    EXPECT_EQ(shown.handle, browse.DialogHandle());
    EXPECT_FALSE(platform::IsLiveWindow(browse.DialogHandle()));
}

TEST_F(BrowseFolderHeadless, CancelKeepsDirectoryButFollowsSelection)
{
    browse.Directory = kTarget;
    HeadlessFolderAnswer first = HeadlessFolderAnswer::Choose(kTarget);
    first.imageIndex = 9;
    Dialogs().answers.push_back(first);
    ASSERT_TRUE(browse.Execute());
    ASSERT_EQ(9, browse.ImageIndex());

    HeadlessFolderAnswer cancel;
    cancel.selections = {"C:\\WINDOWS", "C:\\Elsewhere"};
    cancel.imageIndex = 1;
    Dialogs().answers.push_back(cancel);
    EXPECT_FALSE(browse.Execute());
    EXPECT_EQ(kTarget, browse.Directory);
    EXPECT_EQ(9, browse.ImageIndex());
    EXPECT_EQ("C:\\Elsewhere", browse.CurrentDirectory());

    // No answer queued: the dialog is cancelled.
    EXPECT_FALSE(browse.Execute());
    EXPECT_EQ(kTarget, browse.Directory);
    EXPECT_EQ(3u, Dialogs().shown.size());
}

TEST_F(BrowseFolderHeadless, ExistingDirectoryIsPreselected)
{
    const std::string startMenu = platform::SpecialFolderPath(0x0B);
    ASSERT_FALSE(startMenu.empty());
    const std::string sub = startMenu + "\\Tarvex Demo";
    ASSERT_TRUE(platform::MakeDirectory(sub));
    browse.RootFolder = TSHFolders::foStartMenu;
    browse.Directory = sub;
    HeadlessFolderAnswer ok;
    ok.ok = true; // OK on the pre-selected folder
    Dialogs().answers.push_back(ok);

    EXPECT_TRUE(browse.Execute());
    EXPECT_EQ(sub, browse.Directory);
    EXPECT_EQ(0x0B, Shown().rootFolderId);
    EXPECT_EQ(std::vector<std::string>{sub}, Shown().selectRequests);

    // Empty and missing directories leave the dialog on its root.
    for (const std::string dir : {"", "C:\\No Such Folder"}) {
        Dialogs().Reset();
        browse.Directory = dir;
        browse.RootFolder = TSHFolders::foDesktopExpanded;
        EXPECT_FALSE(browse.Execute());
        EXPECT_TRUE(Shown().selectRequests.empty()) << dir;
        EXPECT_EQ(platform::kNoRootFolder, Shown().rootFolderId);
        EXPECT_EQ(dir, browse.Directory);
    }
}

TEST_F(BrowseFolderHeadless, OkOnlyForItemsWithAPath)
{
    browse.RootFolder = TSHFolders::foMyComputer;
    browse.Directory = "C:\\Before";
    HeadlessFolderAnswer answer;
    answer.selections = {kTarget, ""}; // a folder, then the computer node
    answer.ok = true;
    Dialogs().answers.push_back(answer);

    EXPECT_FALSE(browse.Execute()); // OK is disabled on the computer node
    EXPECT_EQ("C:\\Before", browse.Directory);
    EXPECT_EQ("", browse.CurrentDirectory());
    const auto& okEnabled = Shown().okEnabled;
    ASSERT_EQ(3u, okEnabled.size()); // the initial selection, then the two
    EXPECT_TRUE(okEnabled[1]);
    EXPECT_FALSE(okEnabled[2]);
}

TEST_F(BrowseFolderHeadless, StatusLineShowsShortenedPath)
{
    browse.Directory = kTarget;
    browse.ShowPathInStatusArea = true;
    HeadlessFolderAnswer answer = HeadlessFolderAnswer::Choose("C:\\Program Files\\Common Files\\Reports\\Archive\\Year");
    answer.selections.insert(answer.selections.begin(), "");
    Dialogs().answers.push_back(answer);

    EXPECT_TRUE(browse.Execute());
    EXPECT_EQ((std::vector<std::string>{kTarget, "", "C:\\...\\Reports\\Archive\\Year"}), Shown().statusTexts);
    // The full path comes back, not the shortened one.
    EXPECT_EQ("C:\\Program Files\\Common Files\\Reports\\Archive\\Year", browse.Directory);
}

TEST_F(BrowseFolderHeadless, EventsSeeTheRunningDialog)
{
    std::vector<std::string> seen;
    WindowId initHandle = 0;
    browse.OnInitialized = [&](TBrowseFolder& sender, WindowId dialog) {
        EXPECT_EQ(&browse, &sender);
        EXPECT_TRUE(platform::IsLiveWindow(dialog));
        initHandle = dialog;
        seen.push_back("init");
    };
    browse.OnSelectionChanged = [&](TBrowseFolder& sender, WindowId dialog, ItemIdList item,
                                    const std::string& directory) {
        EXPECT_EQ(&browse, &sender);
        EXPECT_EQ(initHandle, dialog);
        EXPECT_NE(nullptr, item);
        EXPECT_EQ(directory, sender.CurrentDirectory());
        seen.push_back(directory);
    };
    browse.Directory = kTarget;
    HeadlessFolderAnswer answer;
    answer.selections = {"C:\\WINDOWS"};
    Dialogs().answers.push_back(answer);

    EXPECT_FALSE(browse.Execute());
    EXPECT_EQ((std::vector<std::string>{"init", kTarget, "C:\\WINDOWS"}), seen);
    EXPECT_EQ(initHandle, browse.DialogHandle());
}

TEST_F(BrowseFolderHeadless, CustomButtonMadeFromProperties)
{
    browse.CustomButtonVisible = true;
    browse.SetCustomButtonCaption("Details");
    browse.SetCustomButtonWidth(-5);
    browse.SetCustomButtonEnabled(false);
    int clicks = 0;
    browse.OnCustomButtonClick = [&](TBrowseFolder&, WindowId) { ++clicks; };
    HeadlessFolderAnswer answer = HeadlessFolderAnswer::Choose(kTarget);
    answer.clickCustomButton = true;
    Dialogs().answers.push_back(answer);

    EXPECT_TRUE(browse.Execute());
    const auto& shown = Shown();
    EXPECT_TRUE(shown.customButton);
    EXPECT_EQ("Details", shown.customButtonCaption);
    EXPECT_EQ(75, shown.customButtonWidth);
    EXPECT_EQ(std::vector<bool>{false}, shown.customButtonEnabled);
    EXPECT_EQ(0, clicks); // disabled buttons cannot be clicked
    EXPECT_EQ(shown.customButtonHandle, browse.CustomButtonHandle());

    // The kept handle is dead now: setters only store.
    browse.SetCustomButtonEnabled(true);
    browse.SetCustomButtonCaption("More");
    EXPECT_EQ(std::vector<bool>{false}, Dialogs().shown.back().customButtonEnabled);
    EXPECT_EQ("Details", Dialogs().shown.back().customButtonCaption);

    // The next Execute makes a new, enabled button.
    Dialogs().answers.push_back(answer);
    EXPECT_TRUE(browse.Execute());
    ASSERT_EQ(2u, Dialogs().shown.size());
    EXPECT_EQ("More", Dialogs().shown[1].customButtonCaption);
    EXPECT_NE(Dialogs().shown[0].customButtonHandle, Dialogs().shown[1].customButtonHandle);
    EXPECT_EQ(1, clicks);
}

TEST_F(BrowseFolderHeadless, SyncedButtonFollowsOkAndEventsDriveSetters)
{
    browse.CustomButtonVisible = true;
    browse.SyncCustomButton = true;
    browse.RootFolder = TSHFolders::foMyComputer;
    browse.OnSelectionChanged = [](TBrowseFolder& sender, WindowId, ItemIdList, const std::string& directory) {
        sender.SetCustomButtonCaption(directory.empty() ? "None" : "Use " + directory);
    };
    HeadlessFolderAnswer answer;
    answer.selections = {kTarget, "", kTarget};
    Dialogs().answers.push_back(answer);

    EXPECT_FALSE(browse.Execute());
    const auto& shown = Shown();
    // Created enabled, then one change per selection, as OK goes.
    EXPECT_EQ((std::vector<bool>{true, false, true, false, true}), shown.customButtonEnabled);
    EXPECT_EQ((std::vector<bool>{false, true, false, true}), shown.okEnabled);
    EXPECT_EQ("Use " + kTarget, shown.customButtonCaption);
    EXPECT_TRUE(browse.CustomButtonEnabled());
}

TEST_F(BrowseFolderHeadless, DesignModeClickReportsCurrentDirectory)
{
    browse.CustomButtonVisible = true;
    browse.Designing = true;
    bool raised = false;
    browse.OnCustomButtonClick = [&](TBrowseFolder&, WindowId) { raised = true; };
    HeadlessFolderAnswer answer;
    answer.selections = {kTarget};
    answer.clickCustomButton = true;
    Dialogs().answers.push_back(answer);

    EXPECT_FALSE(browse.Execute());
    EXPECT_FALSE(raised);
    EXPECT_EQ(std::vector<std::string>{"Current directory is " + kTarget}, Shown().informations);
}

TEST_F(BrowseFolderHeadless, ExceptionFromEventLeavesExecute)
{
    browse.Directory = "C:\\Before";
    browse.OnSelectionChanged = [](TBrowseFolder&, WindowId, ItemIdList, const std::string&) {
        throw std::runtime_error("handler failed");
    };
    Dialogs().answers.push_back(HeadlessFolderAnswer::Choose(kTarget));
    EXPECT_THROW(browse.Execute(), std::runtime_error);
    EXPECT_EQ("C:\\Before", browse.Directory);
    EXPECT_FALSE(platform::IsLiveWindow(browse.DialogHandle()));
}

TEST_F(BrowseFolderHeadless, LiveOwnerIsPassedOn)
{
    WindowId dialog = 0;
    browse.OnInitialized = [&](TBrowseFolder&, WindowId handle) { dialog = handle; };
    browse.OwnerWindow = 12345; // not a window: the active window is used
    EXPECT_FALSE(browse.Execute());
    EXPECT_EQ(0u, Dialogs().shown.back().owner);

    // A nested browser owned by the running dialog.
    TBrowseFolder nested;
    browse.OnInitialized = [&](TBrowseFolder&, WindowId handle) {
        nested.OwnerWindow = handle;
        nested.Execute();
    };
    browse.OwnerWindow = 0;
    EXPECT_FALSE(browse.Execute());
    ASSERT_EQ(3u, Dialogs().shown.size());
    EXPECT_EQ(Dialogs().shown[1].handle, Dialogs().shown[2].owner);
    EXPECT_NE(0u, dialog);
}
