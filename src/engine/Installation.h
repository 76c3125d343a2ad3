#pragma once
// The install engine: one installation in five fixed phases, recorded for
// the uninstaller.
#include "base/Exception.h"
#include "setup_description/InstallOption.h"
#include "setup_description/SetupInformation.h"

#include <functional>
#include <string>
#include <vector>

namespace tarvex {

class EInstallError : public Exception {
public:
    explicit EInstallError(std::string message) : Exception(std::move(message)) {}
};

class TInstallation : public TInstallOption {
public:
    explicit TInstallation(const TSetupInformation& setupInfo);

    // Borrowed from the description.
    const std::vector<TProgramItem>& FileItems;
    const std::vector<TRegistryItem>& RegistryItems;
    const std::vector<TIconItem>& IconItems;

    std::vector<std::string> RegistryLog;
    std::vector<std::string> FilesLog;
    std::vector<std::string> DirectoriesLog;
    std::string LogFileName;
    TOverwriteMode OverwriteMode = TOverwriteMode::omYes;
    std::string SourceFile;
    std::string DestFile;
    const TSetupInformation& SetupInfo;
    std::string Title;

    std::function<void(const std::string& fileName)> OnCopyFile;
    std::function<void(const std::string& status)> OnStatus;
    std::function<void()> OnStep;
    // Asked when an older file would replace a newer one: the file being
    // installed, then the existing one; returns the answer.
    std::function<TOverwriteMode(const std::string& installFile, const std::string& existingFile)> OnAskOverwrite;

    // Where the FILES sources lie: the setup program's own directory, unless
    // a tool installs from another medium folder (ending with a backslash).
    std::string MediumDirectory;

    void Install();
    // Directory + "\" + NewDirectory + "\", without doubled backslashes.
    std::string InstallDirectory() const;

    // The phases, in the order Install runs them.
    void CreateDirectories();
    void CreateTempDirectory();
    void CopyFiles();
    void CreateShortcuts();
    void CreateRegistryEntries();
    void SaveUninstallLog();
    // The App Paths and Uninstall registration; the first step of the registry phase.
    void RegisterProduct();

    // Creates the directories from base (exclusive) to target, recording each.
    bool CreatePath(const std::string& base, const std::string& target);

    // False when the copy itself failed (a damaged compressed source).
    bool CopyStep(bool record);
    void CopyFileDate();
    bool ConfirmOverwrite(bool askIfOlder);
    void AskOverwrite();
};

// The choices the wizard starts with, from the description: StartMenu,
// NewMenu and Directory expanded (StartMenu against the user's Start Menu
// folder), NewDirectory as written. What tarvex check holds links against.
void SetUpChoices(TInstallOption& choices, const TSetupInformation& info);
// The same for the engine, whose title is then the description's.
void SetUpChoices(TInstallation& installation);
// The same from the four choices as written (tokens unexpanded), in the
// description's place.
void SetUpChoices(TInstallation& installation, const TInstallOption& written);

// Whether a title names a key of its own under the Uninstall key. One with
// nothing but backslashes and blanks (an empty one included) would put the
// product's values on the shared Uninstall key itself, which the
// uninstaller then removes; Install refuses it before it writes anything.
bool TitleNamesOwnKey(const std::string& title);

} // namespace tarvex
