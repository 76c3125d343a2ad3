#pragma once
// The window of the passive mode: the wizard's progress box alone, with
// the status lines, the file being copied and the bar; no questions.
#include "platform/Ui.h"

#include <string>

namespace tarvex {

class TfmProgress {
public:
    static constexpr int kClientWidth = 425;
    static constexpr int kClientHeight = 250;

    // steps: what the bar counts to, one per phase and one per file.
    TfmProgress(const std::string& title, int steps);
    platform::Form& Window() { return form_; }

    // The engine's callbacks, shown at once as the wizard shows them.
    void CopyFileChanged(const std::string& name);
    void StatusChanged(const std::string& text);
    void StepProgress();

private:
    platform::Form form_;

public:
    platform::GroupBox gbxInstall;
    platform::ProgressBar pbProgress;
    platform::Label lblFile;
    platform::Edit edtFile;
    platform::Label lblInstallProgress;
    platform::ListBox lbProgress;
};

} // namespace tarvex
