#include "wizard/UnattendedSetup.h"

#include "paths/PathText.h"
#include "paths/PathTokens.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "wizard/ProgressForm.h"

#include <memory>

namespace tarvex {

namespace {
constexpr char kSetupIni[] = "Setup.INI";
constexpr char kSucceeded[] = " has been successfully installed.";
constexpr char kCancelled[] = "Cancelled: the progress window was closed";

// The administrator's record: one line per event, each with its local
// time, written as it happens. Without /LOG it writes nothing.
class SetupLog {
public:
    explicit SetupLog(const std::string& path)
    {
        if (!path.empty()) file_ = std::make_unique<platform::JournalFile>(path);
    }
    void Line(const std::string& text)
    {
        if (!file_) return;
        platform::LocalDateTime t = platform::LocalNow();
        char stamp[] = "0000-00-00 00:00:00  ";
        const int fields[] = {t.year, t.month, t.day, t.hour, t.minute, t.second};
        const int ends[] = {3, 6, 9, 12, 15, 18}; // the last digit of each field
        for (int i = 0; i < 6; ++i)
            for (int at = ends[i], value = fields[i]; value > 0 && stamp[at] == '0'; --at, value /= 10)
                stamp[at] = static_cast<char>('0' + value % 10);
        // A full disk loses log lines, not the installation.
        file_->Write(stamp + text + "\r\n");
    }

private:
    std::unique_ptr<platform::JournalFile> file_;
};
} // namespace

int RunUnattendedSetup(const TSetupSwitches& switches, const std::string& setupDirectory,
                       const std::string& commandLine)
{
    std::unique_ptr<SetupLog> logFile;
    try {
        logFile = std::make_unique<SetupLog>(switches.LogFile);
    } catch (const std::exception&) {
        return static_cast<int>(TUnattendedResult::urBadSetup); // no log: nowhere to say more
    }
    SetupLog& log = *logFile;
    const bool passive = switches.Mode == TSetupMode::smPassive;
    log.Line(std::string(passive ? "Passive" : "Silent") + " setup: " + commandLine);
    TUnattendedResult result = TUnattendedResult::urInstalled;
    std::string message;
    auto finish = [&] {
        log.Line(message);
        log.Line("Exit code " + std::to_string(static_cast<int>(result)));
        return static_cast<int>(result);
    };
    if (!switches.Error.empty()) {
        result = TUnattendedResult::urBadSetup;
        message = switches.Error;
        return finish();
    }
    std::unique_ptr<TSetupInformation> info;
    try {
        info = std::make_unique<TSetupInformation>(setupDirectory + kSetupIni);
    } catch (const std::exception& e) {
        result = TUnattendedResult::urBadSetup;
        message = e.what() + std::string(": ") + setupDirectory + kSetupIni;
        return finish();
    }

    TInstallation engine(*info);
    engine.MediumDirectory = setupDirectory;
    std::unique_ptr<TfmProgress> window;
    bool done = false;
    // In the passive window the user may close it between two steps.
    auto keepWindowCurrent = [&] {
        if (!window) return;
        platform::ProcessMessages();
        if (window->Window().Closed() && !done) throw EUnattended(TUnattendedResult::urCancelled, kCancelled);
    };
    bool first = true;
    engine.OnStatus = [&](const std::string& status) {
        if (first) {
            first = false;
            log.Line("Product folder " + StripTrailingBackslash(engine.InstallDirectory()) + ", program group " +
                     RemoveDoubleBackslashes(engine.StartMenu + "\\" + engine.NewMenu));
        }
        log.Line(status);
        if (window) window->StatusChanged(status);
        keepWindowCurrent();
    };
    engine.OnCopyFile = [&](const std::string& name) {
        log.Line("Copying " + name);
        if (window) window->CopyFileChanged(name);
        keepWindowCurrent();
    };
    engine.OnStep = [&] {
        if (window) window->StepProgress();
    };
    // Each file is decided on its own, so that each decision is logged.
    const bool replace =
        switches.Overwrite == TOverwriteMode::omYes || switches.Overwrite == TOverwriteMode::omYesToAll;
    engine.OnAskOverwrite = [&](const std::string&, const std::string& existing) {
        log.Line((replace ? "Replacing the newer file " : "Keeping the newer file ") + existing + " (/OVERWRITE=" +
                 switches.OverwriteName + ")");
        return replace ? TOverwriteMode::omYes : TOverwriteMode::omNo;
    };

    auto install = [&] {
        try {
            InstallUnattended(engine, switches.Choices);
            message = info->Title + kSucceeded;
        } catch (const EUnattended& e) {
            result = e.Result();
            message = e.what();
        } catch (const std::exception& e) {
            result = TUnattendedResult::urFailed;
            message = e.what();
        }
        done = true;
    };
    if (!passive) {
        install();
        return finish();
    }
    try {
        window = std::make_unique<TfmProgress>(info->Title, static_cast<int>(info->FileItems.size()) + 5);
        window->Window().OnShown = [&] {
            install();
            window->Window().Close();
        };
        window->Window().ShowModal();
    } catch (const std::exception& e) {
        result = TUnattendedResult::urFailed;
        message = e.what();
    }
    if (!done && result == TUnattendedResult::urInstalled) { // closed before the installation began
        result = TUnattendedResult::urCancelled;
        message = kCancelled;
    }
    return finish();
}

} // namespace tarvex
