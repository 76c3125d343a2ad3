// tarvex check MEDIUM_DIR: what would go wrong with a medium, before it ships.
#include "tools/tarvex/Arguments.h"
#include "tools/tarvex/CheckReport.h"
#include "tools/tarvex/Commands.h"
#include "tools/tarvex/Json.h"

#include "platform/MachineRoot.h"

#include <filesystem>
#include <random>

namespace tarvex::tool {

namespace {

const char* SeverityName(MediumProblem::Severity severity)
{
    return severity == MediumProblem::Severity::Error ? "error" : "warning";
}

// Control bytes from Setup.INI written as \xNN: a NUL would end the line
// early and an escape sequence would reach the terminal.
std::string Printable(std::string_view text)
{
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7f) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string Counted(int n, const char* what) { return std::to_string(n) + " " + what + (n == 1 ? "" : "s"); }

int RunCheck(const std::vector<std::string>& args)
{
    std::optional<std::string> root;
    bool json = false;
    std::vector<std::string> words;
#ifdef TARVEX_WIN32
    if (auto exit = ParseArguments("check", args, {{"--json", &json}}, words, 1, 1)) return *exit;
#else
    if (auto exit = ParseArguments("check", args, {{"--json", &json}, {"--root", &root}}, words, 1, 1)) return *exit;
    if (root && root->empty()) return UsageError(); // a named root, else the check's own scratch machine
#endif
    const std::string& medium = words[0];
    MediumReport report;
    try {
        report = CheckWithDefaults(medium, root.value_or(""));
    } catch (const std::exception& e) {
        return ReportError(e.what());
    }
    std::string out = json ? ReportJson(report, medium) + "\n" : ReportText(report);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return report.Count(MediumProblem::Severity::Error) ? 1 : 0;
}

#ifdef TARVEX_WIN32
const Command kCheck("check", "check MEDIUM_DIR [--json]", RunCheck);
#else
const Command kCheck("check", "check MEDIUM_DIR [--json] [--root ROOT]", RunCheck);
#endif

} // namespace

std::string ReportText(const MediumReport& report)
{
    std::string out;
    for (const MediumProblem& p : report.problems) {
        out += "Setup.INI";
        if (p.line) {
            out += ':';
            out += std::to_string(p.line);
        }
        out += ": ";
        out += SeverityName(p.severity);
        out += ": ";
        if (!p.section.empty()) {
            out += '[';
            out += Printable(p.section);
            out += ']';
            if (!p.key.empty()) {
                out += ' ';
                out += Printable(p.key);
            }
            out += ": ";
        }
        out += Printable(p.message) + "\n";
    }
    int errors = report.Count(MediumProblem::Severity::Error);
    int warnings = report.Count(MediumProblem::Severity::Warning);
    out += errors + warnings == 0 ? std::string("no problems found")
                                  : Counted(errors, "error") + ", " + Counted(warnings, "warning");
    return out + "\n";
}

std::string ReportJson(const MediumReport& report, const std::string& medium)
{
    std::string out = "{\"medium\":" + JsonString(medium);
    out += ",\"errors\":" + std::to_string(report.Count(MediumProblem::Severity::Error));
    out += ",\"warnings\":" + std::to_string(report.Count(MediumProblem::Severity::Warning));
    out += ",\"expandedSize\":" + JsonNumber(report.expandedSize);
    out += ",\"problems\":[";
    for (std::size_t i = 0; i < report.problems.size(); ++i) {
        const MediumProblem& p = report.problems[i];
        if (i) out += ",";
        out += "{\"severity\":\"" + std::string(SeverityName(p.severity)) + "\"";
        out += ",\"code\":" + JsonString(p.code);
        out += ",\"section\":" + (p.section.empty() ? std::string("null") : JsonString(p.section));
        out += ",\"key\":" + (p.key.empty() ? std::string("null") : JsonString(p.key));
        out += ",\"line\":" + (p.line ? std::to_string(p.line) : std::string("null"));
        out += ",\"message\":" + JsonString(p.message) + "}";
    }
    return out + "]}";
}

MediumReport CheckWithDefaults(const std::string& medium, const std::string& root)
{
#ifdef TARVEX_WIN32
    (void)root;
    return CheckMedium(medium);
#else
    // The medium is read where it lies, by its full host path; the machine is only consulted.
    const std::string mediumPath = std::filesystem::absolute(medium).lexically_normal().string();
    platform::SetMediumFolder(mediumPath);
    if (!root.empty()) {
        platform::SetMachineRoot(root);
        return CheckMedium(mediumPath);
    }
    std::random_device random;
    std::filesystem::path scratch =
        std::filesystem::temp_directory_path() / ("tarvex-machine-" + std::to_string(random()));
    platform::SetMachineRoot(scratch.string());
    MediumReport report = CheckMedium(mediumPath);
    std::error_code ec;
    std::filesystem::remove_all(scratch, ec);
    return report;
#endif
}

} // namespace tarvex::tool
