#include "platform/Shell.h"

#include "platform/posix/MachineRoot.h"
#include "platform/posix/PosixFile.h"
#include "platform/posix/SimulatedShell.h"

#include <cerrno>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace tarvex::platform {

namespace {

bool IsFile(const std::string& hostPath)
{
    struct stat st;
    return ::stat(hostPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsDirectory(const std::string& hostPath)
{
    struct stat st;
    return ::stat(hostPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Arguments after the program name, split by the C runtime's rules: blanks
// separate, quotes group, 2n backslashes before a quote give n and the quote
// toggles, 2n+1 give n and a literal quote.
std::vector<std::string> SplitArguments(std::string_view text)
{
    std::vector<std::string> args;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        if (i >= text.size()) break;
        std::string arg;
        bool quoted = false;
        while (i < text.size() && (quoted || (text[i] != ' ' && text[i] != '\t'))) {
            std::size_t slashes = 0;
            while (i < text.size() && text[i] == '\\') {
                ++slashes;
                ++i;
            }
            if (i < text.size() && text[i] == '"') {
                arg.append(slashes / 2, '\\');
                if (slashes % 2) {
                    arg += '"';
                } else if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
                    arg += '"'; // "" inside quotes is a literal quote
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                arg.append(slashes, '\\');
                if (i < text.size() && (quoted || (text[i] != ' ' && text[i] != '\t'))) arg += text[i++];
            }
        }
        args.push_back(std::move(arg));
    }
    return args;
}

// The host file a program name stands for: a path of the machine, with or
// without ".exe"; a bare name also in the Windows directory. Programs of the
// host outside the machine are never found.
std::string ProgramHostPath(const std::string& name)
{
    if (name.empty()) return std::string();
    std::vector<std::string> tries{name};
    if (HasMachine() && name.find_first_of("\\/:") == std::string::npos) tries.push_back(WindowsDirectory() + "\\" + name);
    for (const std::string& path : tries) {
        std::string host = MachineHostPath(path);
        if (IsFile(host)) return host;
        if (IsFile(host + ".exe")) return host + ".exe";
    }
    return std::string();
}

// The program and the rest of the line. An unquoted name with blanks is
// tried at each blank in turn, as CreateProcess does with C:\Program Files.
bool FindProgram(const std::string& commandLine, std::string& program, std::string_view& rest)
{
    std::string_view line = commandLine;
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (!line.empty() && line.front() == '"') {
        std::size_t close = line.find('"', 1);
        std::string name(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
        rest = close == std::string_view::npos ? std::string_view() : line.substr(close + 1);
        program = ProgramHostPath(name);
        return !program.empty();
    }
    std::size_t end = 0;
    while (end != std::string_view::npos) {
        end = line.find_first_of(" \t", end + 1);
        program = ProgramHostPath(std::string(line.substr(0, end)));
        if (!program.empty()) {
            rest = end == std::string_view::npos ? std::string_view() : line.substr(end);
            return true;
        }
    }
    return false;
}

} // namespace

std::string WindowsDirectory() { return ReadMachineSettings().windowsDir; }

std::string SystemDirectory() { return ReadMachineSettings().windowsDir + "\\SYSTEM"; }

std::string SpecialFolderPath(int folderId)
{
    MachineSettings settings = ReadMachineSettings();
    auto found = settings.shellFolders.find(folderId);
    return found == settings.shellFolders.end() ? std::string() : found->second;
}

double DiskFreeBytes(const std::string& rootDirectory)
{
    if (!IsDrivePath(rootDirectory)) return -1;
    const std::string drive = DriveHostPath(rootDirectory.substr(0, 2));
    if (!IsDirectory(drive)) return -1;
    if (auto fixed = ReadMachineSettings().freeSpace) return *fixed;
    struct statvfs vfs;
    if (::statvfs(drive.c_str(), &vfs) != 0) return -1;
    return static_cast<double>(vfs.f_bavail) * static_cast<double>(vfs.f_frsize);
}

void StartProgram(const std::string& commandLine, int)
{
    std::string program;
    std::string_view rest;
    if (!FindProgram(commandLine, program, rest)) return;
    std::vector<std::string> args = SplitArguments(rest);
    std::vector<char*> argv;
    argv.push_back(program.data());
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return;
    // Nobody waits for the program; a detached waiter keeps it from lingering
    // as a zombie while we run on.
    std::thread([pid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

std::vector<std::string>& OpenedDocuments()
{
    static std::vector<std::string> opened;
    return opened;
}

void OpenDocument(const std::string& target) { OpenedDocuments().push_back(target); }

} // namespace tarvex::platform
