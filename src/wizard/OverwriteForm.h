#pragma once
// The question the copy phase asks when the file being installed is older
// than the one already at its destination: names and dates of both, and
// four answers.
#include "engine/FileInfo.h"
#include "platform/Ui.h"
#include "setup_description/InstallOption.h"

#include <string>

namespace tarvex {

class TfmOverWrite {
public:
    static constexpr int kClientWidth = 350;
    static constexpr int kClientHeight = 215;

    // dateSeparator replaces each '/' of "dd/mm/yyyy" in the dates shown.
    explicit TfmOverWrite(char dateSeparator);
    TfmOverWrite(const TfmOverWrite&) = delete;
    TfmOverWrite& operator=(const TfmOverWrite&) = delete;

    // Fill the upper block (the file being installed) and the lower one
    // (the file already there) from the files' names and stamps.
    void SetInstallFile(const std::string& fileName);
    void SetExistingFile(const std::string& fileName);

    // Returns when the dialog closes; Answer then holds the choice.
    void ShowModal() { form_.ShowModal(); }
    TOverwriteMode Answer() const { return Answer_; }
    const platform::Form& Window() const { return form_; }

    void btnYesClick() { Choose(TOverwriteMode::omYes); }
    void btnNoClick() { Choose(TOverwriteMode::omNo); }
    void btnYesToAllClick() { Choose(TOverwriteMode::omYesToAll); }
    void btnNoToAllClick() { Choose(TOverwriteMode::omNoToAll); }

private:
    void Choose(TOverwriteMode answer);
    void Describe(const std::string& fileName, platform::Label& name, platform::Label& date);

    platform::Form form_;

public:
    platform::Label Label1;
    platform::Label lblInstallFileHeading;
    platform::Label lblInstallFile;
    platform::Label lblInstallDateHeading;
    platform::Label lblInstallDate;
    platform::Label lblOverwriteHeading;
    platform::Label lblFileName;
    platform::Label lblExistingFile;
    platform::Label Label2;
    platform::Label lblExistingDate;
    platform::Button btnYes;
    platform::Button btnNo;
    platform::Button btnYesToAll;
    platform::Button btnNoToAll;

private:
    TFileInfo fiFile;
    char dateSeparator_;
    // Closing the dialog any other way than by a button leaves Yes.
    TOverwriteMode Answer_ = TOverwriteMode::omYes;
};

} // namespace tarvex
