// tarvex bundle MEDIUM_DIR OUTPUT_EXE and tarvex unbundle: one-file
// installers made from a medium, and taken apart again.
#include "tools/tarvex/CheckReport.h"
#include "tools/tarvex/Arguments.h"
#include "tools/tarvex/Commands.h"

#include "authoring/MediumBundle.h"
#include "base/Ascii.h"
#include "platform/MachineRoot.h"

#include <chrono>
#include <filesystem>

namespace tarvex::tool {

namespace {

// The medium's own setup.exe, in whatever case it is written.
std::string MediumSetup(const std::string& medium)
{
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(medium, ec))
        if (SameTextAscii(entry.path().filename().string(), "setup.exe") && entry.is_regular_file(ec))
            return entry.path().string();
    return "";
}

std::string Mib(std::uint64_t bytes, double seconds)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.1f MiB/s", seconds > 0 ? bytes / 1048576.0 / seconds : 0.0);
    return text;
}

int RunBundle(const std::vector<std::string>& args)
{
    std::vector<std::string> positional;
    std::optional<std::string> setup, root;
    if (auto exit = ParseArguments("bundle", args,
                                   {
                                       {"--setup", &setup},
#ifndef TARVEX_WIN32
                                       {"--root", &root},
#endif
                                   },
                                   positional, 2, 2))
        return *exit;
    if ((setup && setup->empty()) || (root && root->empty())) return UsageError();
    return BundleMedium(positional[0], positional[1], setup.value_or(""), root.value_or(""));
}

void PrintEntries(const std::vector<PayloadEntry>& entries)
{
    for (const PayloadEntry& e : entries) std::printf("%12ju  %s\n", static_cast<std::uintmax_t>(e.size), e.path.c_str());
}

int RunUnbundle(const std::vector<std::string>& args)
{
    bool list = false;
    std::vector<std::string> positional;
    if (auto exit = ParseArguments("unbundle", args, {{"--list", &list}}, positional, 1, 2)) return *exit;
    if (positional.size() != (list ? 1u : 2u)) return UsageError();
    try {
        if (list) {
            PrintEntries(ListBundle(positional[0]));
            return 0;
        }
        std::vector<PayloadEntry> entries = Unbundle(positional[0], positional[1]);
        std::printf("%zu files and setup.exe written to %s\n", entries.size(), positional[1].c_str());
    } catch (const std::exception& e) {
        return ReportError(e.what());
    }
    return 0;
}

const Command kBundle("bundle",
                      "bundle MEDIUM_DIR OUTPUT_EXE [--setup SETUP_EXE]"
#ifndef TARVEX_WIN32
                      " [--root ROOT]"
#endif
                      ,
                      RunBundle);
const Command kUnbundle("unbundle", "unbundle SETUP_EXE DIR | unbundle --list SETUP_EXE", RunUnbundle);

} // namespace

int BundleMedium(const std::string& medium, const std::string& output, const std::string& setupGiven,
                 const std::string& root)
{
    try {
        std::string setup = setupGiven.empty() ? MediumSetup(medium) : setupGiven;
        if (setup.empty()) return ReportError("no setup.exe in " + medium + ": name one with --setup");
        MediumReport report = CheckWithDefaults(medium, root);
        if (report.Count(MediumProblem::Severity::Error)) {
            std::printf("check: %s", ReportText(report).c_str());
            std::fflush(stdout);
            return ReportError("the medium fails its check; nothing was written to " + output);
        }
        // The rest works on host files, with no machine.
        platform::SetMachineRoot("");
        platform::SetMediumFolder("");
        auto start = std::chrono::steady_clock::now();
        BundleResult result = WriteBundle(medium, setup, output);
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (report.problems.size()) std::printf("check: %s", ReportText(report).c_str());
        std::printf("%s: setup.exe %ju bytes + %zu files in %ju bytes + %ju bytes of trailer = %ju bytes (%s)\n",
                    output.c_str(), static_cast<std::uintmax_t>(result.programSize), result.entries.size(),
                    static_cast<std::uintmax_t>(result.payloadSize),
                    static_cast<std::uintmax_t>(result.totalSize - result.programSize - result.payloadSize),
                    static_cast<std::uintmax_t>(result.totalSize), Mib(result.totalSize, seconds).c_str());
    } catch (const std::exception& e) {
        return ReportError(e.what());
    }
    return 0;
}

} // namespace tarvex::tool
