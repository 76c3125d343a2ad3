#include "engine/Uninstallation.h"

#include "base/Ascii.h"
#include "engine/RegistryWriter.h"
#include "paths/PathText.h"
#include "paths/PathTokens.h"
#include "paths/SystemFolders.h"
#include "platform/Files.h"
#include "platform/Shell.h"

#include <algorithm>
#include <set>
#include <utility>

namespace tarvex {

namespace {
constexpr char kApplication[] = "[APPLICATION]";
constexpr char kRegistrySection[] = "[REGISTRY]";
constexpr char kFilesSection[] = "[FILES]";
constexpr char kDirectoriesSection[] = "[DIRECTORIES]";
constexpr char kCannotRead[] = "Unable to read uninstall log: ";
constexpr char kNotALog[] = "Not an uninstall log: ";
constexpr char kUnknownSection[] = "Unknown section in uninstall log: ";
constexpr char kRepeatedSection[] = "Section repeated in uninstall log: ";
constexpr char kMissingSection[] = "Section missing from uninstall log: ";
constexpr char kBadTitle[] = "Uninstall log without exactly one title line: ";
constexpr char kBadRegistryLine[] = "Registry line without a known root in uninstall log: ";
constexpr char kRelativePath[] = "Relative path in uninstall log: ";
constexpr char kCannotRemove[] = "Unable to remove: ";
constexpr char kSuccess[] = " was successfully removed from your computer.";
constexpr char kPartly[] = " could not be removed completely.";
constexpr std::size_t kEntriesShown = 3;

// Folders whose paths the shell knows; none of them, nor any folder above
// them, is ever removed. Their CSIDL values.
constexpr int kShellFolders[] = {0x00, 0x02, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0B, 0x10, 0x13, 0x14, 0x15,
                                 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1C, 0x1D, 0x1E, 0x1F, 0x20, 0x21, 0x22,
                                 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x2B, 0x2D, 0x2E, 0x2F, 0x35};

std::vector<std::string> KeyParts(std::string_view key)
{
    // Only backslashes: a key's name may hold a slash.
    std::vector<std::string> parts;
    for (std::size_t pos = 0; pos <= key.size();) {
        const std::size_t end = std::min(key.find('\\', pos), key.size());
        if (end > pos) parts.emplace_back(key.substr(pos, end - pos));
        pos = end + 1;
    }
    return parts;
}

std::string JoinKey(const std::vector<std::string>& parts, std::size_t count)
{
    std::string key;
    for (std::size_t i = 0; i < count && i < parts.size(); ++i) key += "\\" + parts[i];
    return key;
}

// An absolute Windows path: a drive and a backslash (or the drive alone),
// or a UNC path.
bool AbsolutePath(std::string_view path)
{
    if (path.size() >= 2 && path[1] == ':' && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')))
        return path.size() == 2 || path[2] == '\\';
    return path.size() > 2 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
}

// A . or .. step: the text would name one folder and Windows another.
bool HasDotStep(std::string_view path)
{
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = std::min(path.find('\\', start), path.size());
        const std::string_view step = path.substr(start, end - start);
        if (step == "." || step == "..") return true;
        start = end + 1;
    }
    return false;
}

bool DriveOrShareRoot(std::string_view path)
{
    if (path.size() <= 3 && path.size() >= 2 && path[1] == ':') return true;
    if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
        std::size_t server = path.find('\\', 2);
        return server == std::string_view::npos || path.find('\\', server + 1) == std::string_view::npos;
    }
    return false;
}

std::string Lowered(std::string_view text) { return AsciiLowerCopy(text); }

// HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\X
// or ...\Uninstall\X: what the product registration wrote.
enum class Registration { None, AppPaths, Uninstall };

Registration RegistrationKey(platform::RootKey root, const std::vector<std::string>& parts)
{
    static const char* const kPrefix[] = {"software", "microsoft", "windows", "currentversion"};
    if (root != platform::RootKey::LocalMachine || parts.size() < 6) return Registration::None;
    for (std::size_t i = 0; i < 4; ++i)
        if (Lowered(parts[i]) != kPrefix[i]) return Registration::None;
    const std::string kind = Lowered(parts[4]);
    return kind == "app paths" ? Registration::AppPaths : kind == "uninstall" ? Registration::Uninstall : Registration::None;
}

std::string ListLine(const std::string& first, const std::vector<std::string>& names, bool more)
{
    std::string line = first + " (";
    for (std::size_t i = 0; i < names.size(); ++i) line += (i ? ", " : "") + names[i];
    return line + (more ? ", ...)" : ")");
}

} // namespace

TUninstallLog ParseUninstallLog(const std::string& text, const std::string& path)
{
    std::vector<std::string> lines;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t end = std::min(text.find('\n', pos), text.size());
        std::string line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        pos = end + 1;
    }
    if (lines.empty() || !SameTextAscii(lines.front(), kApplication))
        throw EUninstallError(kNotALog + path);
    TUninstallLog log;
    std::vector<std::string>* section = nullptr;
    std::vector<std::string> title;
    std::set<std::string> seen;
    for (const std::string& line : lines) {
        if (!line.empty() && line.front() == '[' && line.back() == ']') {
            const std::string name = Lowered(line);
            if (name == "[application]") section = &title;
            else if (name == "[registry]") section = &log.Registry;
            else if (name == "[files]") section = &log.Files;
            else if (name == "[directories]") section = &log.Directories;
            else throw EUninstallError(kUnknownSection + line);
            if (!seen.insert(name).second) throw EUninstallError(kRepeatedSection + line);
            continue;
        }
        if (section == &title) {
            title.push_back(line);
            continue;
        }
        if (line.empty()) continue; // nothing to remove
        if (section == &log.Registry) {
            std::size_t comma = line.find(',');
            if (comma == std::string::npos ||
                RootKeyFromName(std::string_view(line).substr(0, comma)) == platform::RootKey::Invalid)
                throw EUninstallError(kBadRegistryLine + line);
        } else if (!AbsolutePath(line) || HasDotStep(line)) {
            throw EUninstallError(kRelativePath + line);
        }
        section->push_back(line);
    }
    for (const char* name : {kApplication, kRegistrySection, kFilesSection, kDirectoriesSection})
        if (!seen.count(Lowered(name))) throw EUninstallError(kMissingSection + std::string(name));
    if (title.size() != 1) throw EUninstallError(kBadTitle + std::to_string(title.size()));
    log.Title = title.front();
    return log;
}

TUninstallLog ReadUninstallLog(const std::string& path)
{
    std::string text;
    if (!platform::ReadFileBytes(path, text)) throw EUninstallError(kCannotRead + path);
    return ParseUninstallLog(text, path);
}

bool TUninstallResult::NothingStayed() const
{
    return Scheduled.empty() && NotEmpty.empty() && SharedFilesKept.empty() && KeysKept.empty() && Errors.empty() &&
           !Aborted;
}

bool SharedRegistryKey(const std::string& rootName, const std::string& keyPath)
{
    const platform::RootKey root = RootKeyFromName(rootName);
    std::vector<std::string> parts = KeyParts(keyPath);
    if (RegistrationKey(root, parts) != Registration::None) return false;
    // Below HKEY_USERS each user's key stands as a root of its own.
    if (root == platform::RootKey::Users) {
        if (parts.empty()) return true;
        parts.erase(parts.begin());
    }
    if (parts.size() >= 2 && Lowered(parts[0]) == "software" && Lowered(parts[1]) == "wow6432node")
        parts.erase(parts.begin() + 1);
    // The product owns only its vendors' keys below Software.
    if (parts.size() < 2 || Lowered(parts[0]) != "software") return true;
    const std::string vendor = Lowered(parts[1]);
    return vendor == "microsoft" || vendor == "classes" || vendor == "policies" || vendor == "wow6432node";
}

TUninstallation::TUninstallation(TUninstallLog log, std::string logPath, TUninstallQuestions& questions)
    : log_(std::move(log)), logPath_(std::move(logPath)), questions_(&questions)
{
    productDir_ = StripTrailingBackslash(ExtractFilePath(logPath_));
    if (!AbsolutePath(productDir_) || DriveOrShareRoot(productDir_)) productDir_.clear();
}

bool TUninstallation::Inside(const std::string& path, const std::string& dir) const
{
    if (dir.empty() || path.size() <= dir.size() + 1) return false;
    return SameTextAscii(std::string_view(path).substr(0, dir.size()), dir) &&
           (path[dir.size()] == '\\' || dir.back() == '\\');
}

bool TUninstallation::Owned(const std::string& file) const
{
    // A link the installation made for one of its ICONS entries is its own,
    // wherever it lies (the desktop, say).
    const std::string_view name = file;
    if (name.size() > 4 && SameTextAscii(name.substr(name.size() - 4), ".LNK")) return true;
    return std::any_of(owned_.begin(), owned_.end(), [&](const std::string& dir) { return Inside(file, dir); });
}

bool TUninstallation::PathData(const std::string& data) const
{
    const std::size_t n = productDir_.size();
    std::string_view text = data;
    if (!text.empty() && text.front() == '"') text.remove_prefix(1);
    if (n == 0 || text.size() < n || !SameTextAscii(text.substr(0, n), productDir_)) return false;
    return text.size() == n || text[n] == '\\' || text[n] == '"';
}

bool TUninstallation::Protected(const std::string& dir) const
{
    if (DriveOrShareRoot(dir)) return true;
    for (const std::string& kept : protected_)
        if (SameTextAscii(kept, dir) || Inside(kept, dir)) return true;
    return false;
}

bool TUninstallation::Scheduled(const std::string& path) const
{
    return std::any_of(result_.Scheduled.begin(), result_.Scheduled.end(),
                       [&](const std::string& s) { return SameTextAscii(s, path); });
}

void TUninstallation::Step(const std::string& item) { questions_->Progress(item, ++done_, total_); }

TUninstallResult TUninstallation::Run()
{
    result_ = TUninstallResult();
    done_ = 0;
    std::set<std::string> directories;
    for (const std::string& dir : log_.Directories) directories.insert(Lowered(StripTrailingBackslash(dir)));
    total_ = log_.Files.size() + log_.Registry.size() + directories.size();
    protected_.clear();
    for (const std::string& dir : {platform::WindowsDirectory(), platform::SystemDirectory(), GetRegistryFolder(0),
                                   GetRegistryFolder(1), GetTempDir()})
        if (!dir.empty()) protected_.push_back(StripTrailingBackslash(dir));
    for (int id : kShellFolders)
        if (std::string dir = platform::SpecialFolderPath(id); !dir.empty()) protected_.push_back(StripTrailingBackslash(dir));
    // A protected folder (Windows, system, Program Files...) is everybody's,
    // even when the product's folder or the log says otherwise.
    owned_.clear();
    if (!productDir_.empty() && !Protected(productDir_)) owned_.push_back(productDir_);
    for (const std::string& dir : log_.Directories)
        if (std::string d = StripTrailingBackslash(dir); !Protected(d)) owned_.push_back(std::move(d));

    RemoveFiles();
    if (!result_.Aborted) RemoveRegistry();
    // The log goes last of all files: a run stopped before here can be run again.
    if (!result_.Aborted)
        for (const std::string& file : log_.Files)
            if (SameTextAscii(file, logPath_)) {
                RemoveFile(file);
                break;
            }
    if (!result_.Aborted) RemoveDirectories();
    return result_;
}

void TUninstallation::RemoveFiles()
{
    std::set<std::string> seen;
    for (auto it = log_.Files.rbegin(); it != log_.Files.rend() && !result_.Aborted; ++it) {
        Step(*it);
        if (SameTextAscii(*it, logPath_) || !seen.insert(Lowered(*it)).second) continue;
        RemoveFile(*it);
    }
}

void TUninstallation::RemoveFile(const std::string& path)
{
    // Nobody is asked about a file that is not there; the product's own
    // files are simply deleted, a missing one being no error.
    const bool owned = Owned(path);
    if (!owned && !platform::FileExists(path)) return;
    if (!owned && !questions_->RemoveSharedFile(path)) {
        result_.SharedFilesKept.push_back(path);
        return;
    }
    const bool self = !SelfPath.empty() && SameTextAscii(path, SelfPath);
    for (;;) {
        const platform::DeleteOutcome outcome = self ? platform::DeleteOutcome::InUse : platform::DeleteFileReporting(path);
        if (outcome == platform::DeleteOutcome::Missing) return;
        if (outcome == platform::DeleteOutcome::Deleted) {
            questions_->Removed("Removed " + path);
            return;
        }
        if (outcome == platform::DeleteOutcome::Failed) break;
        const TInUseAnswer answer = self ? TInUseAnswer::iuIgnore : questions_->FileInUse(path);
        if (answer == TInUseAnswer::iuRetry) continue;
        if (answer == TInUseAnswer::iuAbort) {
            result_.Aborted = true;
            return;
        }
        if (!platform::DeleteAtRestart(path)) break;
        result_.Scheduled.push_back(path);
        questions_->Removed("Scheduled for removal at restart: " + path);
        return;
    }
    result_.Errors.push_back(kCannotRemove + path);
}

void TUninstallation::RemoveRegistry()
{
    // Deepest keys first, each once: a key listed with one of its subkeys
    // then finds the subkey gone.
    std::vector<std::pair<std::size_t, std::string>> lines;
    std::set<std::string> seen;
    for (const std::string& line : log_.Registry) {
        const std::size_t comma = line.find(',');
        const std::string key = JoinKey(KeyParts(std::string_view(line).substr(comma + 1)), SIZE_MAX);
        const std::string normal = Lowered(line.substr(0, comma)) + "," + Lowered(key);
        Step(line);
        if (seen.insert(normal).second) lines.emplace_back(KeyParts(key).size(), line);
    }
    std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& [depth, line] : lines) RemoveKeyLine(line);
}

void TUninstallation::RemoveKeyLine(const std::string& line)
{
    const std::size_t comma = line.find(',');
    const std::string rootName = line.substr(0, comma);
    const platform::RootKey root = RootKeyFromName(rootName);
    const std::vector<std::string> parts = KeyParts(std::string_view(line).substr(comma + 1));
    const std::string key = JoinKey(parts, parts.size());
    const std::string shown = std::string(platform::RootKeyName(root)) + key;
    if (!platform::RegistryKeyExists(root, key)) return;
    if (SharedRegistryKey(rootName, key)) {
        RemovePathValues(root, rootName, key);
        result_.KeysKept.push_back(shown + " (shared with other programs)");
        return;
    }
    // A registration another installation of the same name has made since.
    const Registration registration = RegistrationKey(root, parts);
    const char* ownValue = registration == Registration::AppPaths ? "" : "UninstallString";
    if (registration != Registration::None) {
        for (const platform::RegistryValueText& value : platform::RegistryValues(root, key)) {
            if (!SameTextAscii(value.name, ownValue) || !value.text) continue;
            const bool ours = registration == Registration::AppPaths
                                  ? PathData(*value.text)
                                  : Lowered(*value.text).find(Lowered(logPath_)) != std::string::npos;
            if (!ours) {
                result_.KeysKept.push_back(shown + " (registered by another installation)");
                return;
            }
        }
    }
    if (!platform::RegistrySubkeys(root, key).empty()) {
        RemovePathValues(root, rootName, key);
        result_.KeysKept.push_back(shown + " (has subkeys)");
        return;
    }
    if (!platform::DeleteRegistryKey(root, key)) {
        result_.Errors.push_back(kCannotRemove + shown);
        return;
    }
    questions_->Removed("Removed " + shown);
    RemoveEmptyParents(root, rootName, key);
}

void TUninstallation::RemovePathValues(platform::RootKey root, const std::string&, const std::string& key)
{
    // Paths into the Windows folder, say, are not the product's alone.
    if (Protected(productDir_)) return;
    for (const platform::RegistryValueText& value : platform::RegistryValues(root, key)) {
        if (!value.text || !PathData(*value.text)) continue;
        const std::string shown =
            std::string(platform::RootKeyName(root)) + key + "\\" + (value.name.empty() ? "(default)" : value.name);
        if (platform::DeleteRegistryValue(root, key, value.name))
            questions_->Removed("Removed " + shown);
        else
            result_.Errors.push_back(kCannotRemove + shown);
    }
}

void TUninstallation::RemoveEmptyParents(platform::RootKey root, const std::string& rootName, std::string key)
{
    for (;;) {
        const std::size_t cut = key.find_last_of('\\');
        if (cut == std::string::npos || cut == 0) return;
        key.erase(cut);
        if (SharedRegistryKey(rootName, key) || !platform::RegistrySubkeys(root, key).empty() ||
            !platform::RegistryValues(root, key).empty())
            return;
        if (!platform::DeleteRegistryKey(root, key)) return;
        questions_->Removed("Removed " + std::string(platform::RootKeyName(root)) + key);
    }
}

void TUninstallation::RemoveDirectories()
{
    // The running uninstaller in a directory that goes: removed at restart.
    if (!SelfPath.empty() && platform::FileExists(SelfPath) && !Scheduled(SelfPath))
        for (const std::string& dir : log_.Directories)
            if (Inside(SelfPath, StripTrailingBackslash(dir)) && !Protected(StripTrailingBackslash(dir))) {
                if (platform::DeleteAtRestart(SelfPath)) {
                    result_.Scheduled.push_back(SelfPath);
                    questions_->Removed("Scheduled for removal at restart: " + SelfPath);
                }
                break;
            }
    // Each directory once, at its first listing: a folder listed again by a
    // later entry still comes after the folders made inside it.
    std::vector<std::string> order;
    std::set<std::string> seen;
    for (const std::string& line : log_.Directories) {
        if (seen.insert(Lowered(StripTrailingBackslash(line))).second) order.push_back(StripTrailingBackslash(line));
    }
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        const std::string& dir = *it;
        Step(dir);
        if (Protected(dir) || !platform::DirectoryExists(dir)) continue;
        if (platform::RemoveEmptyDirectory(dir)) {
            questions_->Removed("Removed " + dir);
            continue;
        }
        // Left only with what goes at restart: the directory goes after it.
        std::vector<std::string> entries = platform::DirectoryEntries(dir, SIZE_MAX);
        const bool onlyScheduled = !entries.empty() && std::all_of(entries.begin(), entries.end(), [&](const std::string& name) {
            return Scheduled(dir + "\\" + name);
        });
        if (onlyScheduled && platform::DeleteAtRestart(dir)) {
            result_.Scheduled.push_back(dir);
            questions_->Removed("Scheduled for removal at restart: " + dir);
            continue;
        }
        const bool more = entries.size() > kEntriesShown;
        if (more) entries.resize(kEntriesShown);
        result_.NotEmpty.push_back(ListLine(dir, entries, more));
    }
}

std::string UninstallSummary(const std::string& title, const TUninstallResult& result)
{
    std::string text = title + (result.Errors.empty() ? kSuccess : kPartly);
    auto block = [&text](const char* heading, const std::vector<std::string>& lines) {
        if (lines.empty()) return;
        text += "\r\n\r\n";
        text += heading;
        for (const std::string& line : lines) text += "\r\n" + line;
    };
    block("Not removed:", result.Errors);
    block("Removed when you restart your computer:", result.Scheduled);
    block("Folders kept because they are not empty:", result.NotEmpty);
    block("Shared files kept:", result.SharedFilesKept);
    block("Registry keys kept:", result.KeysKept);
    return text;
}

} // namespace tarvex
