#include "platform/posix/MachineRoot.h"

#include "base/Ascii.h"
#include "base/Exception.h"
#include "base/Text.h"
#include "formats/IniText.h"
#include "formats/RegistryStore.h"
#include "platform/MachineRoot.h"
#include "platform/posix/PosixFile.h"

#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
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
constexpr const char kCurrentDirectoryKey[] = "CurrentDirectory";
// Where the installer reads Program Files and Common Files.
constexpr const char kCurrentVersionKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

constexpr const char kDefaultWindowsDir[] = "C:\\WINDOWS";
constexpr const char kDefaultProgramFiles[] = "C:\\Program Files";
constexpr const char kDefaultCommonFiles[] = "C:\\Program Files\\Common Files";
constexpr const char kDefaultCurrentDirectory[] = "C:\\";

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
std::string rootDir;      // empty: no machine
std::string preparedRoot; // the root whose defaults are in place
std::string mediumDir;    // absolute, without a trailing slash; empty: none

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
    text += "; Where relative paths start; its drive is the drive of paths without one.\r\n";
    text += std::string(kCurrentDirectoryKey) + "=" + kDefaultCurrentDirectory + "\r\n";
    text += "; Bytes free on every drive; the host's figure when absent.\r\n";
    text += std::string(";") + kFreeSpaceKey + "=1000000000\r\n\r\n";
    text += std::string("[") + kFoldersSection + "]\r\n";
    for (const auto& folder : kShellFolders) text += std::string(folder.key) + "=" + folder.path + "\r\n";
    return text;
}

MachineSettings ReadSettings(const std::string& root)
{
    std::string text;
    ReadHostFile(root + "/" + kMachineIni, text);
    IniText ini(text);
    auto get = [&](const char* section, const char* key, const char* fallback) {
        return ini.Lookup(section, key).value_or(fallback);
    };
    MachineSettings settings;
    settings.windowsDir = get(kMachineSection, kWindowsDirKey, kDefaultWindowsDir);
    settings.programFilesDir = get(kMachineSection, kProgramFilesKey, kDefaultProgramFiles);
    settings.commonFilesDir = get(kMachineSection, kCommonFilesKey, kDefaultCommonFiles);
    settings.currentDirectory = get(kMachineSection, kCurrentDirectoryKey, kDefaultCurrentDirectory);
    // Only a full drive path can stand for it; anything else would start
    // relative paths nowhere in particular.
    if (!IsDrivePath(settings.currentDirectory) || settings.currentDirectory.size() < 3 ||
        (settings.currentDirectory[2] != '\\' && settings.currentDirectory[2] != '/'))
        settings.currentDirectory = kDefaultCurrentDirectory;
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
    ForEachPathPart(rest, [&](std::string_view part) {
        if (part.empty() || part == ".") return;
        if (part != "..") parts.emplace_back(part);
        else if (parts.size() > 1) parts.pop_back(); // never above the drive
    });
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

// An absolute host path with "." and ".." resolved by their text alone
// (relative ones start at the host's working directory).
std::string NormalHostPath(std::string_view path)
{
    std::string text(path);
    for (char& c : text)
        if (c == '\\') c = '/';
    if (text.empty() || text[0] != '/') {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd)) throw Exception("Cannot find the working directory for " + text);
        text = std::string(cwd) + "/" + text;
    }
    std::vector<std::string_view> parts;
    std::string_view rest = text;
    std::size_t pos = 0;
    while (pos <= rest.size()) {
        std::size_t end = rest.find('/', pos);
        if (end == std::string_view::npos) end = rest.size();
        std::string_view part = rest.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string out;
    for (std::string_view part : parts) {
        out += '/';
        out += part;
    }
    return out.empty() ? "/" : out;
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
    if (rootDir.empty()) throw Exception("No machine: the machine root is not set");
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

void SetMediumFolder(const std::string& hostDir)
{
    std::string normal = hostDir.empty() ? std::string() : NormalHostPath(hostDir);
    std::lock_guard<std::mutex> lock(rootMutex);
    mediumDir = std::move(normal);
}

bool HasMachine()
{
    std::lock_guard<std::mutex> lock(rootMutex);
    return !rootDir.empty();
}


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

std::string ResolveMachinePath(std::string_view path)
{
    const std::string root = PreparedRoot();
    const auto rooted = [](std::string_view text) { return !text.empty() && (text[0] == '\\' || text[0] == '/'); };
    if (IsDrivePath(path) && rooted(path.substr(2))) return Resolve(root, path[0], path.substr(2));
    const std::string current = ReadSettings(root).currentDirectory;
    if (IsDrivePath(path)) {
        // "D:name": from the current directory when that is on drive D.
        if (AsciiLower(path[0]) != AsciiLower(current[0])) return Resolve(root, path[0], path.substr(2));
        return Resolve(root, path[0], current.substr(2) + "\\" + std::string(path.substr(2)));
    }
    if (rooted(path)) return Resolve(root, current[0], path);
    return Resolve(root, current[0], current.substr(2) + "\\" + std::string(path));
}

std::optional<std::string> MediumHostPath(std::string_view path)
{
    if (path.empty() || path[0] != '/') return std::nullopt; // host paths are absolute
    std::string medium;
    {
        std::lock_guard<std::mutex> lock(rootMutex);
        medium = mediumDir;
    }
    if (medium.empty()) return std::nullopt;
    std::string host = NormalHostPath(path);
    if (host == medium || medium == "/" || (host.size() > medium.size() && host.compare(0, medium.size(), medium) == 0 &&
                                           host[medium.size()] == '/'))
        return host;
    return std::nullopt;
}

std::string RegistryStorePath() { return PreparedRoot() + "/" + kRegistryFile; }

std::string MachineStateFile(std::string_view name) { return PreparedRoot() + "/" + std::string(name); }

} // namespace tarvex::platform
