#include "wizard/ProgressForm.h"

namespace tarvex {

namespace {
constexpr char kCaptionSuffix[] = " Setup";
const platform::FontSpec kFormFont{"Arial", -12, true, false, false, false, platform::clBlack};
const platform::FontSpec kRegularFont{"Arial", -12, false, false, false, false, platform::clBlack};
const platform::FontSpec kGroupCaptionFont{"Arial", -16, true, false, false, false, platform::clBlack};
} // namespace

TfmProgress::TfmProgress(const std::string& title, int steps)
    : form_(kClientWidth, kClientHeight, kFormFont),
      gbxInstall(&form_, {16, 16, 393, 218}, "Progress"),
      pbProgress(&gbxInstall, {10, 21, 373, 27}),
      lblFile(&gbxInstall, {10, 55, 70, 15}, "Copying File:"),
      edtFile(&gbxInstall, {10, 73, 373, 23}, true),
      lblInstallProgress(&gbxInstall, {10, 104, 93, 15}, "Install Progress:"),
      lbProgress(&gbxInstall, {10, 120, 373, 86}, 15)
{
    using platform::clSilver;
    form_.SetCaption(title + kCaptionSuffix);
    form_.SetColor(clSilver);
    gbxInstall.SetColor(clSilver);
    gbxInstall.SetCaptionFont(kGroupCaptionFont);
    lblFile.SetColor(clSilver);
    lblInstallProgress.SetColor(clSilver);
    for (platform::Control* control : std::initializer_list<platform::Control*>{&edtFile, &lbProgress}) {
        control->SetFont(kRegularFont);
        control->SetColor(clSilver);
    }
    edtFile.SetTabStop(false);
    pbProgress.SetMax(steps);
}

void TfmProgress::CopyFileChanged(const std::string& name)
{
    edtFile.SetText(name);
    gbxInstall.Repaint();
    StepProgress();
}

void TfmProgress::StatusChanged(const std::string& text)
{
    lbProgress.AddLine(text);
    gbxInstall.Repaint();
}

void TfmProgress::StepProgress() { pbProgress.SetPosition(pbProgress.Position() + 1); }

} // namespace tarvex
