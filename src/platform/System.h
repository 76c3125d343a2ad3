#pragma once
// Small facts about the running process and the user's settings.
#include <string>

namespace tarvex::platform {

// The path of the running program.
std::string ExePath();

// The program's command line as one text, program name included, as the
// system hands it over (GetCommandLineA); the simulated machine joins its
// arguments with blanks, quoting those that hold one.
std::string CommandLine();

// The user's decimal separator for numbers.
char DecimalSeparator();

// The user's date separator.
char DateSeparator();

// Whether standard output (1) or standard error (2) is a terminal.
bool IsTerminal(int stream);

// Standard output and error pass bytes through unchanged (no CR LF translation).
void SetBinaryStdio();

// A line for whoever looks into a failure, not for the user: the debugger's
// output on Windows, standard error in the portable build.
void DebugMessage(const char* text);

} // namespace tarvex::platform
