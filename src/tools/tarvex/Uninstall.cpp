// tarvex uninstall: removes what an Install.log lists, never asking.
#include "tools/tarvex/Commands.h"

#include "engine/Uninstallation.h"
#include "platform/MachineRoot.h"

#include <optional>

namespace tarvex::tool {

namespace {

#ifdef TARVEX_WIN32
constexpr bool kNeedsRoot = false;
#else
constexpr bool kNeedsRoot = true;
#endif

struct Options {
    std::string log;
    std::optional<std::string> root;
    bool removeShared = false;
};

std::optional<Options> Parse(const std::vector<std::string>& args)
{
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--remove-shared") {
            o.removeShared = true;
        } else if (a == "--root") {
            if (i + 1 >= args.size()) return std::nullopt;
            o.root = args[++i];
        } else if (a.rfind("--", 0) == 0 || !o.log.empty()) {
            return std::nullopt;
        } else {
            o.log = a;
        }
    }
    if (o.log.empty() || o.root.has_value() != kNeedsRoot || (o.root && o.root->empty())) return std::nullopt;
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
    std::optional<Options> o = Parse(args);
    if (!o) return UsageError();
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
