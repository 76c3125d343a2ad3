#include "platform/posix/MachineRoot.h"

#include "base/Ascii.h"
#include "base/Exception.h"
#include "formats/IniText.h"
#include "formats/RegistryStore.h"
#include "platform/MachineRoot.h"
#include "platform/posix/PosixFile.h"

#include <cstdlib>
#include <dirent.h>
#include <mutex>
#include <sys/stat.h>
#include <vector>

namespace tarvex::platform {

namespace {

constexpr const char kMachineIni[] = "machine.ini";
constexpr const char kRegistryFile[] = "registry.reg";
constexpr const char kMachineSection[] = "Machine";
constexpr const char kFoldersSection[] = "ShellFolders";
constexpr const char kWindowsDirKey[] = "WindowsDir";
constexpr const char kProgramFilesKey[] = "ProgramFilesDir";
constexpr const char kCommonFilesKey[] = "CommonFilesDir";
constexpr const char kFreeSpaceKey[] = "FreeSpace";
// Where the installer reads Program Files and Common Files.
constexpr const char kCurrentVersionKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

constexpr const char kDefaultWindowsDir[] = "C:\\WINDOWS";
constexpr const char kDefaultProgramFiles[] = "C:\\Program Files";
constexpr const char kDefaultCommonFiles[] = "C:\\Program Files\\Common Files";

struct ShellFolderDefault {
    int folderId;
    const char* key;
    const char* path;
};
// Only folders with a file-system path; Control Panel, Printers, the Recycle
// Bin, My Computer and the network neighbourhood have none.
constexpr ShellFolderDefault kShellFolders[] = {
    {0x00, "Desktop", "C:\\WINDOWS\\Desktop"},
    {0x02, "Programs", "C:\\WINDOWS\\Start Menu\\Programs"},
    {0x05, "Personal", "C:\\My Documents"},
    {0x06, "Favorites", "C:\\WINDOWS\\Favorites"},
    {0x07, "Startup", "C:\\WINDOWS\\Start Menu\\Programs\\StartUp"},
    {0x08, "Recent", "C:\\WINDOWS\\Recent"},
    {0x09, "SendTo", "C:\\WINDOWS\\SendTo"},
    {0x0B, "StartMenu", "C:\\WINDOWS\\Start Menu"},
    {0x10, "DesktopDirectory", "C:\\WINDOWS\\Desktop"},
    {0x13, "NetHood", "C:\\WINDOWS\\NetHood"},
    {0x14, "Fonts", "C:\\WINDOWS\\Fonts"},
    {0x15, "Templates", "C:\\WINDOWS\\ShellNew"},
};

std::mutex rootMutex;
std::string rootDir;      // empty until set or first used
std::string preparedRoot; // the root whose defaults are in place

std::string DefaultRoot()
{
    if (const char* env = std::getenv("TARVEX_ROOT"); env && *env) return env;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.local/share/tarvex/machine";
}

bool Exists(const std::string& hostPath)
{
    struct stat st;
    return ::stat(hostPath.c_str(), &st) == 0;
}

void MakeDirectories(const std::string& hostPath)
{
    std::string partial;
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = hostPath.find('/', pos + 1);
        partial = hostPath.substr(0, pos);
        if (!partial.empty()) ::mkdir(partial.c_str(), 0777);
    }
    if (!Exists(hostPath)) throw Exception("Cannot create the machine folder " + hostPath);
}

std::string DefaultMachineIni()
{
    std::string text =
        "; The Windows machine this folder stands for: drive_c is C:\\, drive_d is D:\\.\r\n"
        "[Machine]\r\n";
    text += std::string(kWindowsDirKey) + "=" + kDefaultWindowsDir + "\r\n";
    text += std::string(kProgramFilesKey) + "=" + kDefaultProgramFiles + "\r\n";
    text += std::string(kCommonFilesKey) + "=" + kDefaultCommonFiles + "\r\n";
    text += "; Bytes free on every drive; the host's figure when absent.\r\n";
    text += std::string(";") + kFreeSpaceKey + "=1000000000\r\n\r\n";
    text += std::string("[") + kFoldersSection + "]\r\n";
    for (const auto& folder : kShellFolders) text += std::string(folder.key) + "=" + folder.path + "\r\n";
    return text;
}

MachineSettings ReadSettings(const std::string& root)
{
    std::string text;
    ReadWholeFile(root + "/" + kMachineIni, text);
    IniText ini(text);
    auto get = [&](const char* section, const char* key, const char* fallback) {
        return ini.Lookup(section, key).value_or(fallback);
    };
    MachineSettings settings;
    settings.windowsDir = get(kMachineSection, kWindowsDirKey, kDefaultWindowsDir);
    settings.programFilesDir = get(kMachineSection, kProgramFilesKey, kDefaultProgramFiles);
    settings.commonFilesDir = get(kMachineSection, kCommonFilesKey, kDefaultCommonFiles);
    for (const auto& folder : kShellFolders)
        settings.shellFolders[folder.folderId] = get(kFoldersSection, folder.key, folder.path);
    if (auto figure = ini.Lookup(kMachineSection, kFreeSpaceKey); figure && !figure->empty()) {
        char* end = nullptr;
        double value = std::strtod(figure->c_str(), &end);
        if (end && *end == '\0') settings.freeSpace = value;
    }
    return settings;
}

// Components of the part after "X:", resolved against the folder tree.
std::string Resolve(const std::string& root, char drive, std::string_view rest)
{
    std::vector<std::string> parts{std::string("drive_") + AsciiLower(drive)};
    std::size_t pos = 0;
    while (pos <= rest.size()) {
        std::size_t end = rest.find_first_of("\\/", pos);
        if (end == std::string_view::npos) end = rest.size();
        std::string_view part = rest.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (parts.size() > 1) parts.pop_back();
            continue;
        }
        parts.emplace_back(part);
    }
    std::string host = root;
    bool existing = true;
    for (const std::string& part : parts) {
        std::string name = part;
        if (existing && !Exists(host + "/" + part)) {
            existing = false;
            if (DIR* dir = ::opendir(host.c_str())) {
                while (const dirent* entry = ::readdir(dir)) {
                    if (SameTextAscii(entry->d_name, part)) {
                        name = entry->d_name;
                        existing = true;
                        break;
                    }
                }
                ::closedir(dir);
            }
        }
        host += "/" + name;
    }
    return host;
}

// Creates what a missing or partial root lacks; called with the lock held.
void Prepare(const std::string& root)
{
    MakeDirectories(root);
    const std::string iniPath = root + "/" + kMachineIni;
    const bool fresh = !Exists(iniPath);
    if (fresh && !WriteFileReplacing(iniPath, DefaultMachineIni()))
        throw Exception("Cannot write the machine settings " + iniPath);
    MakeDirectories(root + "/drive_c");
    MachineSettings settings = ReadSettings(root);
    const std::string storePath = root + "/" + kRegistryFile;
    if (!Exists(storePath)) {
        RegistryStore store;
        store.AddKey(kCurrentVersionKey);
        store.SetString(kCurrentVersionKey, kProgramFilesKey, settings.programFilesDir);
        store.SetString(kCurrentVersionKey, kCommonFilesKey, settings.commonFilesDir);
        if (!WriteFileReplacing(storePath, store.Text()))
            throw Exception("Cannot write the registry store " + storePath);
    }
    if (fresh) {
        // A new machine has its standard folders, as Windows would.
        std::vector<std::string> folders{settings.windowsDir, settings.programFilesDir, settings.commonFilesDir};
        for (const auto& [id, path] : settings.shellFolders) folders.push_back(path);
        for (const std::string& folder : folders)
            if (IsDrivePath(folder)) MakeDirectories(Resolve(root, folder[0], std::string_view(folder).substr(2)));
    }
}

std::string PreparedRoot()
{
    std::lock_guard<std::mutex> lock(rootMutex);
    if (rootDir.empty()) rootDir = DefaultRoot();
    if (preparedRoot != rootDir) {
        Prepare(rootDir);
        preparedRoot = rootDir;
    }
    return rootDir;
}

} // namespace

void SetMachineRoot(const std::string& hostDir)
{
    std::lock_guard<std::mutex> lock(rootMutex);
    rootDir = hostDir;
    while (rootDir.size() > 1 && rootDir.back() == '/') rootDir.pop_back();
    preparedRoot.clear();
}

std::string MachineRootDir() { return PreparedRoot(); }

MachineSettings ReadMachineSettings() { return ReadSettings(PreparedRoot()); }

bool IsDrivePath(std::string_view path)
{
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

std::string DriveHostPath(std::string_view path)
{
    return Resolve(PreparedRoot(), path[0], path.substr(2));
}

std::string RegistryStorePath() { return PreparedRoot() + "/" + kRegistryFile; }

} // namespace tarvex::platform
