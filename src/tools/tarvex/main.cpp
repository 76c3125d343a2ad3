// tarvex: the command-line tool for people who author installation media.
#include "tools/tarvex/Commands.h"

#include "platform/System.h"

#include <cstring>
#include <map>

namespace tarvex::tool {

namespace {
constexpr char kUsage[] =
    "usage: tarvex dump SETUP_INI\n";
}

int ReportError(const std::string& message)
{
    std::fprintf(stderr, "error: %s\n", message.c_str());
    return 1;
}

int UsageError()
{
    std::fputs(kUsage, stderr);
    return 2;
}

} // namespace tarvex::tool

int main(int argc, char** argv)
{
    using namespace tarvex::tool;
    tarvex::platform::SetBinaryStdio();
    if (argc < 2) return UsageError();
    const std::map<std::string, int (*)(const std::vector<std::string>&)> commands = {
        {"dump", RunDump},
    };
    auto it = commands.find(argv[1]);
    if (it == commands.end()) return UsageError();
    return it->second(std::vector<std::string>(argv + 2, argv + argc));
}
