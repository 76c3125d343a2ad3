#include "wizard/SetupSwitches.h"

#include "base/Ascii.h"

namespace tarvex {

const char kSetupUsage[] =
    "setup [/S | /PASSIVE] [/DIRECTORY=FOLDER] [/NEWDIRECTORY=NAME] [/STARTMENU=FOLDER] [/NEWMENU=NAME] "
    "[/OVERWRITE=no|yes|no-to-all|yes-to-all] [/LOG=FILE]\r\n\r\n"
    "/S\tinstall without any window\r\n"
    "/PASSIVE\tinstall showing only the progress\r\n"
    "/DIRECTORY, /NEWDIRECTORY\tthe base folder and the product's folder\r\n"
    "/STARTMENU, /NEWMENU\tthe Start Menu folder and the program group\r\n"
    "/OVERWRITE\tthe answer for an existing newer file (no)\r\n"
    "/LOG\twrite what happens to FILE\r\n\r\n"
    "Exit codes: 0 installed, 1 failed, 2 bad switches or Setup.INI, 3 cancelled, 4 not enough disk space.";

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
    TSetupSwitches out;
    bool usage = false, silent = false, passive = false;
    // Each switch's own problem, in the order given; a later use of the
    // switch replaces it, as its value replaces the earlier one.
    std::vector<std::pair<std::string, std::string>> problems;
    std::string name;
    auto fail = [&](const std::string& message) { problems.emplace_back(name, message); };
    for (const std::string& arg : args) {
        if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) continue;
        const std::size_t eq = arg.find('=');
        name = AsciiLowerCopy(std::string_view(arg).substr(1, eq == std::string::npos ? eq : eq - 1));
        std::erase_if(problems, [&](const auto& problem) { return problem.first == name; });
        const bool hasValue = eq != std::string::npos;
        const std::string value = hasValue ? arg.substr(eq + 1) : std::string();
        if (bool* flag = name == "?" ? &usage : name == "s" ? &silent : name == "passive" ? &passive : nullptr) {
            if (hasValue) fail(kTakesNoValue + arg);
            *flag = true;
            continue;
        }
        std::optional<std::string>* choice = name == "directory"      ? &out.Choices.Directory
                                             : name == "newdirectory" ? &out.Choices.NewDirectory
                                             : name == "startmenu"    ? &out.Choices.StartMenu
                                             : name == "newmenu"      ? &out.Choices.NewMenu
                                                                      : nullptr;
        if (!choice && name != "overwrite" && name != "log") continue; // not ours
        if (!hasValue) {
            fail(kNeedsValue + arg);
            continue;
        }
        if (choice) {
            *choice = value;
        } else if (name == "log") {
            if (value.empty()) fail(kNeedsValue + arg);
            out.LogFile = value;
        } else if (std::optional<TOverwriteMode> answer = OverwriteAnswer(AsciiLowerCopy(value))) {
            out.Overwrite = *answer;
            out.OverwriteName = AsciiLowerCopy(value);
        } else {
            fail((AsciiLowerCopy(value) == "ask" ? kNobodyToAsk : kUnknownValue) + arg);
        }
    }
    if (!problems.empty()) out.Error = problems.front().second;
    out.Mode = usage    ? TSetupMode::smUsage
               : silent ? TSetupMode::smSilent
               : passive ? TSetupMode::smPassive
                         : TSetupMode::smWizard;
    return out;
}

} // namespace tarvex
