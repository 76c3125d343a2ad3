#include "wizard/SetupSwitches.h"

#include "base/Ascii.h"

#include <iterator>

namespace tarvex {

const char kSetupUsage[] =
    "setup [/S | /PASSIVE] [/DIRECTORY=FOLDER] [/NEWDIRECTORY=NAME] [/STARTMENU=FOLDER] [/NEWMENU=NAME] "
    "[/OVERWRITE=no|yes|no-to-all|yes-to-all] [/LOG=FILE]\r\n\r\n"
    "/S: no window; /PASSIVE: the progress only. Exit codes: 0 installed, 1 failed, 2 bad switches or Setup.INI, "
    "3 cancelled, 4 not enough disk space.";

namespace {
constexpr char kNeedsValue[] = "Switch needs a value: ";
constexpr char kTakesNoValue[] = "Switch takes no value: ";
constexpr char kUnknownValue[] = "Unknown value: ";
constexpr char kNobodyToAsk[] = "Nobody to ask without a user: ";

bool Blank(char c) { return c == ' ' || c == '\t'; }
} // namespace

std::vector<std::string> SplitCommandLine(std::string_view line)
{
    std::size_t i = 0;
    const std::size_t n = line.size();
    // The program: no backslash rules, quotes only group.
    if (i < n && line[i] == '"') {
        std::size_t close = line.find('"', i + 1);
        i = close == std::string_view::npos ? n : close + 1;
    }
    while (i < n && !Blank(line[i])) ++i;
    std::vector<std::string> args;
    for (;;) {
        while (i < n && Blank(line[i])) ++i;
        if (i >= n) return args;
        std::string arg;
        bool quoted = false;
        while (i < n && (quoted || !Blank(line[i]))) {
            if (line[i] == '\\') {
                std::size_t run = line.find_first_not_of('\\', i);
                if (run == std::string_view::npos) run = n;
                std::size_t count = run - i;
                i = run;
                if (i < n && line[i] == '"') {
                    arg.append(count / 2, '\\');
                    if (count % 2) {
                        arg += '"';
                        ++i;
                    }
                } else {
                    arg.append(count, '\\');
                }
            } else if (line[i] == '"') {
                if (quoted && i + 1 < n && line[i + 1] == '"') {
                    arg += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg += line[i++];
            }
        }
        args.push_back(std::move(arg));
    }
}

TSetupSwitches ParseSetupSwitches(const std::vector<std::string>& args)
{
    // The switches, by the position of their name here; each has its own
    // problem, replaced by a later use of it as its value is.
    static constexpr std::string_view kNames[] = {"?", "s", "passive", "directory", "newdirectory", "startmenu",
                                                  "newmenu", "overwrite", "log"};
    constexpr std::size_t kFlags = 3;
    constexpr std::size_t kCount = std::size(kNames);
    TSetupSwitches out;
    bool given[kFlags] = {};
    std::string problems[kCount];
    std::optional<std::string>* choices[] = {&out.Choices.Directory, &out.Choices.NewDirectory,
                                             &out.Choices.StartMenu, &out.Choices.NewMenu};
    for (const std::string& arg : args) {
        if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) continue;
        const std::size_t eq = arg.find('=');
        const std::string name = AsciiLowerCopy(std::string_view(arg).substr(1, eq - 1));
        std::size_t k = 0;
        while (k < kCount && kNames[k] != name) ++k;
        if (k == kCount) continue; // not ours
        std::string& problem = problems[k];
        problem.clear();
        const std::string value = eq == std::string::npos ? std::string() : AsciiLowerCopy(arg.substr(eq + 1));
        if (k < kFlags) {
            if (eq != std::string::npos) problem = kTakesNoValue + arg;
            given[k] = true;
        } else if (eq == std::string::npos || (k == kCount - 1 && value.empty())) {
            problem = kNeedsValue + arg;
        } else if (k < kCount - 2) {
            *choices[k - kFlags] = arg.substr(eq + 1);
        } else if (k == kCount - 1) {
            out.LogFile = arg.substr(eq + 1);
        } else if (std::optional<TOverwriteMode> answer = OverwriteAnswer(value)) {
            out.Overwrite = *answer;
            out.OverwriteName = value;
        } else {
            problem = (value == "ask" ? kNobodyToAsk : kUnknownValue) + arg;
        }
    }
    for (const std::string& problem : problems)
        if (out.Error.empty()) out.Error = problem;
    out.Mode = given[0] ? TSetupMode::smUsage
               : given[1] ? TSetupMode::smSilent
               : given[2] ? TSetupMode::smPassive
                          : TSetupMode::smWizard;
    return out;
}

} // namespace tarvex
