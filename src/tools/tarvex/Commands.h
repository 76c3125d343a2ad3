#pragma once
// The tool's subcommands. Each command file registers itself with one
// static Command object, so adding a command touches no other file; it
// reads its arguments with ParseArguments (Arguments.h).
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace tarvex {
class TSetupInformation;
}

namespace tarvex::tool {

// Natively every machine command names its machine root (--root); on
// Windows the machine is the one it runs on.
#ifdef TARVEX_WIN32
inline constexpr bool kNeedsRoot = false;
#else
inline constexpr bool kNeedsRoot = true;
#endif

using CommandFn = int (*)(const std::vector<std::string>& args);

struct Command {
    // usage: the command's line of the usage text, e.g. "dump SETUP_INI".
    Command(const char* name, const char* usage, CommandFn run);
};

// "error: MESSAGE" on stderr, exit code 1.
int ReportError(const std::string& message);
// The usage text on stderr, exit code 2.
int UsageError();
// The command's usage on stdout, exit code 0.
int HelpFor(const std::string& command);

// Checks the medium, then writes it with setup (empty: the medium's own)
// into one program; what tarvex bundle prints, and its exit code.
int BundleMedium(const std::string& medium, const std::string& output, const std::string& setup,
                 const std::string& root);

std::string DumpJson(const TSetupInformation& info);

// Setup.INI read as the wizard reads it, its failures told with the file's
// path and, for the GENERAL section, the cause: "... ini file: PATH: file
// not found", "...: is a folder", "...: missing Title, Route".
std::unique_ptr<TSetupInformation> ReadSetupIni(const std::string& iniPath);

} // namespace tarvex::tool
