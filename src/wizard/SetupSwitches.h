#pragma once
// setup.exe's command line: the switches that install without a user.
// Without them the wizard runs as ever; arguments that are no switch of
// ours are ignored.
#include "engine/UnattendedInstall.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvex {

// The arguments of a command line as Windows programs split it: blanks and
// tabs separate; "..." holds blanks, and "" inside it is one quote; 2n
// backslashes before a quote are n and the quote counts, 2n+1 are n and a
// literal quote; other backslashes stay. The first argument, the program,
// runs to its closing quote or first blank and is left out.
std::vector<std::string> SplitCommandLine(std::string_view line);

enum class TSetupMode { smWizard, smSilent, smPassive, smUsage };

struct TSetupSwitches {
    // /? before /S before /PASSIVE; none of them: the wizard, which takes no
    // other switch.
    TSetupMode Mode = TSetupMode::smWizard;
    TUnattendedChoices Choices;
    // The answer for every existing newer file; nobody is there to be asked.
    TOverwriteMode Overwrite = TOverwriteMode::omNo;
    std::string OverwriteName = "no";
    std::string LogFile; // empty: no log
    // A switch that cannot be used, as a message (the first in the order
    // of the usage text); empty: none.
    std::string Error;
};

// The switches among the arguments (the program left out): / or -, the name
// in any case, a value after '='. A switch given twice counts as last given.
// Values are kept as written, but for /OVERWRITE's, which is read in any case.
TSetupSwitches ParseSetupSwitches(const std::vector<std::string>& args);

// The text of the /? box.
extern const char kSetupUsage[];

} // namespace tarvex
