#pragma once
// The wizard form and the program's two message boxes.
#include "engine/Installation.h"
#include "platform/Ui.h"
#include "setup_description/SetupInformation.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tarvex {

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
    const TInstallation* Installation() const { return Installation_.get(); }
    std::uint16_t Step() const { return Step_; }

private:
    void FormCreate();
    void FormDestroy();
    void SetUpEngine();
    void ShowPage();
    void CopyFileChanged(const std::string& name);
    void StatusChanged(const std::string& text);
    void StepProgress();

    std::string setupDirectory_;
    platform::Form form_;
    std::unique_ptr<TSetupInformation> SetupInfo_;
    std::unique_ptr<TInstallation> Installation_; // freed before SetupInfo_
    std::uint16_t Step_ = 0;
};

// The wizard unit's entry: runs the wizard modally, then frees it.
void RunSetup();

} // namespace tarvex
