#pragma once
// The setup description: Setup.INI read once into memory.
#include "base/Exception.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarvex {

namespace platform { class ProfileFile; }

class EInvalidIni : public Exception {
public:
    explicit EInvalidIni(std::string message) : Exception(std::move(message)) {}
};

// The message of an incomplete GENERAL section (a missing file included).
extern const char kGeneralFailed[];

// One FILES entry: a file to install.
struct TProgramItem {
    std::int32_t Index = 0;
    std::string SourceName;
    std::string InstallName;
    std::string DestDir;
    std::int32_t Number = 0;
    bool AskIfOlder = false;
};

// One ICONS entry: a shortcut. The line gives Name, Folder, Target, Arguments.
struct TIconItem {
    std::string Name;
    std::string Target;
    std::string Folder;
    std::string Arguments;
};

// One REGISTRY entry: a string value.
struct TRegistryItem {
    std::string Root;
    std::string Path;
    std::string Data;
};

class TSetupInformation {
public:
    // Nothing read: every text empty (see ReadGeneralTexts).
    TSetupInformation() = default;
    explicit TSetupInformation(const std::string& iniPath);

    std::string Route;
    std::string Title;
    std::string Executable;
    std::string ReadMe;
    std::string License;
    std::string Directory;
    std::vector<std::string> Directories;
    std::string NewDirectory;
    std::string StartMenu;
    std::string NewMenu;
    long double TotalSize = -1;
    std::string Run;
    std::string RunDescription;
    std::vector<TProgramItem> FileItems;
    std::vector<TRegistryItem> RegistryItems;
    std::vector<TIconItem> IconItems;

    bool GeneralComplete() const;

private:
    void Load(const platform::ProfileFile& ini);
};

// What a GENERAL key that is not there reads as: a text "ERROR", TotalSize
// "-1". Either value written out reads as missing too.
extern const char kMissingText[];
extern const char kMissingSize[];
extern const char kTotalSizeKey[]; // "TotalSize", read after the texts as a number

// GENERAL's text keys in the order they are read, each with its field.
struct GeneralText {
    const char* key;
    std::string TSetupInformation::*field;
};
extern const GeneralText kGeneralTexts[11];

// GENERAL's texts as the wizard reads them into info, a missing one as
// kMissingText; TotalSize is not read.
void ReadGeneralTexts(const platform::ProfileFile& ini, TSetupInformation& info);

// Takes the next comma-separated field off the front of rest.
std::string NextField(std::string& rest);

// The item lines of a numbered list section, entries 1..N where N counts the
// non-empty entries.
std::vector<std::string> ReadNumberedSection(const platform::ProfileFile& ini, const std::string& section);

// The GENERAL keys that read as missing: absent, "ERROR", or a TotalSize of -1.
std::vector<std::string> MissingGeneralKeys(const std::string& iniPath);

} // namespace tarvex
