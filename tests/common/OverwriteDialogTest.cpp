// The overwrite question's dialog: what it shows and what each button answers.
#include "TestSupport.h"

#include "platform/Files.h"
#include "wizard/OverwriteForm.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace tarvex;
using tarvex::test::HostFile;
using tarvex::test::InstallSandbox;

namespace {

platform::DosDateTime Dos(int year, int month, int day)
{
    return {static_cast<std::uint16_t>((year - 1980) << 9 | month << 5 | day), static_cast<std::uint16_t>(13 << 11)};
}

class OverwriteDialog : public ::testing::Test {
protected:
    // A file below the sandbox's base folder with the given date.
    std::string File(const std::string& name, const platform::DosDateTime& when)
    {
        std::string path = box.Base() + "\\" + name;
        std::ofstream(HostFile(path), std::ios::binary) << "x";
        EXPECT_TRUE(platform::SetLastWriteTime(path, when));
        return path;
    }
    InstallSandbox box;
};

TEST_F(OverwriteDialog, LaysOutTheQuestionWithYesFocusedFirst)
{
    TfmOverWrite dialog('/');
    const platform::Form& form = dialog.Window();
    EXPECT_EQ("The file being installed is older than an existing file", form.Caption());
    EXPECT_EQ(350, form.GetBounds().width);
    EXPECT_EQ(215, form.GetBounds().height);
    EXPECT_EQ(&dialog.btnYes, form.ActiveControl());
    EXPECT_EQ(&dialog.btnYes, form.DefaultButton());
    EXPECT_EQ(TOverwriteMode::omYes, dialog.Answer());

    struct Expected {
        const platform::Button& button;
        const char* caption;
        int left;
    };
    int order = 0;
    for (const Expected& e : {Expected{dialog.btnYes, "&Yes", 11}, Expected{dialog.btnNo, "&No", 95},
                              Expected{dialog.btnYesToAll, "Yes to &All", 179},
                              Expected{dialog.btnNoToAll, "N&o To All", 263}}) {
        EXPECT_EQ(e.caption, e.button.Text());
        EXPECT_EQ(e.left, e.button.GetBounds().left);
        EXPECT_EQ(181, e.button.GetBounds().top);
        EXPECT_EQ(order++, e.button.TabOrder());
    }
    // Headings bold, the values in the same face without bold.
    EXPECT_TRUE(dialog.Label1.Font().bold);
    EXPECT_EQ("Overwrite:", dialog.lblOverwriteHeading.Text());
    EXPECT_FALSE(dialog.lblInstallFile.Font().bold);
    EXPECT_EQ("Arial", dialog.lblExistingDate.Font().face);
    EXPECT_EQ("Existing File", dialog.lblExistingFile.Text());
    // Alt plus the marked letter reaches each answer.
    EXPECT_EQ(&dialog.btnNoToAll, const_cast<platform::Form&>(form).FindAccelerator('o'));
    EXPECT_EQ(&dialog.btnYesToAll, const_cast<platform::Form&>(form).FindAccelerator('a'));
}

TEST_F(OverwriteDialog, ShowsBareNamesAndModifiedDatesWithTheDateSeparator)
{
    std::string installing = File("new.dll", Dos(1998, 12, 25));
    std::string existing = File("old.dll", Dos(2003, 2, 7));
    TfmOverWrite dialog('.');
    dialog.SetInstallFile(installing);
    dialog.SetExistingFile(existing);
    EXPECT_EQ("new.dll", dialog.lblInstallFile.Text());
    EXPECT_EQ("25.12.1998", dialog.lblInstallDate.Text());
    EXPECT_EQ("old.dll", dialog.lblExistingFile.Text());
    EXPECT_EQ("07.02.2003", dialog.lblExistingDate.Text());

    // The same file again reads the same; a file that can't be read shows the empty date.
    dialog.SetExistingFile(installing);
    EXPECT_EQ("25.12.1998", dialog.lblExistingDate.Text());
    dialog.SetExistingFile(box.Base() + "\\missing.dll");
    EXPECT_EQ("missing.dll", dialog.lblExistingFile.Text());
    EXPECT_EQ(FormatDate(kEmptyDate, '.'), dialog.lblExistingDate.Text());
    EXPECT_EQ("25.12.1998", dialog.lblInstallDate.Text());
}

TEST_F(OverwriteDialog, EachButtonAnswersAndCloses)
{
    struct Case {
        platform::Button TfmOverWrite::*button;
        TOverwriteMode answer;
    };
    for (const Case& c : {Case{&TfmOverWrite::btnYes, TOverwriteMode::omYes},
                          Case{&TfmOverWrite::btnNo, TOverwriteMode::omNo},
                          Case{&TfmOverWrite::btnYesToAll, TOverwriteMode::omYesToAll},
                          Case{&TfmOverWrite::btnNoToAll, TOverwriteMode::omNoToAll}}) {
        TfmOverWrite dialog('/');
        (dialog.*c.button).Click();
        EXPECT_EQ(c.answer, dialog.Answer());
        EXPECT_TRUE(dialog.Window().Closed());
    }
}

} // namespace
