#include "wizard/OverwriteForm.h"

#include "paths/PathText.h"

namespace tarvex {

namespace {
constexpr char kCaption[] = "The file being installed is older than an existing file";
const platform::FontSpec kDialogFont{"Arial", -12, true, false, false, false, platform::clBlack};
const platform::FontSpec kValueFont{"Arial", -12, false, false, false, false, platform::clBlack};
} // namespace

TfmOverWrite::TfmOverWrite(char dateSeparator)
    : form_(kClientWidth, kClientHeight, kDialogFont),
      Label1(&form_, {16, 5, 0, 0}, "Using:"),
      lblInstallFileHeading(&form_, {16, 31, 0, 0}, "File:"),
      lblInstallFile(&form_, {48, 31, 0, 0}, "InstallFile"),
      lblInstallDateHeading(&form_, {16, 59, 0, 0}, "Date:"),
      lblInstallDate(&form_, {48, 59, 0, 0}, "InstallDate"),
      lblOverwriteHeading(&form_, {16, 84, 0, 0}, "Overwrite:"),
      lblFileName(&form_, {16, 108, 0, 0}, "File:"),
      lblExistingFile(&form_, {48, 108, 0, 0}, "Existing File"),
      Label2(&form_, {16, 132, 0, 0}, "Date:"),
      lblExistingDate(&form_, {48, 132, 0, 0}, "File Date"),
      btnYes(&form_, {11, 181, 77, 27}, "&Yes"),
      btnNo(&form_, {95, 181, 77, 27}, "&No"),
      btnYesToAll(&form_, {179, 181, 77, 27}, "Yes to &All"),
      btnNoToAll(&form_, {263, 181, 77, 27}, "N&o To All"),
      dateSeparator_(dateSeparator)
{
    form_.SetCaption(kCaption);
    for (platform::Label* value : {&lblInstallFile, &lblInstallDate, &lblExistingFile, &lblExistingDate})
        value->SetFont(kValueFont);
    int order = 0;
    for (platform::Button* button : {&btnYes, &btnNo, &btnYesToAll, &btnNoToAll}) button->SetTabOrder(order++);
    // Enter answers Yes; no button cancels, so Escape does nothing.
    btnYes.SetDefault(true);
    form_.SetActiveControl(btnYes);
    btnYes.OnClick = [this] { btnYesClick(); };
    btnNo.OnClick = [this] { btnNoClick(); };
    btnYesToAll.OnClick = [this] { btnYesToAllClick(); };
    btnNoToAll.OnClick = [this] { btnNoToAllClick(); };
}

void TfmOverWrite::Describe(const std::string& fileName, platform::Label& name, platform::Label& date)
{
    fiFile.SetFileName(fileName);
    name.SetText(ExtractFileName(fileName));
    date.SetText(FormatDate(fiFile.DateInfo().Modified, dateSeparator_));
}

void TfmOverWrite::SetInstallFile(const std::string& fileName) { Describe(fileName, lblInstallFile, lblInstallDate); }

void TfmOverWrite::SetExistingFile(const std::string& fileName)
{
    Describe(fileName, lblExistingFile, lblExistingDate);
}

void TfmOverWrite::Choose(TOverwriteMode answer)
{
    Answer_ = answer;
    form_.Close();
}

} // namespace tarvex
