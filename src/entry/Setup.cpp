// setup.exe: the program's entry point.
#include "base/Exception.h"
#include "medium/EmbeddedMedium.h"
#include "paths/PathText.h"
#include "platform/ComApartment.h"
#include "platform/ProgressWindow.h"
#include "platform/System.h"
#include "platform/Ui.h"
#include "wizard/SetupForm.h"
#include "wizard/UnattendedSetup.h"

namespace {

constexpr char kDamaged[] = "The installation program is damaged. Please obtain a new copy.";
// Below this a carried medium is ready before a window could be seen.
constexpr std::uint64_t kProgressFrom = 4u << 20;

class WindowProgress : public tarvex::TEmbeddedMedium::Progress {
public:
    WindowProgress() : window_("Setup", "Preparing the installation...") {}
    void Advance(std::uint64_t done, std::uint64_t total) override { window_.SetPosition(done, total); }

private:
    tarvex::platform::ProgressWindow window_;
};

} // namespace

int main()
{
    using namespace tarvex;
    platform::InitUi();
    const std::string commandLine = platform::CommandLine();
    const TSetupSwitches switches = ParseSetupSwitches(SplitCommandLine(commandLine));
    if (switches.Mode == TSetupMode::smUsage) {
        platform::ShowMessageBox(kSetupUsage, "Setup", platform::MessageKind::Information);
        return 0;
    }
    const bool wizard = switches.Mode == TSetupMode::smWizard;
    const bool silent = switches.Mode == TSetupMode::smSilent;
    // A carried medium's folder goes with this owner, however the program ends.
    std::unique_ptr<TEmbeddedMedium> medium;
    std::string setupDirectory = ExeDirectory();
    try {
        medium = std::make_unique<TEmbeddedMedium>(platform::ExePath());
        if (medium->Present()) {
            std::unique_ptr<WindowProgress> progress;
            if (!silent && medium->Size() > kProgressFrom) progress = std::make_unique<WindowProgress>();
            medium->Extract(progress.get());
            setupDirectory = medium->Directory();
        }
    } catch (const EMediumDamaged& e) {
        platform::DebugMessage(e.what());
        if (!silent) ShowError(kDamaged);
        return wizard ? 1 : 2; // without a user: an unusable medium
    } catch (const std::exception& e) {
        if (!silent) ShowError(e.what());
        return wizard ? 1 : 2;
    }
    try {
        platform::ComApartment com;
        if (!wizard) return RunUnattendedSetup(switches, setupDirectory, commandLine);
        RunSetup(setupDirectory);
    } catch (const std::exception& e) {
        // Only a failed COM start reaches here; the wizard was never shown,
        // and without a user there is no one to show it to.
        if (wizard) ShowError(e.what());
        return 1;
    }
    return 0;
}
