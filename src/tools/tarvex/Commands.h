#pragma once
// The tool's subcommands; each returns the process exit code.
#include <cstdio>
#include <string>
#include <vector>

namespace tarvex {
class TSetupInformation;
}

namespace tarvex::tool {

std::string DumpJson(const TSetupInformation& info);
int RunDump(const std::vector<std::string>& args);

// "error: MESSAGE" on stderr, exit code 1.
int ReportError(const std::string& message);
// The usage text on stderr, exit code 2.
int UsageError();

} // namespace tarvex::tool
