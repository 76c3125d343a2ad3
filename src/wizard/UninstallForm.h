#pragma once
// ridsetup.exe's window and run: the confirmation, a small progress window
// while the engine removes the product, the questions it asks, the end box.
#include "components/GradientBack.h"
#include "components/RotateLabel.h"
#include "engine/Uninstallation.h"
#include "platform/Ui.h"

#include <string>
#include <vector>

namespace tarvex {

// Exit codes of ridsetup.exe.
enum TUninstallExit { ueRemoved = 0, ueError = 1, ueCancelled = 2 };

class TfmUninstall : public TUninstallQuestions {
public:
    static constexpr int kClientWidth = 400;
    static constexpr int kClientHeight = 150;

    TfmUninstall(TUninstallation& engine);
    TfmUninstall(const TfmUninstall&) = delete;
    TfmUninstall& operator=(const TfmUninstall&) = delete;

    // Shows the window, removes the product while it is shown, closes it.
    TUninstallResult ShowModal();

    const platform::Form& Window() const { return form_; }

    bool RemoveSharedFile(const std::string& path) override;
    TInUseAnswer FileInUse(const std::string& path) override;
    void Progress(const std::string& item, std::size_t done, std::size_t total) override;
    void Removed(const std::string&) override {}

private:
    TUninstallation& engine_;
    TUninstallResult result_;
    platform::Form form_;
    platform::PaintBox logoHost_;

public:
    TGradientBack gbLogo;
    TRotateLabel rlblLogo;
    platform::GroupBox gbxProgress;
    platform::ProgressBar pbProgress;
    platform::Label lblItem;
    platform::Edit edtItem;
};

// The whole run of ridsetup.exe on its arguments ([/S] LOG, the log quoted
// or not); selfPath is the running program. Returns the exit code.
int RunUninstaller(const std::vector<std::string>& args, const std::string& selfPath);

} // namespace tarvex
