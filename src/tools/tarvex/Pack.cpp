// tarvex pack SRC_TREE MEDIUM_DIR --title TITLE ...: a complete medium from
// a folder of product files, checked before it is handed back.
#include "tools/tarvex/CheckReport.h"
#include "tools/tarvex/Commands.h"

#include "authoring/MediumPack.h"
#include "platform/System.h"

#include <filesystem>
#include <map>
#include <optional>

namespace tarvex::tool {

namespace {

// The setup.exe built beside this tool, when there is one.
std::string SetupBesideTool()
{
    std::filesystem::path setup = std::filesystem::path(platform::ExePath()).parent_path() / "setup.exe";
    std::error_code ec;
    return std::filesystem::is_regular_file(setup, ec) ? setup.string() : "";
}

int RunPack(const std::vector<std::string>& args)
{
    PackOptions o;
    std::vector<std::string> positional;
    bool noSetup = false, setupGiven = false;
    std::string root, bundle;
    const std::map<std::string, std::string*> values = {
        {"--title", &o.title},           {"--main", &o.mainProgram},       {"--license", &o.license},
        {"--readme", &o.readme},         {"--setup", &o.setupProgram},     {"--uninstaller", &o.uninstaller},
        {"--directory", &o.directory},   {"--new-directory", &o.newDirectory}, {"--start-menu", &o.startMenu},
        {"--new-menu", &o.newMenu},      {"--route", &o.route},
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--no-setup") {
            noSetup = true;
            continue;
        }
        if (a.rfind("--", 0) != 0) {
            positional.push_back(a);
            continue;
        }
        if (i + 1 >= args.size()) return UsageError();
        const std::string& value = args[++i];
        if (auto it = values.find(a); it != values.end()) {
            *it->second = value;
            setupGiven |= a == "--setup";
        } else if (a == "--run") {
            o.run = value;
        } else if (a == "--run-description") {
            o.runDescription = value;
        } else if (a == "--bundle") {
            if (value.empty()) return UsageError();
            bundle = value;
        } else if (a == "--registry") {
            o.registry.push_back(value);
#ifndef TARVEX_WIN32
        } else if (a == "--root") {
            if (value.empty()) return UsageError(); // a named root, else the check's own scratch machine
            root = value;
#endif
        } else {
            return UsageError();
        }
    }
    if (positional.size() != 2 || o.title.empty() || (noSetup && setupGiven)) return UsageError();
    o.sourceTree = positional[0];
    o.medium = positional[1];
    if (!noSetup && !setupGiven) o.setupProgram = SetupBesideTool();

    MediumReport report;
    PackResult packed;
    try {
        // A medium that fails the check is not written at all.
        packed = PackMedium(o, [&](const std::string& staged) {
            report = CheckWithDefaults(staged, root);
            return report.Count(MediumProblem::Severity::Error) == 0;
        });
    } catch (const std::exception& e) {
        return ReportError(e.what());
    }
    for (const PackedFile& f : packed.files)
        std::printf("  %-32s -> %-32s %10ju -> %10ju bytes\n", f.installName.c_str(), f.mediumName.c_str(), f.size,
                    f.stored);
    std::printf("Setup.INI: %zu files, main program %s, TotalSize %.0Lf\n", packed.files.size(),
                packed.mainProgram.empty() ? "(none)" : packed.mainProgram.c_str(), packed.totalSize);
    for (const std::string& note : packed.notes) std::printf("note: %s\n", note.c_str());
    std::printf("check: %s", ReportText(report).c_str());
    if (!packed.kept) {
        std::fflush(stdout);
        return ReportError("the medium fails its check; nothing was written to " + o.medium);
    }
    if (!bundle.empty()) {
        std::fflush(stdout);
        return BundleMedium(o.medium, bundle, "", root);
    }
    return 0;
}

const Command kPack("pack",
                    "pack SRC_TREE MEDIUM_DIR --title TITLE [--main PROGRAM] [--license FILE] [--readme FILE]\n"
                    "         [--setup SETUP_EXE | --no-setup] [--uninstaller RIDSETUP_EXE] [--directory D]\n"
                    "         [--new-directory N] [--start-menu S] [--new-menu M] [--route CODES] [--run COMMAND]\n"
                    "         [--run-description TEXT] [--registry ROOT,PATH,DATA]... [--bundle OUTPUT_EXE]"
#ifndef TARVEX_WIN32
                    " [--root ROOT]"
#endif
                    ,
                    RunPack);

} // namespace

} // namespace tarvex::tool
