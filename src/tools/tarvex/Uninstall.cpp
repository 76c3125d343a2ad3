// tarvex uninstall: removes what an Install.log lists, never asking.
#include "tools/tarvex/Arguments.h"
#include "tools/tarvex/Commands.h"

#include "engine/Uninstallation.h"
#include "platform/MachineRoot.h"

#include <optional>
#include <variant>

namespace tarvex::tool {

namespace {

struct Options {
    std::string log;
    std::optional<std::string> root;
    bool removeShared = false;
};

// The options, or the exit code when the command ends here.
std::variant<Options, int> Parse(const std::vector<std::string>& args)
{
    Options o;
    std::vector<std::string> log;
    if (auto exit = ParseArguments("uninstall", args,
                                   {
                                       {"--remove-shared", &o.removeShared},
#ifndef TARVEX_WIN32
                                       {"--root", &o.root},
#endif
                                   },
                                   log, 1, 1))
        return *exit;
    // No silent default machine: the root is named, and named non-empty.
    if (o.root.has_value() != kNeedsRoot || (o.root && o.root->empty()) || log[0].empty()) return UsageError();
    o.log = log[0];
    return o;
}

// Fixed answers: shared files as told, files in use removed at restart.
class ToolAnswers : public TUninstallQuestions {
public:
    explicit ToolAnswers(bool removeShared) : removeShared_(removeShared) {}
    bool RemoveSharedFile(const std::string&) override { return removeShared_; }
    TInUseAnswer FileInUse(const std::string&) override { return TInUseAnswer::iuIgnore; }
    void Progress(const std::string&, std::size_t, std::size_t) override {}
    void Removed(const std::string& line) override { std::printf("%s\n", line.c_str()); }

private:
    bool removeShared_;
};

void PrintStayed(const char* heading, const std::vector<std::string>& lines)
{
    if (lines.empty()) return;
    std::printf("%s\n", heading);
    for (const std::string& line : lines) std::printf("  %s\n", line.c_str());
}

int RunUninstall(const std::vector<std::string>& args)
{
    std::variant<Options, int> parsed = Parse(args);
    if (const int* exit = std::get_if<int>(&parsed)) return *exit;
    Options* o = &std::get<Options>(parsed);
    TUninstallResult result;
    try {
        if (o->root) platform::SetMachineRoot(*o->root);
        ToolAnswers answers(o->removeShared);
        TUninstallation engine(ReadUninstallLog(o->log), o->log, answers);
        result = engine.Run();
    } catch (const std::exception& e) {
        std::fflush(stdout);
        return ReportError(e.what());
    }
    PrintStayed("Removed at the next restart:", result.Scheduled);
    PrintStayed("Kept, not empty:", result.NotEmpty);
    PrintStayed("Kept, shared:", result.SharedFilesKept);
    PrintStayed("Registry keys kept:", result.KeysKept);
    std::fflush(stdout);
    for (const std::string& error : result.Errors) ReportError(error);
    return result.Succeeded() ? 0 : 1;
}

#ifdef TARVEX_WIN32
const Command kUninstall("uninstall", "uninstall LOG [--remove-shared]", RunUninstall);
#else
const Command kUninstall("uninstall", "uninstall LOG --root ROOT [--remove-shared]", RunUninstall);
#endif

} // namespace
} // namespace tarvex::tool
