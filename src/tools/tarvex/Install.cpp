// tarvex install: an unattended installation from a medium folder.
#include "tools/tarvex/Arguments.h"
#include "tools/tarvex/Commands.h"

#include "authoring/MediumCheck.h"
#include "engine/FileInfo.h"
#include "engine/Installation.h"
#include "engine/UnattendedInstall.h"
#include "paths/PathText.h"
#include "platform/ComApartment.h"
#include "platform/MachineRoot.h"
#include "platform/Profile.h"
#include "platform/System.h"

#include <filesystem>
#include <map>
#include <optional>
#include <variant>

namespace tarvex::tool {

namespace {

struct Options {
    std::string medium;
    std::optional<std::string> root, directory, newDirectory, startMenu, newMenu;
    std::string overwrite;
};

// The options, or the exit code when the command ends here.
std::variant<Options, int> Parse(const std::vector<std::string>& args)
{
    Options o;
    o.overwrite = platform::IsTerminal(1) ? "ask" : "no";
    std::vector<std::string> medium;
    if (auto exit = ParseArguments("install", args,
                                   {
                                       {"--root", &o.root},
                                       {"--directory", &o.directory},
                                       {"--new-directory", &o.newDirectory},
                                       {"--start-menu", &o.startMenu},
                                       {"--new-menu", &o.newMenu},
                                       {"--overwrite", &o.overwrite},
                                   },
                                   medium, 1, 1))
        return *exit;
    if (o.overwrite != "ask" && !OverwriteAnswer(o.overwrite)) return UsageError();
    // No silent default machine: the root is named, and named non-empty.
    if (o.root.has_value() != kNeedsRoot || (o.root && o.root->empty())) return UsageError();
    o.medium = medium[0];
    return o;
}

// Asks on the terminal; anything but a known answer asks again, end of input is No.
TOverwriteMode AskOnTerminal(const std::string& installFile, const std::string& existingFile)
{
    TFileInfo installing, existing;
    installing.SetFileName(installFile);
    existing.SetFileName(existingFile);
    for (;;) {
        std::printf("\nThe file being installed (%s, %s) is older than the existing %s (%s).\n"
                    "Replace it? [y]es, [n]o, [a]ll, n[o]ne: ",
                    ExtractFileName(installFile).c_str(), FormatDate(installing.DateInfo().Modified).c_str(),
                    existingFile.c_str(), FormatDate(existing.DateInfo().Modified).c_str());
        std::fflush(stdout);
        char line[64];
        if (!std::fgets(line, sizeof line, stdin)) return TOverwriteMode::omNo;
        switch (line[0]) {
        case 'y': case 'Y': return TOverwriteMode::omYes;
        case 'n': case 'N': return TOverwriteMode::omNo;
        case 'a': case 'A': return TOverwriteMode::omYesToAll;
        case 'o': case 'O': return TOverwriteMode::omNoToAll;
        default: break;
        }
    }
}

// A one-line bar redrawn in place, only on a terminal.
class ProgressBar {
public:
    ProgressBar(bool enabled, std::size_t total) : enabled_(enabled), total_(total ? total : 1) {}
    void Step(const std::string& name = "")
    {
        if (done_ < total_) ++done_;
        if (!name.empty()) name_ = name;
        Draw();
    }
    void Clear()
    {
        if (enabled_) std::fputs("\r\x1b[K", stdout);
    }
    void Draw()
    {
        if (!enabled_) return;
        constexpr std::size_t kWidth = 30;
        std::size_t filled = done_ * kWidth / total_;
        std::printf("\r[%s%s] %3zu%% %s\x1b[K", std::string(filled, '#').c_str(), std::string(kWidth - filled, '.').c_str(),
                    done_ * 100 / total_, name_.c_str());
        std::fflush(stdout);
    }

private:
    bool enabled_;
    std::size_t total_;
    std::size_t done_ = 0;
    std::string name_;
};

// Keys as a list, runs of consecutive numbers as "A to B".
std::string KeyList(const std::vector<std::string>& keys)
{
    std::string out;
    for (std::size_t i = 0; i < keys.size();) {
        std::size_t j = i;
        auto number = [&](std::size_t k) {
            return keys[k].size() <= 9 && keys[k].find_first_not_of("0123456789") == std::string::npos
                       ? std::stol(keys[k])
                       : -2;
        };
        while (j + 1 < keys.size() && number(j) >= 0 && number(j + 1) == number(j) + 1) ++j;
        if (!out.empty()) out += ", ";
        out += j > i ? keys[i] + " to " + keys[j] : keys[i];
        i = j + 1;
    }
    return out;
}

// FILES entries written in Setup.INI that the installation never reads.
void WarnUnreadFiles(const std::string& iniPath)
{
    using Cause = UnreadEntry::Cause;
    std::vector<std::string> cut;
    for (const UnreadEntry& entry : UnreadEntries(iniPath, "FILES")) {
        const char* why = entry.cause == Cause::PastKeyList ? nullptr
                          : entry.cause == Cause::AboveCount ? "its number is above the count of entries"
                          : entry.cause == Cause::NotANumber ? "its name is no entry number"
                                                             : "the line has no '='";
        if (!why) {
            cut.push_back(entry.key);
            continue;
        }
        std::fprintf(stderr, "warning: Setup.INI:%d: FILES entry '%s' will never be installed: %s\n", entry.line,
                     entry.key.c_str(), why);
    }
    if (!cut.empty())
        std::fprintf(stderr,
                     "warning: Setup.INI: the FILES key list is cut at %zu bytes: %zu entr%s (%s) will never be "
                     "installed\n",
                     platform::kProfileKeyListBuffer, cut.size(), cut.size() == 1 ? "y" : "ies",
                     KeyList(cut).c_str());
}

int RunInstall(const std::vector<std::string>& args)
{
    std::variant<Options, int> parsed = Parse(args);
    if (const int* exit = std::get_if<int>(&parsed)) return *exit;
    const Options* o = &std::get<Options>(parsed);
    try {
        platform::ComApartment com; // links are made through the shell's COM objects
        std::string medium = o->medium;
        if (o->root) {
            // The medium is read where it lies, by its full host path; all else is the machine's.
            medium = std::filesystem::absolute(medium).lexically_normal().string();
            platform::SetMachineRoot(*o->root);
            platform::SetMediumFolder(medium);
        }
        if (medium.back() != '/' && medium.back() != '\\') medium += kNeedsRoot ? "/" : "\\";
        std::unique_ptr<TSetupInformation> description = ReadSetupIni(medium + "Setup.INI");
        const TSetupInformation& info = *description;
        TInstallation engine(info);
        engine.MediumDirectory = medium;
        WarnUnreadFiles(medium + "Setup.INI");

        ProgressBar bar(platform::IsTerminal(1), info.FileItems.size() + 5);
        engine.OnStatus = [&](const std::string& status) {
            bar.Clear();
            std::printf("%s\n", status.c_str());
            bar.Draw();
        };
        engine.OnStep = [&] { bar.Step(); };
        engine.OnCopyFile = [&](const std::string& name) { bar.Step(name); };
        if (o->overwrite == "ask") {
            engine.OnAskOverwrite = [&](const std::string& installFile, const std::string& existingFile) {
                bar.Clear();
                TOverwriteMode answer = AskOnTerminal(installFile, existingFile);
                bar.Draw();
                return answer;
            };
        } else {
            TOverwriteMode policy = *OverwriteAnswer(o->overwrite);
            engine.OnAskOverwrite = [policy](const std::string&, const std::string&) { return policy; };
        }
        InstallUnattended(engine, {o->directory, o->newDirectory, o->startMenu, o->newMenu});
        bar.Clear();
    } catch (const std::exception& e) {
        std::fflush(stdout);
        if (platform::IsTerminal(1)) std::fputs("\n", stdout);
        return ReportError(e.what());
    }
    return 0;
}

#ifdef TARVEX_WIN32
const Command kInstall("install", "install MEDIUM_DIR [--directory D] [--new-directory N] [--start-menu S] "
                                  "[--new-menu M] [--overwrite ask|yes|no|yes-to-all|no-to-all]",
                       RunInstall);
#else
const Command kInstall("install", "install MEDIUM_DIR --root ROOT [--directory D] [--new-directory N] [--start-menu S] "
                                  "[--new-menu M] [--overwrite ask|yes|no|yes-to-all|no-to-all]",
                       RunInstall);
#endif

} // namespace
} // namespace tarvex::tool
