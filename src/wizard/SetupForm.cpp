#include "wizard/SetupForm.h"

#include "base/Text.h"
#include "paths/PathText.h"
#include "paths/PathTokens.h"
#include "platform/Shell.h"
#include "platform/System.h"
#include "setup_description/DecimalText.h"
#include "wizard/AboutForm.h"
#include "wizard/LogoBar.h"
#include "wizard/OverwriteForm.h"

namespace tarvex {

namespace {
constexpr char kErrorTitle[] = "Error";
constexpr char kConfirmTitle[] = "Confirm";
constexpr char kSetupIni[] = "Setup.INI";
constexpr char kCaptionSuffix[] = " Setup";
constexpr char kTerminating[] = "Setup will terminate.";

constexpr char kSucceeded[] = " has been successfully installed.";
constexpr char kRunQuestion[] = "Do you want to run ";
constexpr char kExitQuestion[] = " will not be installed. Are you sure?";
constexpr char kStartMenuToken[] = "%STARTMENU";
constexpr char kTitlePlaceholder[] = "%";
constexpr char kFinish[] = "&Finish";

constexpr char kProgramLicense[] = "Program License";
constexpr char kProgramInformation[] = "Program Information";
constexpr char kAgreeLicense[] = "By clicking the Next button you agree with the license.";
constexpr char kInstallation[] = "Installation";
constexpr char kStartMenu[] = "Start Menu";
constexpr char kFolderPath[] = "Folder Path";
constexpr char kStartMenuFolder[] = "Start Menu Folder";
constexpr char kProgramFolder[] = "Program Folder";
constexpr char kProgramMenu[] = "Program Menu";
constexpr char kDirectoryHint[] = " will be installed to the above folder.";
constexpr char kStartMenuHint[] = " icons will be placed in the above Start Menu folder.";
constexpr char kInstallLocation[] =
    "% will be installed to the above directory and start menu folder.  Click Next to begin installation.";

constexpr char kLogoCaption[] = "      Setup Tarvex    ";
constexpr char kAboutGlyph[] = "ABOUT";

// The notebook pages that show the Route's pages.
enum NotebookPages { npNotes, npDestination, npSummary, npInstall };

const platform::FontSpec kFormFont{"Arial", -12, true, false, false, false, platform::clBlack};
const platform::FontSpec kRegularFont{"Arial", -12, false, false, false, false, platform::clBlack};
const platform::FontSpec kGroupCaptionFont{"Arial", -16, true, false, false, false, platform::clBlack};
const platform::FontSpec kLogoFont{"Arial", 40, false, true, false, false, platform::clNavy};

} // namespace

void ShowError(const std::string& message) { platform::ShowMessageBox(message, kErrorTitle, platform::MessageKind::Error); }

bool Confirm(const std::string& message)
{
    return platform::ShowMessageBox(message, kConfirmTitle, platform::MessageKind::Question);
}

// ---- The form ----

TfmSetup::TfmSetup(const std::string& setupDirectory)
    : form_(kClientWidth, kClientHeight, kFormFont),
      nbMain(&form_, {59, 0, 426, 364}, 4),
      grpNotes(&nbMain.GetPage(npNotes), {17, 16, 393, 257}),
      grpDestination(&nbMain.GetPage(npDestination), {24, 16, 393, 145}),
      edtDirectory(&grpDestination, {8, 39, 353, 23}, true),
      lblDirectory(&grpDestination, {8, 23, 55, 15}),
      sbtnDirectory(&grpDestination, {363, 40, 22, 22}, "..."),
      btnPrevious(&form_, {152, 334, 75, 25}, "<< &Previous"),
      btnExit(&form_, {230, 334, 75, 25}, "&Exit"),
      btnNext(&form_, {308, 334, 75, 25}, "&Next >>"),
      grpSettings(&nbMain.GetPage(npSummary), {17, 16, 393, 145}, "Installation Settings"),
      Label1(&grpSettings, {8, 23, 55, 15}, "Directory:"),
      lblProgramMenu(&grpSettings, {8, 80, 87, 15}, "Program Menu:"),
      memNotes(&grpNotes, {5, 17, 383, 233}),
      bsBrowse(&form_),
      lblNew(&grpDestination, {8, 80, 119, 15}),
      edtNew(&grpDestination, {8, 95, 377, 23}, false),
      gbxInstall(&nbMain.GetPage(npInstall), {16, 16, 393, 218}, "Progress"),
      pbProgress(&gbxInstall, {10, 21, 373, 27}),
      lblFile(&gbxInstall, {10, 55, 70, 15}, "Copying File:"),
      edtFile(&gbxInstall, {10, 73, 373, 23}, true),
      // Wraps and grows down the page: a long title keeps its last words.
      lblResult(&nbMain.GetPage(npInstall), {44, 240, 337, 15}, "", platform::TextAlign::Center, true),
      logoHost_(&form_, {0, 0, 59, 364}),
      lblLicense(&nbMain.GetPage(npNotes), {17, 284, 393, 15}, "", platform::TextAlign::Center, false, false),
      lblInstallHint(&nbMain.GetPage(npDestination), {24, 172, 393, 109}, "", platform::TextAlign::Left, true, false),
      lblInstallLocation(&nbMain.GetPage(npSummary), {16, 172, 356, 30}, kInstallLocation, platform::TextAlign::Left,
                         true),
      lblInstallDirectory(&grpSettings, {8, 40, 94, 15}),
      lblInstallProgramMenu(&grpSettings, {8, 97, 124, 15}),
      lbProgress(&gbxInstall, {10, 120, 373, 86}, 15),
      sbtnAbout(&form_, {0, 339, 59, 25}, "", kAboutGlyph),
      lblProgressGap_(&gbxInstall, {24, 100, 3, 15}),
      lblInstallProgress_(&gbxInstall, {10, 104, 93, 15}, "Install Progress:"),
      setupDirectory_(setupDirectory)
{
    CreateControls();
    FormCreate();
}

TfmSetup::~TfmSetup() { FormDestroy(); }

void TfmSetup::CreateControls()
{
    using platform::clSilver;
    nbMain.SetPageNames({"ReadMe", "Install", "Copy", "Install"});
    nbMain.SetColor(clSilver);
    for (int i = 0; i < 4; ++i) nbMain.GetPage(i).SetColor(clSilver);
    nbMain.SetTabOrder(0);
    btnPrevious.SetTabOrder(1);
    btnNext.SetTabOrder(2);
    btnExit.SetTabOrder(3);

    for (platform::GroupBox* box : {&grpNotes, &grpDestination, &grpSettings, &gbxInstall}) {
        box->SetColor(clSilver);
        box->SetCaptionFont(kGroupCaptionFont);
    }
    for (platform::Control* control :
         std::initializer_list<platform::Control*>{&lblLicense, &lblInstallHint, &lblInstallLocation, &lblResult,
                                                   &lblDirectory, &lblNew, &Label1, &lblProgramMenu,
                                                   &lblInstallDirectory, &lblInstallProgramMenu, &lblFile,
                                                   &lblProgressGap_, &lblInstallProgress_})
        control->SetColor(clSilver);
    for (platform::Control* control : std::initializer_list<platform::Control*>{
             &memNotes, &edtDirectory, &edtNew, &edtFile, &lbProgress, &lblInstallDirectory, &lblInstallProgramMenu})
        control->SetFont(kRegularFont);
    for (platform::Control* control :
         std::initializer_list<platform::Control*>{&memNotes, &edtDirectory, &edtFile, &lbProgress})
        control->SetColor(clSilver);

    edtDirectory.SetTabOrder(0);
    edtNew.SetTabOrder(1);
    edtFile.SetTabStop(false);
    pbProgress.SetTabOrder(0);
    lbProgress.SetTabOrder(2);

    bsBrowse.Flags = {};
    bsBrowse.ShowPathInStatusArea = false;
    bsBrowse.SyncCustomButton = false;

    DressLogoBar(logoHost_, gbLogo, rlblLogo, {1, 4, 56, 333}, kLogoFont, kLogoCaption);

    btnNext.OnClick = [this] { btnNextClick(); };
    btnPrevious.OnClick = [this] { btnPreviousClick(); };
    btnExit.OnClick = [this] { btnExitClick(); };
    sbtnDirectory.OnClick = [this] { sbtnDirectoryClick(); };
    sbtnAbout.OnClick = [this] { sbtnAboutClick(); };
    edtNew.OnChange = [this] { edtNewChange(); };
    form_.SetActiveControl(btnNext);
}

void TfmSetup::FormCreate()
{
    try {
        SetupInfo_.reset();
        SetupInfo_ = std::make_unique<TSetupInformation>(setupDirectory_ + kSetupIni);
        SetUpEngine();
        btnPrevious.SetEnabled(false);
        Step_ = 1;
        form_.SetCaption(SetupInfo_->Title + kCaptionSuffix);
        ShowPage();
    } catch (const std::exception& e) {
        ShowError(e.what());
        form_.RequestQuit();
    }
}

void TfmSetup::FormDestroy()
{
    Installation_.reset();
    SetupInfo_.reset();
}

void TfmSetup::SetUpEngine()
{
    Installation_ = std::make_unique<TInstallation>(*SetupInfo_);
    Installation_->MediumDirectory = setupDirectory_; // the program's own directory outside tests
    Installation_->OnCopyFile = [this](const std::string& name) { CopyFileChanged(name); };
    Installation_->OnStatus = [this](const std::string& text) { StatusChanged(text); };
    Installation_->OnStep = [this] { StepProgress(); };
    Installation_->OnAskOverwrite = [](const std::string& installFile, const std::string& existingFile) {
        // Keys and clicks made while the files were copied wait in the queue.
        platform::DiscardQueuedInput();
        TfmOverWrite dialog(platform::DateSeparator());
        dialog.SetInstallFile(installFile);
        dialog.SetExistingFile(existingFile);
        dialog.ShowModal();
        return dialog.Answer();
    };
    SetUpChoices(*Installation_);
}

// ---- Pages ----

std::int16_t TfmSetup::PageCode() const
{
    return RoutePageCode(SetupInfo_->Route, Step_);
}

void TfmSetup::ShowPage()
{
    try {
        switch (PageCode()) {
        case pcLicense: ShowLicensePage(); break;
        case pcReadMe: ShowReadMePage(); break;
        case pcDirectory: ShowDirectoryPage(); break;
        case pcStartMenu: ShowStartMenuPage(); break;
        case pcSummary: ShowSummaryPage(); break;
        case pcInstall: ShowInstallPage(); break;
        default: throw ESetupError(kRouteError);
        }
    } catch (const std::exception& e) {
        BeforeQuestion();
        ShowError(e.what());
        form_.Close();
    }
}

void TfmSetup::ShowLicensePage()
{
    memNotes.SetPlainText(false);
    memNotes.LoadFromFile(setupDirectory_ + SetupInfo_->License);
    lblLicense.SetText(kAgreeLicense);
    grpNotes.SetText(kProgramLicense);
    nbMain.SetPageIndex(npNotes);
}

void TfmSetup::ShowReadMePage()
{
    memNotes.SetPlainText(false);
    lblLicense.SetText("");
    memNotes.LoadFromFile(setupDirectory_ + SetupInfo_->ReadMe);
    grpNotes.SetText(kProgramInformation);
    nbMain.SetPageIndex(npNotes);
}

void TfmSetup::ShowDirectoryPage()
{
    bsBrowse.RootFolder = TSHFolders::foMyComputer;
    edtDirectory.SetText(Installation_->Directory);
    edtNew.SetText(Installation_->NewDirectory);
    grpDestination.SetText(kInstallation);
    lblDirectory.SetText(kFolderPath);
    lblNew.SetText(kProgramFolder);
    lblInstallHint.SetText(SetupInfo_->Title + kDirectoryHint);
    nbMain.SetPageIndex(npDestination);
}

void TfmSetup::ShowStartMenuPage()
{
    bsBrowse.RootFolder = TSHFolders::foStartMenu;
    edtDirectory.SetText(StartMenuRelative(Installation_->StartMenu));
    edtNew.SetText(Installation_->NewMenu);
    grpDestination.SetText(kStartMenu);
    lblDirectory.SetText(kStartMenuFolder);
    lblNew.SetText(kProgramMenu);
    lblInstallHint.SetText(SetupInfo_->Title + kStartMenuHint);
    nbMain.SetPageIndex(npDestination);
}

void TfmSetup::ShowSummaryPage()
{
    lblInstallDirectory.SetText(RemoveDoubleBackslashes(Installation_->Directory + "\\" + Installation_->NewDirectory));
    lblInstallProgramMenu.SetText(
        RemoveDoubleBackslashes(StartMenuRelative(Installation_->StartMenu) + "\\" + Installation_->NewMenu));
    // The placeholder is gone after the first visit; later visits keep the text.
    lblInstallLocation.SetText(
        RemoveDoubleBackslashes(ReplaceFirst(lblInstallLocation.Text(), kTitlePlaceholder, SetupInfo_->Title)));
    nbMain.SetPageIndex(npSummary);
    lblInstallDirectory.SetText(AbbreviatePath(lblInstallDirectory.Text()));
    lblInstallProgramMenu.SetText(AbbreviatePath(lblInstallProgramMenu.Text()));
}

void TfmSetup::ShowInstallPage()
{
    lblResult.SetText("");
    nbMain.SetPageIndex(npInstall);
    btnPrevious.SetVisible(false);
    pbProgress.SetMax(static_cast<int>(SetupInfo_->FileItems.size()) + 5);
    // The window takes no input while the engine runs; it shows so.
    const bool nextFocused = btnNext.Focused();
    installStarted_ = true;
    btnNext.SetEnabled(false);
    btnExit.SetEnabled(false);
    const bool installed = DoInstall();
    btnNext.SetEnabled(installed || Step_ < SetupInfo_->Route.size());
    btnExit.SetEnabled(!installed);
    if (nextFocused && btnNext.Enabled()) btnNext.SetFocus();
    if (!installed) return;
    btnNext.SetText(kFinish);
    if (Trim(SetupInfo_->Run).empty()) return;
    BeforeQuestion();
    if (Confirm(kRunQuestion + SetupInfo_->RunDescription)) {
        RunProgram(RemoveDoubleBackslashes(ExpandTokens(SetupInfo_->Run, *Installation_)), kShowNormal);
        form_.Close();
    }
}

bool TfmSetup::DoInstall()
{
    try {
        Installation_->Install();
        lblResult.SetText(SetupInfo_->Title + kSucceeded);
        return true;
    } catch (const std::exception& e) {
        // Nothing is rolled back: what was installed stays.
        lblResult.SetText(e.what());
        return false;
    }
}

bool TfmSetup::CheckDiskSpace()
{
    std::optional<std::string> shortfall = DiskSpaceShortfall(edtDirectory.Text(), SetupInfo_->TotalSize);
    if (shortfall) {
        BeforeQuestion();
        ShowError(*shortfall);
    }
    return !shortfall;
}

std::string TfmSetup::StartMenuRelative(const std::string& path) const
{
    return ReplaceFirst(path, ExpandTokens(kStartMenuToken, *Installation_), "");
}

// ---- Handlers ----

void TfmSetup::btnNextClick()
{
    // Finish shown before this click (a Route that starts with the installation):
    // there is no next page to walk to, only the end.
    if (btnNext.Text() == kFinish) {
        form_.Close();
        return;
    }
    if (PageCode() == pcDirectory) {
        bool enough = true;
        try {
            enough = CheckDiskSpace();
        } catch (const std::exception&) {
            enough = true; // a failing check does not hold the user up
        }
        btnNext.SetEnabled(enough);
    }
    if (!btnNext.Enabled()) return;
    ++Step_;
    ShowPage();
    btnNext.SetEnabled(Step_ < SetupInfo_->Route.size() || btnNext.Text() == kFinish);
    btnPrevious.SetEnabled(true);
    if (btnNext.Text() == kFinish) form_.Close();
}

void TfmSetup::btnPreviousClick()
{
    --Step_;
    ShowPage();
    btnPrevious.SetEnabled(Step_ > 1);
    btnNext.SetEnabled(true);
}

void TfmSetup::btnExitClick()
{
    BeforeQuestion();
    if (Confirm(SetupInfo_->Title + kExitQuestion)) form_.Close();
}

void TfmSetup::BeforeQuestion()
{
    // Input made while the installation ran waits in the queue and must not
    // answer a box it was never meant for.
    if (installStarted_) platform::DiscardQueuedInput();
}

void TfmSetup::sbtnAboutClick()
{
    TfmAboutBox about;
    about.ShowModal();
}

void TfmSetup::sbtnDirectoryClick()
{
    const std::int16_t code = PageCode();
    if (code == pcDirectory) {
        bsBrowse.Directory = Installation_->Directory;
        btnNext.SetEnabled(CheckDiskSpace());
    } else if (code == pcStartMenu) {
        bsBrowse.Directory = Installation_->StartMenu;
    }
    if (!bsBrowse.Execute()) return;
    if (code == pcDirectory) {
        Installation_->Directory = bsBrowse.Directory;
        edtDirectory.SetText(bsBrowse.Directory);
    } else if (code == pcStartMenu) {
        edtDirectory.SetText(StartMenuRelative(bsBrowse.Directory));
        Installation_->StartMenu = bsBrowse.Directory;
    }
}

void TfmSetup::edtNewChange()
{
    if (!Installation_) return;
    std::string name = Trim(edtNew.Text());
    if (PageCode() == pcDirectory)
        Installation_->NewDirectory = name;
    else
        Installation_->NewMenu = name;
}

// ---- Engine callbacks: the engine runs inside the Next click, so each one
// repaints the progress box itself ----

void TfmSetup::CopyFileChanged(const std::string& name)
{
    edtFile.SetText(name);
    gbxInstall.Repaint();
    StepProgress();
}

void TfmSetup::StatusChanged(const std::string& text)
{
    lbProgress.AddLine(text);
    gbxInstall.Repaint();
}

void TfmSetup::StepProgress() { pbProgress.SetPosition(pbProgress.Position() + 1); }

void TfmSetup::ShowModal() { form_.ShowModal(); }

void RunSetup(const std::string& setupDirectory)
{
    std::unique_ptr<TfmSetup> form;
    try {
        form = std::make_unique<TfmSetup>(setupDirectory);
        form->ShowModal();
        return;
    } catch (const std::exception& e) {
        // The box's text is fixed; the cause goes where a developer looks.
        platform::DebugMessage(e.what());
    } catch (...) {
    }
    ShowError(kTerminating);
}

} // namespace tarvex
