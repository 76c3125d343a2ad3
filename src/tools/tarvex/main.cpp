// tarvex: the command-line tool for people who author installation media.
#include "tools/tarvex/Commands.h"

#include "platform/System.h"

#include <map>

namespace tarvex::tool {

namespace {
struct Entry {
    std::string usage;
    CommandFn run;
};
std::map<std::string, Entry>& Table()
{
    static std::map<std::string, Entry> table;
    return table;
}
} // namespace

Command::Command(const char* name, const char* usage, CommandFn run) { Table()[name] = Entry{usage, run}; }

int ReportError(const std::string& message)
{
    std::fprintf(stderr, "error: %s\n", message.c_str());
    return 1;
}

namespace {
// The usage of one command, or of all when command is empty.
std::string UsageText(const std::string& command = "")
{
    std::string text = "usage:\n";
    for (const auto& [name, entry] : Table())
        if (command.empty() || name == command) text += "  tarvex " + entry.usage + "\n";
    return text;
}

bool IsHelp(const char* arg) { return std::string(arg) == "--help" || std::string(arg) == "-h"; }
} // namespace

int UsageError()
{
    std::fputs(UsageText().c_str(), stderr);
    return 2;
}

int HelpFor(const std::string& command)
{
    std::fputs(UsageText(command).c_str(), stdout);
    return 0;
}

} // namespace tarvex::tool

int main(int argc, char** argv)
{
    using namespace tarvex::tool;
    tarvex::platform::SetBinaryStdio();
    // Asked-for help goes to standard output and succeeds.
    if (argc == 2 && IsHelp(argv[1])) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    if (argc < 2) return UsageError();
    auto it = Table().find(argv[1]);
    if (it == Table().end()) return UsageError();
    return it->second.run(std::vector<std::string>(argv + 2, argv + argc));
}
