#include "wizard/UninstallForm.h"

#include "base/Ascii.h"
#include "base/Text.h"
#include "platform/MainThread.h"
#include "wizard/LogoBar.h"

#include <functional>
#include <memory>

namespace tarvex {

namespace {
constexpr char kErrorTitle[] = "Error";
constexpr char kConfirmTitle[] = "Confirm";
constexpr char kCaptionSuffix[] = " Uninstall";
constexpr char kSilentSwitch[] = "/S";
constexpr char kNoLog[] = "No uninstall log given.";
constexpr char kConfirmBefore[] = "Are you sure you want to remove ";
constexpr char kConfirmAfter[] = " and all of its components?";
constexpr char kSharedBefore[] = "The file ";
constexpr char kSharedAfter[] = " may be used by other programs. Remove it?";
constexpr char kInUseBefore[] = "The file ";
constexpr char kInUseAfter[] = " is in use by another program. Close that program and choose Retry, or choose "
                               "Ignore to remove the file when you restart your computer.";
constexpr char kLogoCaption[] = " Uninstall ";
constexpr char kRemoving[] = "Removing:";

const platform::FontSpec kFormFont{"Arial", -12, true, false, false, false, platform::clBlack};
const platform::FontSpec kRegularFont{"Arial", -12, false, false, false, false, platform::clBlack};
const platform::FontSpec kLogoFont{"Arial", 22, false, true, false, false, platform::clNavy};

// Fixed answers of the silent run: shared files stay, files in use go at
// the next restart.
class SilentAnswers : public TUninstallQuestions {
public:
    bool RemoveSharedFile(const std::string&) override { return false; }
    TInUseAnswer FileInUse(const std::string&) override { return TInUseAnswer::iuIgnore; }
    void Progress(const std::string&, std::size_t, std::size_t) override {}
    void Removed(const std::string&) override {}
};

int ExitCode(const TUninstallResult& result)
{
    return result.Aborted ? ueCancelled : result.Succeeded() ? ueRemoved : ueError;
}
} // namespace

TfmUninstall::TfmUninstall(TUninstallation& engine)
    : engine_(engine), form_(kClientWidth, kClientHeight, kFormFont, platform::FormBorder::DialogWithoutButtons),
      logoHost_(&form_, {0, 0, 59, kClientHeight}),
      gbxProgress(&form_, {72, 12, 316, 126}, "Progress"),
      pbProgress(&gbxProgress, {10, 24, 296, 24}),
      lblItem(&gbxProgress, {10, 60, 70, 15}, kRemoving),
      edtItem(&gbxProgress, {10, 78, 296, 23}, true)
{
    form_.SetCaption(engine.Log().Title + kCaptionSuffix);
    edtItem.SetFont(kRegularFont);
    DressLogoBar(logoHost_, gbLogo, rlblLogo, {0, 0, 59, kClientHeight}, kLogoFont, kLogoCaption);
}

TUninstallResult TfmUninstall::ShowModal()
{
    auto work = [this] {
        // Nothing may leave a call the message loop runs.
        try {
            result_ = engine_.Run();
        } catch (const std::exception& e) {
            result_.Errors.push_back(e.what());
        }
        form_.Close();
    };
    // Runs once: from the window's messages, or here when none came.
    auto pending = std::make_shared<std::function<void()>>(work);
    auto once = [pending] {
        if (!*pending) return;
        std::function<void()> run = std::move(*pending);
        *pending = nullptr;
        run();
    };
    if (platform::PostToMainThread(once)) form_.ShowModal();
    once();
    return result_;
}

bool TfmUninstall::RemoveSharedFile(const std::string& path)
{
    return platform::ShowMessageBox(kSharedBefore + path + kSharedAfter, form_.Caption(),
                                    platform::MessageKind::QuestionDefaultNo);
}

TInUseAnswer TfmUninstall::FileInUse(const std::string& path)
{
    switch (platform::AskAbortRetryIgnore(kInUseBefore + path + kInUseAfter, form_.Caption())) {
    case platform::MessageChoice::Abort: return TInUseAnswer::iuAbort;
    case platform::MessageChoice::Ignore: return TInUseAnswer::iuIgnore;
    case platform::MessageChoice::Retry: break;
    }
    return TInUseAnswer::iuRetry;
}

void TfmUninstall::Progress(const std::string& item, std::size_t done, std::size_t total)
{
    pbProgress.SetMax(static_cast<int>(total ? total : 1));
    pbProgress.SetPosition(static_cast<int>(done));
    edtItem.SetText(item);
    form_.Repaint();
}

int RunUninstaller(const std::vector<std::string>& args, const std::string& selfPath)
{
    std::size_t first = 0;
    const bool silent = !args.empty() && SameTextAscii(args.front(), kSilentSwitch);
    if (silent) ++first;
    std::string logPath;
    for (std::size_t i = first; i < args.size(); ++i) logPath += (i > first ? " " : "") + args[i];
    logPath = StripQuotes(Trim(logPath));
    auto fail = [silent](const std::string& message) {
        if (!silent) platform::ShowMessageBox(message, kErrorTitle, platform::MessageKind::Error);
        return static_cast<int>(ueError);
    };
    if (logPath.empty()) return fail(kNoLog);
    TUninstallLog log;
    try {
        log = ReadUninstallLog(logPath);
    } catch (const std::exception& e) {
        return fail(e.what());
    }
    const std::string title = log.Title;
    if (silent) {
        SilentAnswers answers;
        TUninstallation engine(std::move(log), logPath, answers);
        engine.SelfPath = selfPath;
        try {
            return ExitCode(engine.Run());
        } catch (const std::exception&) {
            return ueError;
        }
    }
    if (!platform::ShowMessageBox(kConfirmBefore + title + kConfirmAfter, kConfirmTitle, platform::MessageKind::Question))
        return ueCancelled;
    SilentAnswers none; // replaced by the window before the run
    TUninstallation engine(std::move(log), logPath, none);
    TUninstallResult result;
    {
        TfmUninstall window(engine);
        engine.SetQuestions(window);
        engine.SelfPath = selfPath;
        result = window.ShowModal();
        if (!result.Aborted)
            platform::ShowMessageBox(UninstallSummary(title, result), window.Window().Caption(),
                                     result.Succeeded() ? platform::MessageKind::Information
                                                        : platform::MessageKind::Error);
    }
    return ExitCode(result);
}

} // namespace tarvex
