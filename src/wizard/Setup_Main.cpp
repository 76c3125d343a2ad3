#include "wizard/Setup_Main.h"

#include "paths/PathText.h"

namespace tarvex {

namespace {
constexpr char kErrorTitle[] = "Error";
constexpr char kConfirmTitle[] = "Confirm";
constexpr char kSetupIni[] = "Setup.INI";
constexpr char kCaptionSuffix[] = " Setup";
constexpr char kTerminating[] = "Setup will terminate.";
} // namespace

void ShowError(const std::string& message) { platform::ShowMessageBox(message, kErrorTitle, platform::MessageKind::Error); }

bool Confirm(const std::string& message)
{
    return platform::ShowMessageBox(message, kConfirmTitle, platform::MessageKind::Question);
}

TfmSetup::TfmSetup(const std::string& setupDirectory)
    : setupDirectory_(setupDirectory), form_(kClientWidth, kClientHeight)
{
    FormCreate();
}

TfmSetup::~TfmSetup() { FormDestroy(); }

void TfmSetup::FormCreate()
{
    try {
        SetupInfo_.reset();
        SetupInfo_ = std::make_unique<TSetupInformation>(setupDirectory_ + kSetupIni);
        SetUpEngine();
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
    Installation_->OnCopyFile = [this](const std::string& name) { CopyFileChanged(name); };
    Installation_->OnStatus = [this](const std::string& text) { StatusChanged(text); };
    Installation_->OnStep = [this] { StepProgress(); };
    SetUpChoices(*Installation_);
}

void TfmSetup::CopyFileChanged(const std::string&) { StepProgress(); }

void TfmSetup::StatusChanged(const std::string&) {}

void TfmSetup::StepProgress() {}

void TfmSetup::ShowPage() {}

void TfmSetup::ShowModal() { form_.ShowModal(); }

void RunSetup()
{
    std::unique_ptr<TfmSetup> form;
    try {
        form = std::make_unique<TfmSetup>(ExeDirectory());
        form->ShowModal();
    } catch (...) {
        ShowError(kTerminating);
    }
}

} // namespace tarvex
