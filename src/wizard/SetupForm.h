#pragma once
// The wizard form: its controls, the walk along the description's Route,
// the checks before moving on, and the installation page.
#include "base/Exception.h"
#include "components/BrowseFolder.h"
#include "components/GradientBack.h"
#include "components/RotateLabel.h"
#include "engine/Installation.h"
#include "base/Exception.h"
#include "paths/DiskSpace.h"
#include "paths/PathText.h"
#include "platform/Ui.h"
#include "setup_description/DecimalText.h"
#include "setup_description/Route.h"
#include "setup_description/SetupInformation.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tarvex {

class ESetupError : public Exception {
public:
    explicit ESetupError(std::string message) : Exception(std::move(message)) {}
};

// Modal box titled "Error" with the error icon and one OK button.
void ShowError(const std::string& message);
// Modal box titled "Confirm" with Yes and No; true only for Yes.
bool Confirm(const std::string& message);

class TfmSetup {
public:
    static constexpr int kClientWidth = 485;
    static constexpr int kClientHeight = 364;

    // Reads Setup.INI from setupDirectory (ending with a backslash). A
    // failure is shown here and leaves the form told to quit.
    explicit TfmSetup(const std::string& setupDirectory);
    ~TfmSetup();
    TfmSetup(const TfmSetup&) = delete;
    TfmSetup& operator=(const TfmSetup&) = delete;

    void ShowModal();

    const platform::Form& Window() const { return form_; }
    const TSetupInformation* SetupInfo() const { return SetupInfo_.get(); }
    TInstallation* Installation() const { return Installation_.get(); }
    std::uint16_t Step() const { return Step_; }

    // Code of the page at Step: the Route character's digit value.
    std::int16_t PageCode() const;

    // The handlers of the controls.
    void btnNextClick();
    void btnPreviousClick();
    void btnExitClick();
    void sbtnDirectoryClick();
    void sbtnAboutClick();
    void edtNewChange();

    // The path without the Start Menu folder's own path, for display.
    std::string StartMenuRelative(const std::string& path) const;

private:
    platform::Form form_;

public:
    // The controls, in the order they are made.
    platform::Notebook nbMain;
    platform::GroupBox grpNotes;
    platform::GroupBox grpDestination;
    platform::Edit edtDirectory;
    platform::Label lblDirectory;
    platform::SpeedButton sbtnDirectory;
    platform::Button btnPrevious;
    platform::Button btnExit;
    platform::Button btnNext;
    platform::GroupBox grpSettings;
    platform::Label Label1;
    platform::Label lblProgramMenu;
    platform::RichMemo memNotes;
    TBrowseFolder bsBrowse;
    platform::Label lblNew;
    platform::Edit edtNew;
    platform::GroupBox gbxInstall;
    platform::ProgressBar pbProgress;
    platform::Label lblFile;
    platform::Edit edtFile;
    platform::Label lblResult;

private:
    // The window the side bar's gradient and caption are painted on.
    platform::PaintBox logoHost_;

public:
    TGradientBack gbLogo;
    TRotateLabel rlblLogo;
    platform::Label lblLicense;
    platform::Label lblInstallHint;
    platform::Label lblInstallLocation;
    platform::Label lblInstallDirectory;
    platform::Label lblInstallProgramMenu;
    platform::ListBox lbProgress;
    platform::SpeedButton sbtnAbout;

private:
    void CreateControls();
    void FormCreate();
    void FormDestroy();
    void SetUpEngine();
    void ShowPage();
    void ShowLicensePage();
    void ShowReadMePage();
    void ShowDirectoryPage();
    void ShowStartMenuPage();
    void ShowSummaryPage();
    void ShowInstallPage();
    bool CheckDiskSpace();
    bool DoInstall();
    // Before a message box: drops queued input once the installation has started.
    void BeforeQuestion();
    void CopyFileChanged(const std::string& name);
    void StatusChanged(const std::string& text);
    void StepProgress();

    // Two captionless labels of the progress box.
    platform::Label lblProgressGap_;
    platform::Label lblInstallProgress_;

    std::string setupDirectory_;
    std::unique_ptr<TSetupInformation> SetupInfo_;
    std::unique_ptr<TInstallation> Installation_; // freed before SetupInfo_
    std::uint16_t Step_ = 0;
    bool installStarted_ = false;
};

// The wizard unit's entry: runs the wizard modally, then frees it. The
// wizard reads its Setup.INI from setupDirectory.
void RunSetup(const std::string& setupDirectory = ExeDirectory());

} // namespace tarvex
