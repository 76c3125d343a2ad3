#pragma once
// One installation without a user, the same for `tarvex install` and for
// setup.exe's silent and passive modes: the wizard's choices with the
// administrator's in their place, the checks of the pages the wizard would
// walk, then the five phases.
#include "base/Exception.h"
#include "engine/Installation.h"

#include <optional>
#include <string>
#include <string_view>

namespace tarvex {

// How it ended; the values are setup.exe's exit codes.
enum class TUnattendedResult : int { urInstalled = 0, urFailed = 1, urBadSetup = 2, urCancelled = 3, urNoSpace = 4 };

// A failure of an unattended installation, with the result it ends in.
class EUnattended : public Exception {
public:
    EUnattended(TUnattendedResult result, const std::string& message) : Exception(message), result_(result) {}
    TUnattendedResult Result() const { return result_; }

private:
    TUnattendedResult result_;
};

// The administrator's choices as written, tokens allowed as in Setup.INI;
// a choice not given keeps the wizard's default.
struct TUnattendedChoices {
    std::optional<std::string> Directory, NewDirectory, StartMenu, NewMenu;
};

// The answer an overwrite policy gives for every existing newer file:
// "yes", "no", "yes-to-all", "no-to-all"; none for any other name ("ask"
// included, which needs someone to answer).
std::optional<TOverwriteMode> OverwriteAnswer(std::string_view name);

// The wizard's CR-separated lines as one line, joined by "; ".
std::string OneLine(const std::string& text);

// Fills the engine's choices (a given folder name trimmed as the wizard's
// box trims it; a given base folder must expand to a full path), stops
// where the wizard's pages would stop (a Route step without a page or a
// route that never installs, a page text that cannot be opened, a
// destination drive without room for TotalSize), creates the given base
// folders that are missing, and installs. The engine's callbacks must be
// set. Every failure leaves as EUnattended: urBadSetup for the choices and
// the pages, urNoSpace for the space check, urFailed with the engine's own
// message; an EUnattended thrown by a callback passes unchanged.
void InstallUnattended(TInstallation& engine, const TUnattendedChoices& choices);

} // namespace tarvex
