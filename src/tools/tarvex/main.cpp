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

int UsageError()
{
    std::string text = "usage:\n";
    for (const auto& [name, entry] : Table()) text += "  tarvex " + entry.usage + "\n";
    std::fputs(text.c_str(), stderr);
    return 2;
}

} // namespace tarvex::tool

int main(int argc, char** argv)
{
    using namespace tarvex::tool;
    tarvex::platform::SetBinaryStdio();
    if (argc < 2) return UsageError();
    auto it = Table().find(argv[1]);
    if (it == Table().end()) return UsageError();
    return it->second.run(std::vector<std::string>(argv + 2, argv + argc));
}
