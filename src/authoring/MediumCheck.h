#pragma once
// Checks an installation medium before it ships: Setup.INI read the way the
// wizard reads it, and held against the files beside it.
#include <string>
#include <vector>

namespace tarvex {

struct MediumProblem {
    enum class Severity { Warning, Error };
    Severity severity = Severity::Error;
    std::string code;    // stable identifier, e.g. "source-missing"
    std::string section; // Setup.INI section, empty for the medium itself
    std::string key;     // key within the section, empty for the section
    int line = 0;        // 1-based line in Setup.INI, 0 when there is none
    std::string message;
};

struct MediumReport {
    std::vector<MediumProblem> problems;
    long double expandedSize = 0; // of the FILES entries, as installed
    int Count(MediumProblem::Severity severity) const;
};

// Every problem found in the medium folder. Link lengths are estimated with
// the wizard's defaults on the machine the check runs on (the current
// machine root in the native build). Never throws for a bad medium.
MediumReport CheckMedium(const std::string& mediumDir);

// A list entry written in Setup.INI that is never read.
struct UnreadEntry {
    enum class Cause {
        PastKeyList, // beyond the 8,192-byte list of key names
        AboveCount,  // numbered above the count of non-empty entries
        NotANumber,  // a name that is no plain entry number
        NoEquals     // a line without '=', which is no key at all
    };
    Cause cause = Cause::PastKeyList;
    std::string key; // the key's name; the whole line for NoEquals
    int line = 0;    // 1-based line in Setup.INI
};

// The entries of a list section (FILES, ICONS, DIRECTORIES, REGISTRY) that
// the wizard and tarvex install never read, in the order found. Read with
// the same rules tarvex check reports them by.
std::vector<UnreadEntry> UnreadEntries(const std::string& iniPath, const std::string& section);

// The path of name (which may hold backslashes) inside the medium folder.
std::string MediumPath(const std::string& mediumDir, const std::string& name);

} // namespace tarvex
