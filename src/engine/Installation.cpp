#include "engine/Installation.h"

#include "base/Ascii.h"
#include "engine/CopyFile.h"
#include "engine/FileInfo.h"
#include "engine/RegistryWriter.h"
#include "paths/PathText.h"
#include "paths/PathTokens.h"
#include "paths/SystemFolders.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/ShellLink.h"

namespace tarvex {

namespace {
constexpr char kLogName[] = "Install.log";
constexpr char kUninstaller[] = "ridsetup.exe";
constexpr char kLinkExtension[] = ".LNK";
constexpr char kProductRoot[] = "HKEY_LOCAL_MACHINE";
constexpr char kAppPathsKey[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
constexpr char kUninstallKey[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr char kDisplayName[] = "DisplayName";
constexpr char kUninstallString[] = "UninstallString";
// Read by Add/Remove Programs lists and deployment tools.
constexpr char kQuietUninstallString[] = "QuietUninstallString";
constexpr char kInstallLocation[] = "InstallLocation";
constexpr char kDisplayIcon[] = "DisplayIcon";
constexpr char kEstimatedSize[] = "EstimatedSize";
constexpr char kSilentSwitch[] = " /S";
constexpr char kLogSeparator[] = ",";
constexpr char kNoProductKey[] = "Title names no Uninstall key of its own: ";
// What the runtime says when the first FILES entry is asked of an empty list.
constexpr char kListIndexError[] = "List index out of bounds";
constexpr char kSourceOutside[] = "Source file outside the medium: ";

// TotalSize in KiB, rounded up, as a registry number holds it.
std::uint32_t EstimatedKiB(long double bytes)
{
    if (!(bytes > 0)) return 0;
    const long double kib = (bytes + 1023) / 1024;
    return kib >= 4294967295.0L ? 0xFFFFFFFFu : static_cast<std::uint32_t>(kib);
}
} // namespace

TInstallation::TInstallation(const TSetupInformation& setupInfo)
    : FileItems(setupInfo.FileItems), RegistryItems(setupInfo.RegistryItems), IconItems(setupInfo.IconItems),
      SetupInfo(setupInfo), MediumDirectory(ExeDirectory())
{
}

std::string TInstallation::InstallDirectory() const
{
    return RemoveDoubleBackslashes(Directory + "\\" + NewDirectory + "\\");
}

void TInstallation::Install()
{
    // Refused before anything is written: a title that names no key of its
    // own, and files from outside the medium.
    if (!TitleNamesOwnKey(SetupInfo.Title))
        throw EInstallError(kNoProductKey + std::string(kProductRoot) + kUninstallKey + SetupInfo.Title);
    for (const TProgramItem& item : FileItems)
        if (LeavesFolder(item.SourceName)) throw EInstallError(kSourceOutside + item.SourceName);
    LogFileName = RemoveDoubleBackslashes(InstallDirectory() + kLogName);
    OnStatus("Creating directories...");
    OnStep();
    CreateDirectories();
    CreateTempDirectory();
    OnStatus("Copying Files...");
    OnStep();
    CopyFiles();
    OnStatus("Creating shortcuts...");
    OnStep();
    CreateShortcuts();
    OnStatus("Creating registry entries...");
    OnStep();
    CreateRegistryEntries();
    OnStatus("Saving uninstall log...");
    OnStep();
    SaveUninstallLog();
}

void TInstallation::CreateDirectories()
{
    for (const std::string& line : SetupInfo.Directories) {
        std::string expanded = ExpandTokens(line, *this);
        std::size_t seam = expanded.find("\\\\");
        std::string base = seam == std::string::npos ? expanded : expanded.substr(0, seam);
        std::string target = RemoveDoubleBackslashes(expanded);
        if (!CreatePath(base, target)) throw EInstallError("Unable to create path: " + target);
    }
}

bool TInstallation::CreatePath(const std::string& base, const std::string& target)
{
    std::string current = StripTrailingBackslash(target);
    const std::string stop = StripTrailingBackslash(base);
    std::vector<std::string> chain;
    while (!SameTextAscii(current, stop)) {
        chain.push_back(current);
        std::string parent = StripTrailingBackslash(ExtractFilePath(current));
        if (parent.empty() || parent == current) break;
        current = parent;
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        platform::MakeDirectory(*it);
        DirectoriesLog.push_back(*it);
    }
    return platform::DirectoryExists(target);
}

void TInstallation::CreateTempDirectory()
{
    const std::string temp = GetTempDir();
    platform::MakeDirectory(temp);
    if (!platform::DirectoryExists(temp)) throw EInstallError("Unable to create temp directory: " + temp);
}

void TInstallation::CopyFiles()
{
    for (const TProgramItem& item : FileItems) {
        SourceFile = RemoveDoubleBackslashes(MediumDirectory + "\\" + item.SourceName);
        DestFile = RemoveDoubleBackslashes(GetTempDir() + "\\" + item.InstallName);
        OnCopyFile(ExtractFileName(DestFile));
        if (!CopyStep(false) || !platform::FileExists(DestFile))
            throw EInstallError("Unable to uncompress or copy: " + DestFile + " (from " + SourceFile + ")");
        SourceFile = DestFile;
        DestFile = RemoveDoubleBackslashes(ExpandTokens(item.DestDir + "\\" + item.InstallName, *this));
        if (ConfirmOverwrite(item.AskIfOlder)) {
            if (!CopyStep(true) || !platform::FileExists(DestFile)) throw EInstallError("Unable to copy: " + DestFile);
        } else {
            FilesLog.push_back(DestFile);
        }
        if (OverwriteMode == TOverwriteMode::omNo) OverwriteMode = TOverwriteMode::omYes;
        platform::RemoveFile(SourceFile);
    }
}

bool TInstallation::CopyStep(bool record)
{
    const bool copied = LZCopyFile(SourceFile, DestFile);
    if (record && platform::FileExists(DestFile) && !SameTextAscii(ExtractFileName(DestFile), kUninstaller))
        FilesLog.push_back(DestFile);
    CopyFileDate();
    return copied;
}

void TInstallation::CopyFileDate()
{
    auto stamps = platform::ReadFileStamps(SourceFile);
    if (!stamps) return;
    const auto& modified = stamps->stamps[platform::FileStamps::kModified];
    if (modified) platform::SetLastWriteTime(DestFile, *modified);
}

bool TInstallation::ConfirmOverwrite(bool askIfOlder)
{
    if (OverwriteMode == TOverwriteMode::omYesToAll) return true;
    if (!askIfOlder || !platform::FileExists(DestFile)) return true;
    if (!(GetFileDate(SourceFile) < GetFileDate(DestFile))) return true;
    if (OverwriteMode == TOverwriteMode::omNoToAll) return false;
    AskOverwrite();
    return OverwriteMode == TOverwriteMode::omYes || OverwriteMode == TOverwriteMode::omYesToAll;
}

void TInstallation::AskOverwrite() { OverwriteMode = OnAskOverwrite(SourceFile, DestFile); }

void TInstallation::CreateShortcuts()
{
    for (const TIconItem& item : IconItems) {
        SourceFile = ExpandTokens(item.Folder + "\\" + item.Name, *this);
        DestFile = ExpandTokens(item.Target, *this);
        SourceFile = ChangeFileExt(SourceFile, kLinkExtension);
        SourceFile = RemoveDoubleBackslashes(SourceFile);
        DestFile = RemoveDoubleBackslashes(DestFile);
        // The shell takes link paths of at most 259 characters; refuse rather than cut.
        if (SourceFile.size() > platform::kMaxLinkPath) throw EInstallError(platform::kLinkPathTooLong + SourceFile);
        platform::CreateShellLink(SourceFile, item.Name, DestFile, item.Arguments, "");
        // Listed even when the save failed (a missing folder): by design, the
        // phase reports no such failure.
        FilesLog.push_back(SourceFile);
    }
}

void TInstallation::CreateRegistryEntries()
{
    // The phase's values reach the registry together; those written before
    // a failure still do.
    platform::RegistryBatch batch;
    RegisterProduct();
    for (const TRegistryItem& item : RegistryItems) {
        WriteRegistryString(item.Root, item.Path, item.Data);
        RegistryLog.push_back(item.Root + kLogSeparator + StripTrailingBackslash(SplitRegistryValuePath(item.Path).Key));
    }
    batch.Flush();
}

void TInstallation::RegisterProduct()
{
    if (FileItems.empty()) throw Exception(kListIndexError);
    const std::string& program = FileItems.front().InstallName;
    const std::string dir = InstallDirectory();
    const std::string appKey = kAppPathsKey + program;
    WriteRegistryString(kProductRoot, appKey + "\\.", dir + program);
    WriteRegistryString(kProductRoot, appKey + "\\Path", dir);
    RegistryLog.push_back(std::string(kProductRoot) + kLogSeparator + appKey);
    const std::string uninstallKey = kUninstallKey + SetupInfo.Title;
    WriteRegistryString(kProductRoot, uninstallKey + "\\" + kDisplayName, SetupInfo.Title);
    const std::string logArgument = " \"" + dir + kLogName + "\"";
    WriteRegistryString(kProductRoot, uninstallKey + "\\" + kUninstallString, kUninstaller + logArgument);
    WriteRegistryString(kProductRoot, uninstallKey + "\\" + kQuietUninstallString,
                        kUninstaller + std::string(kSilentSwitch) + logArgument);
    WriteRegistryString(kProductRoot, uninstallKey + "\\" + kInstallLocation, StripTrailingBackslash(dir));
    WriteRegistryString(kProductRoot, uninstallKey + "\\" + kDisplayIcon, dir + program);
    platform::WriteRegistryNumber(platform::RootKey::LocalMachine,
                                  SplitRegistryValuePath(StripTrailingBackslash(uninstallKey + "\\" + kEstimatedSize)).Key,
                                  kEstimatedSize, EstimatedKiB(SetupInfo.TotalSize));
    RegistryLog.push_back(std::string(kProductRoot) + kLogSeparator + uninstallKey);
}

void TInstallation::SaveUninstallLog()
{
    FilesLog.push_back(LogFileName);
    std::string text;
    auto line = [&text](const std::string& l) { text += l + "\r\n"; };
    line("[APPLICATION]");
    line(Title);
    line("[REGISTRY]");
    for (const std::string& l : RegistryLog) line(l);
    line("[FILES]");
    for (const std::string& l : FilesLog) line(l);
    line("[DIRECTORIES]");
    for (const std::string& l : DirectoriesLog) line(l);
    platform::WriteWholeFile(LogFileName, text);
    if (!platform::FileExists(LogFileName)) throw EInstallError("Unable create uninstall log: " + LogFileName);
}

// The four choices as written (tokens unexpanded), expanded as the wizard
// starts with them.
static void ExpandChoices(TInstallOption& choices, const TInstallOption& written)
{
    choices.StartMenu = ExpandTokens("%STARTMENU", choices);
    choices.StartMenu = ExpandTokens(written.StartMenu, choices);
    choices.NewMenu = ExpandTokens(written.NewMenu, choices);
    choices.Directory = ExpandTokens(written.Directory, choices);
    choices.NewDirectory = written.NewDirectory;
}

void SetUpChoices(TInstallOption& choices, const TSetupInformation& info)
{
    TInstallOption written;
    written.Directory = info.Directory;
    written.StartMenu = info.StartMenu;
    written.NewDirectory = info.NewDirectory;
    written.NewMenu = info.NewMenu;
    ExpandChoices(choices, written);
}

void SetUpChoices(TInstallation& installation)
{
    SetUpChoices(installation, installation.SetupInfo);
    installation.Title = installation.SetupInfo.Title;
}

void SetUpChoices(TInstallation& installation, const TInstallOption& written)
{
    ExpandChoices(installation, written);
    installation.Title = installation.SetupInfo.Title;
}

bool TitleNamesOwnKey(const std::string& title)
{
    return title.find_first_not_of("\\ ") != std::string::npos;
}

} // namespace tarvex
