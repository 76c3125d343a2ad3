// tarvex pack SRC_TREE MEDIUM_DIR --title TITLE ...: a complete medium from
// a folder of product files, checked before it is handed back.
#include "tools/tarvex/Arguments.h"
#include "tools/tarvex/CheckReport.h"
#include "tools/tarvex/Commands.h"

#include "authoring/MediumPack.h"
#include "platform/System.h"

#include <filesystem>
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
    bool noSetup = false;
    std::optional<std::string> setup, root, bundle;
    if (auto exit = ParseArguments("pack", args,
                                   {
                                       {"--title", &o.title},
                                       {"--main", &o.mainProgram},
                                       {"--license", &o.license},
                                       {"--readme", &o.readme},
                                       {"--setup", &setup},
                                       {"--no-setup", &noSetup},
                                       {"--uninstaller", &o.uninstaller},
                                       {"--directory", &o.directory},
                                       {"--new-directory", &o.newDirectory},
                                       {"--start-menu", &o.startMenu},
                                       {"--new-menu", &o.newMenu},
                                       {"--route", &o.route},
                                       {"--run", &o.run},
                                       {"--run-description", &o.runDescription},
                                       {"--registry", &o.registry},
                                       {"--bundle", &bundle},
#ifndef TARVEX_WIN32
                                       {"--root", &root},
#endif
                                   },
                                   positional, 2, 2))
        return *exit;
    // A named root, else the check's own scratch machine.
    if (o.title.empty() || (noSetup && setup) || (root && root->empty()) || (bundle && bundle->empty()))
        return UsageError();
    o.sourceTree = positional[0];
    o.medium = positional[1];
    o.setupProgram = setup ? *setup : noSetup ? std::string() : SetupBesideTool();

    MediumReport report;
    PackResult packed;
    try {
        // A medium that fails the check is not written at all.
        packed = PackMedium(o, [&](const std::string& staged) {
            report = CheckWithDefaults(staged, root.value_or(""));
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
    if (bundle) {
        std::fflush(stdout);
        return BundleMedium(o.medium, *bundle, "", root.value_or(""));
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
