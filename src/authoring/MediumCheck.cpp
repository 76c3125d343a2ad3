#include "authoring/MediumCheck.h"

#include "authoring/FileBytes.h"
#include "base/Ascii.h"
#include "base/Text.h"
#include "engine/CopyFile.h"
#include "engine/Installation.h"
#include "engine/RegistryWriter.h"
#include "formats/IniText.h"
#include "formats/SzddFormat.h"
#include "paths/PathText.h"
#include "paths/PathTokens.h"
#include "paths/SystemFolders.h"
#include "platform/LzExpand.h"
#include "platform/Profile.h"
#include "platform/ShellLink.h"
#include "setup_description/DecimalText.h"
#include "setup_description/Route.h"
#include "setup_description/SetupInformation.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>

namespace tarvex {

namespace fs = std::filesystem;

namespace {

using Severity = MediumProblem::Severity;

constexpr char kIniName[] = "Setup.INI";
constexpr char kSetupProgram[] = "setup.exe";
constexpr char kUninstaller[] = "ridsetup.exe";
constexpr char kUninstallerFolder[] = "%WINDOWSDIR";
// Link paths this close to the limit may pass it where the Start Menu lies
// deeper than on the machine the estimate is made on.
constexpr std::size_t kLinkMargin = 40;
// No drive reports more free bytes than a 64-bit count holds.
constexpr long double kMostFreeSpace = 18446744073709551616.0L;

constexpr const char* kSections[] = {"GENERAL", "FILES", "ICONS", "DIRECTORIES", "REGISTRY"};

// The tokens of the three expansion tables, each with its table.
struct KnownToken {
    std::string_view name;
    int table; // 0 special folders, 1 program files, 2 the user's choices
};

std::vector<std::string_view> TableNames(int table)
{
    std::vector<std::string_view> names;
    if (table == 0)
        for (std::size_t row = 0; row < kSpecialFolderEnd; ++row) names.push_back(kSpecialFolders[row].Token);
    if (table == 1)
        for (std::size_t row = 0; row < kRegistryFolderEnd; ++row) names.push_back(kRegistryFolders[row].Token);
    if (table == 2)
        for (std::size_t row = 0; row < kMiscTokenEnd; ++row) names.push_back(kMiscTokens[row]);
    return names;
}

const std::vector<KnownToken>& KnownTokens()
{
    static const std::vector<KnownToken> tokens = [] {
        std::vector<KnownToken> all;
        for (int table = 0; table < 3; ++table)
            for (std::string_view name : TableNames(table)) all.push_back({name, table});
        return all;
    }();
    return tokens;
}

// The longest known token that text holds at position at, if any.
const KnownToken* TokenAt(std::string_view text, std::size_t at)
{
    const KnownToken* best = nullptr;
    for (const KnownToken& token : KnownTokens())
        if (text.substr(at, token.name.size()) == token.name && (!best || token.name.size() > best->name.size()))
            best = &token;
    return best;
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsBlankChar(char c) { return c == ' ' || c == '\t'; }

// A folder path as compared symbolically: single backslashes, none at the
// end, letters in lower case.
std::string FolderKey(std::string_view text)
{
    std::string key = AsciiLowerCopy(RemoveDoubleBackslashes(text));
    while (!key.empty() && key.back() == '\\') key.pop_back();
    return key;
}

// Where the part of a DIRECTORIES line that the installation creates
// begins: inside %APPPATH and %SMICON (their own folder is created), after
// the component that follows %WINDOWSDIR or a written doubled backslash.
// A prefix of the line that ends at or after this index is created.
std::size_t CreatedFrom(std::string_view line)
{
    std::size_t from = std::string_view::npos;
    for (std::string_view seamToken : {std::string_view("%APPPATH"), std::string_view("%SMICON")})
        if (std::size_t at = line.find(seamToken); at != std::string_view::npos) from = std::min(from, at + seamToken.size());
    if (std::size_t at = line.find("%WINDOWSDIR\\"); at != std::string_view::npos)
        from = std::min(from, at + std::string_view("%WINDOWSDIR\\").size() + 1);
    if (std::size_t at = line.find("\\\\"); at != std::string_view::npos) from = std::min(from, at + 3);
    return from;
}

bool NeedsCreating(std::string_view folder) { return CreatedFrom(folder) != std::string_view::npos; }

std::string Quoted(std::string_view text)
{
    std::string out(1, '\'');
    out.append(text);
    out += '\'';
    return out;
}

// How a list section reads: its entries never read, its count, and the
// names of its empty entries.
struct ListReading {
    std::vector<UnreadEntry> unread;
    std::size_t count = 0;
    std::vector<std::string> emptyNames; // each once, in file order
    std::set<std::string> numbers;       // the entry numbers present
};

bool IsEntryNumber(const std::string& name, std::size_t count)
{
    return !name.empty() && name.size() <= 9 && name[0] != '0' &&
           name.find_first_not_of("0123456789") == std::string::npos && std::stoul(name) <= count;
}

ListReading ReadListEntries(const platform::ProfileFile& ini, const IniText& lines, const std::string& section)
{
    using Cause = UnreadEntry::Cause;
    ListReading reading;
    std::vector<std::string> listed = ini.ReadKeyNames(section);
    std::vector<IniText::Key> written = lines.Keys(section);
    for (std::size_t i = listed.size(); i < written.size(); ++i)
        reading.unread.push_back({Cause::PastKeyList, written[i].name, written[i].line});

    std::vector<std::string> recorded;
    std::set<std::string> seen;
    for (const std::string& name : listed) {
        bool fresh = seen.insert(AsciiLowerCopy(name)).second;
        if (ini.ReadString(section, name, "").empty()) {
            if (fresh) reading.emptyNames.push_back(name);
        } else if (fresh) {
            recorded.push_back(name);
        }
    }
    reading.count = recorded.size();
    for (const std::string& name : recorded) {
        if (IsEntryNumber(name, reading.count)) {
            reading.numbers.insert(name);
            continue;
        }
        bool number = !name.empty() && name.find_first_not_of("0123456789") == std::string::npos && name[0] != '0';
        reading.unread.push_back({number ? Cause::AboveCount : Cause::NotANumber, name, lines.KeyLine(section, name)});
    }
    for (const IniText::Key& line : lines.LinesWithoutEquals(section))
        reading.unread.push_back({Cause::NoEquals, line.name, line.line});
    return reading;
}

// How many bytes the data of an SZDD file expands to, whatever its header
// declares: the expansion reads until the data runs out.
std::uint64_t SzddDataLength(std::istream& in)
{
    in.seekg(static_cast<std::streamoff>(kSzddHeaderSize));
    std::uint64_t length = 0;
    std::vector<char> buffer(1 << 16);
    int flags = 0, bitsLeft = 0;
    bool half = false; // the first byte of a back reference has been read
    for (;;) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        std::streamsize got = in.gcount();
        if (got <= 0) return length;
        for (std::streamsize i = 0; i < got; ++i) {
            unsigned char byte = static_cast<unsigned char>(buffer[static_cast<std::size_t>(i)]);
            if (half) {
                length += (byte & 0x0F) + 3u;
                half = false;
            } else if (bitsLeft == 0) {
                flags = byte;
                bitsLeft = 8;
                continue;
            } else if (flags & 1) {
                ++length;
            } else {
                half = true;
                continue;
            }
            flags >>= 1;
            --bitsLeft;
        }
    }
}

class Checker {
public:
    Checker(const std::string& mediumDir, const std::string& iniText)
        : medium_(mediumDir), ini_(MediumPath(mediumDir, kIniName)), lines_(iniText)
    {
    }

    MediumReport Run()
    {
        try {
            CheckRepeats();
            CheckGeneral();
            CheckFiles();
            CheckDirectories();
            CheckIcons();
            CheckRegistry();
            CheckTotalSize();
            std::error_code ec;
            if (!fs::exists(MediumPath(medium_, kSetupProgram), ec))
                Add(Severity::Warning, "setup-missing", "", "", 0, "no setup.exe on the medium: nothing will run it");
        } catch (const std::exception& e) {
            // A report of what was found so far, rather than none.
            Add(Severity::Error, "check-stopped", "", "", 0, std::string("the check could not go on: ") + e.what());
        }
        return std::move(report_);
    }

private:
    void Add(Severity severity, std::string code, const std::string& section, const std::string& key, int line,
             std::string message)
    {
        if (line == 0 && !section.empty())
            line = key.empty() ? lines_.SectionLine(section) : lines_.KeyLine(section, key);
        if (line == 0 && !key.empty()) line = lines_.SectionLine(section);
        report_.problems.push_back({severity, std::move(code), section, key, line, std::move(message)});
    }
    void Add(Severity severity, std::string code, const std::string& section, const std::string& key,
             std::string message)
    {
        Add(severity, std::move(code), section, key, 0, std::move(message));
    }

    // Repeated section headers and keys: only the first counts.
    void CheckRepeats()
    {
        for (const char* section : kSections) {
            for (int line : lines_.IgnoredSectionLines(section))
                Add(Severity::Warning, "section-repeated", section, "", line,
                    std::string("a second [") + section + "] section is not read; only the first counts");
            std::map<std::string, int> first;
            for (const IniText::Key& key : lines_.Keys(section)) {
                auto [it, fresh] = first.emplace(AsciiLowerCopy(key.name), key.line);
                if (!fresh)
                    Add(Severity::Warning, "key-repeated", section, key.name, key.line,
                        "repeats the key of line " + std::to_string(it->second) + ", which is the one read");
                if (key.value.size() >= platform::kProfileValueBuffer)
                    Add(Severity::Warning, "value-cut", section, key.name, key.line,
                        "the value is cut to its first " + std::to_string(platform::kProfileValueBuffer - 1) +
                            " characters when read");
            }
        }
    }

    void CheckGeneral()
    {
        for (const IniText::Key& bare : lines_.LinesWithoutEquals("GENERAL"))
            Add(Severity::Warning, "line-no-equals", "GENERAL", "", bare.line,
                Quoted(bare.name) + " has no '=': it is no key and is never read");
        // Read as the wizard reads them, by its own table.
        ReadGeneralTexts(ini_, description_);
        for (const auto& [key, field] : kGeneralTexts) {
            const std::string& value = description_.*field;
            general_[key] = value;
            if (value == kMissingText) {
                generalComplete_ = false;
                Add(Severity::Error, "general-incomplete", "GENERAL", key,
                    lines_.KeyLine("GENERAL", key) ? "the value ERROR reads as a missing key; the wizard does not start"
                                                   : "missing; the wizard does not start");
            }
        }
        const std::string total = ini_.ReadString("GENERAL", kTotalSizeKey, kMissingSize);
        try {
            totalSize_ = StrToFloat(total, '.');
            if (totalSize_ == -1) {
                generalComplete_ = false;
                totalSize_.reset();
                Add(Severity::Error, "general-incomplete", "GENERAL", kTotalSizeKey,
                    "missing (or -1); the wizard does not start");
            } else if (total.find('.') != std::string::npos) {
                Add(Severity::Warning, "totalsize-fraction", "GENERAL", "TotalSize",
                    "a fraction is read with the user's decimal separator; write whole bytes");
            }
        } catch (const std::exception& e) {
            generalComplete_ = false;
            Add(Severity::Error, "totalsize-invalid", "GENERAL", "TotalSize",
                std::string(e.what()) + "; the wizard does not start");
        }
        if (totalSize_ && *totalSize_ > kMostFreeSpace) {
            bool checked = false;
            try {
                for (std::int16_t page : PagesToInstall(general_["Route"])) checked |= page == pcDirectory;
            } catch (const std::exception&) {
                // a route fault of its own, reported below
            }
            Add(checked ? Severity::Error : Severity::Warning, "totalsize-impossible", "GENERAL", "TotalSize",
                "more bytes than any drive has free" +
                    std::string(checked ? ": the destination page never lets the installation go on"
                                        : "; no page of this route checks it"));
        }

        const std::string& title = general_["Title"];
        if (title != kMissingText && !TitleNamesOwnKey(title))
            Add(Severity::Error, "title-empty", "GENERAL", "Title",
                "names no key of its own under the shared Uninstall key; the installation refuses to start");

        const std::string& route = general_["Route"];
        if (route != kMissingText) {
            for (std::size_t i = 0; i < route.size(); ++i) {
                char c = route[i];
                if (c >= '0' && c <= '5') continue;
                Add(Severity::Error, "route-page", "GENERAL", "Route",
                    Quoted(std::string(1, c)) + " (page " + std::to_string(i + 1) +
                        ") is no page code (0 to 5); the wizard stops when it gets there");
            }
            if (route.find('5') == std::string::npos)
                Add(Severity::Error, "route-no-install", "GENERAL", "Route",
                    "the route has no installation page (5): nothing would be installed");
            if (route.find('0') != std::string::npos) CheckText("License");
            if (route.find('1') != std::string::npos) CheckText("ReadMe");
        }

        CheckTokens("GENERAL", "Directory", general_["Directory"]);
        CheckTokens("GENERAL", "StartMenu", general_["StartMenu"]);
        CheckTokens("GENERAL", "NewMenu", general_["NewMenu"]);
        CheckTokens("GENERAL", "Run", general_["Run"]);
        CheckNotExpanded("GENERAL", "NewDirectory", general_["NewDirectory"], "in NewDirectory");
        for (const char* key : {"Directory", "NewDirectory", "StartMenu", "NewMenu"})
            if (general_[key] != kMissingText) CheckNames("GENERAL", key, general_[key]);
    }

    // The licence or information text that a page of the route shows.
    void CheckText(const char* key)
    {
        const std::string& name = general_[key];
        if (name == kMissingText) return;
        if (!FindOnMedium(name))
            Add(Severity::Error, "text-missing", "GENERAL", key,
                Quoted(name) + " is not on the medium; its page cannot be shown and the wizard stops");
    }

    // The item lines of a numbered list, as the wizard reads them, after
    // reporting the entries that numbering leaves out.
    std::vector<std::string> ReadList(const std::string& section)
    {
        using Cause = UnreadEntry::Cause;
        ListReading reading = ReadListEntries(ini_, lines_, section);
        const std::size_t n = reading.count;
        for (const std::string& name : reading.emptyNames)
            Add(Severity::Warning, "list-empty-entry", section, name, "an empty entry is not counted");
        for (const UnreadEntry& entry : reading.unread) {
            switch (entry.cause) {
            case Cause::PastKeyList:
                Add(Severity::Error, "list-gap", section, entry.key, entry.line,
                    "beyond the " + std::to_string(platform::kProfileKeyListBuffer) +
                        "-byte list of key names: never read");
                break;
            case Cause::AboveCount:
            case Cause::NotANumber:
                Add(Severity::Error, "list-gap", section, entry.key, entry.line,
                    "never read: with " + std::to_string(n) + " non-empty entries the list is read as 1 to " +
                        std::to_string(n));
                break;
            case Cause::NoEquals:
                Add(Severity::Error, "line-no-equals", section, "", entry.line,
                    Quoted(entry.key) + " has no '=': it is no entry and is never read");
                break;
            }
        }
        for (std::size_t i = 1; i <= n; ++i) {
            std::string key = std::to_string(i);
            if (!reading.numbers.count(key))
                Add(Severity::Error, "list-gap", section, key,
                    "entry " + key + " is missing: it reads as an empty line" +
                        (section == "FILES" ? ", which stops the wizard," : "") + " and the highest entry is never read");
        }
        return ReadNumberedSection(ini_, section);
    }

    void CheckFiles()
    {
        std::optional<TInstallOption> defaults = WizardDefaults();
        std::vector<std::string> items = ReadList("FILES");
        if (items.empty())
            Add(Severity::Error, "files-empty", "FILES", "",
                "no files: the installation fails when it registers the product");
        bool uninstaller = false;
        for (std::size_t i = 0; i < items.size(); ++i) {
            const std::string key = std::to_string(i + 1);
            if (items[i].empty()) continue; // reported as a gap
            std::string rest = items[i];
            std::string source = NextField(rest), installName = NextField(rest), number = NextField(rest),
                        destDir = NextField(rest);
            try {
                StrToInt(Trim(number));
            } catch (const std::exception&) {
                Add(Severity::Error, "files-unreadable", "FILES", key,
                    "field 3 " + Quoted(number) + " is not a whole number; the wizard does not start");
            }
            CheckBlankBeforeComma("FILES", key, source, "the medium file name");
            if (SameTextAscii(installName, kUninstaller)) {
                uninstaller = true;
                // The registered command names it without a folder: the
                // system's program search finds it in the Windows folder.
                if (!SameTextAscii(StripTrailingBackslash(Trim(destDir)), kUninstallerFolder))
                    Add(Severity::Warning, "uninstaller-elsewhere", "FILES", key,
                        "ridsetup.exe goes to " + Quoted(destDir) +
                            ", where the Uninstall registration's bare \"ridsetup.exe\" is not found; install it "
                            "to %WINDOWSDIR");
            }
            CheckTokens("FILES", key, destDir + "\\" + installName);
            CheckNames("FILES", key, destDir + "\\" + installName);
            if (defaults) CheckCopyPaths(key, destDir, installName, *defaults);
            folderUses_.push_back({"FILES", key, StripTrailingBackslash(ExtractFilePath(destDir + "\\" + installName))});
            installed_.insert(FolderKey(destDir + "\\" + installName));
            if (LeavesFolder(source)) {
                Add(Severity::Error, "source-outside", "FILES", key,
                    Quoted(source) + " lies outside the medium: the installation refuses it");
                expandedSizeKnown_ = false;
                continue;
            }
            std::optional<long double> size = ExpandedSize("FILES", key, source);
            if (size) report_.expandedSize += *size;
            else expandedSizeKnown_ = false;
        }
        if (!items.empty() && !uninstaller)
            Add(Severity::Warning, "uninstaller-missing", "FILES", "",
                "no entry installs ridsetup.exe, which the product's Uninstall registration runs");
    }

    void CheckDirectories()
    {
        for (const std::string& line : ReadList("DIRECTORIES")) {
            const std::string key = std::to_string(directoryCount_ + 1);
            ++directoryCount_;
            if (line.empty()) continue;
            CheckTokens("DIRECTORIES", key, line);
            CheckNames("DIRECTORIES", key, line);
            std::size_t from = CreatedFrom(line);
            if (from == std::string::npos) {
                Add(Severity::Warning, "directory-not-created", "DIRECTORIES", key,
                    "creates nothing: the folder must exist already, or the installation stops");
                continue;
            }
            for (std::size_t at = 0; at <= line.size(); ++at)
                if ((at == line.size() || line[at] == '\\') && at >= from) created_.insert(FolderKey(line.substr(0, at)));
        }
        if (!created_.count(FolderKey("%APPPATH")))
            Add(Severity::Error, "product-folder", "DIRECTORIES", "",
                "no line creates the product folder %APPPATH: the files copied there and Install.log cannot be "
                "written");
        for (const FolderUse& use : folderUses_) CheckFolder(use);
    }

    void CheckIcons()
    {
        std::optional<TInstallOption> defaults = WizardDefaults();
        std::vector<std::string> items = ReadList("ICONS");
        for (std::size_t i = 0; i < items.size(); ++i) {
            const std::string key = std::to_string(i + 1);
            if (items[i].empty()) continue;
            std::string rest = items[i];
            std::string name = NextField(rest), folder = NextField(rest), target = NextField(rest),
                        arguments = NextField(rest);
            CheckBlankBeforeComma("ICONS", key, name, "the shortcut's name");
            CheckBlankBeforeComma("ICONS", key, target, "the shortcut's target");
            CheckNames("ICONS", key, folder + "\\" + ChangeFileExt(name, ".LNK"));
            CheckTokens("ICONS", key, folder + "\\" + name);
            CheckTokens("ICONS", key, target);
            CheckShortcutTarget(key, target);
            CheckNotExpanded("ICONS", key, arguments, "in a shortcut's arguments");
            CheckFolder({"ICONS", key, StripTrailingBackslash(ExtractFilePath(folder + "\\" + name))});
            if (!defaults) continue;
            std::string link;
            try {
                link = RemoveDoubleBackslashes(ChangeFileExt(ExpandTokens(folder + "\\" + name, *defaults), ".LNK"));
            } catch (const std::exception&) {
                continue;
            }
            if (link.size() > platform::kMaxLinkPath) {
                Add(Severity::Error, "link-too-long", "ICONS", key,
                    "the link path has " + std::to_string(link.size()) + " characters with the wizard's defaults (at most " +
                        std::to_string(platform::kMaxLinkPath) + "): " + link);
            } else if (link.size() + kLinkMargin > platform::kMaxLinkPath) {
                Add(Severity::Warning, "link-near-limit", "ICONS", key,
                    "the link path has " + std::to_string(link.size()) +
                        " characters with the wizard's defaults; a deeper Start Menu may pass the limit of " +
                        std::to_string(platform::kMaxLinkPath));
            }
        }
    }

    // The product folder is new on a fresh machine: a shortcut to a file in
    // it that no FILES entry installs points at nothing. Elsewhere the target
    // may be the machine's own.
    void CheckShortcutTarget(const std::string& key, const std::string& target)
    {
        const std::string path = FolderKey(Trim(target));
        if (path.rfind("%apppath\\", 0) != 0 || installed_.count(path)) return;
        Add(Severity::Warning, "shortcut-target-missing", "ICONS", key,
            Quoted(target) + " is installed by no FILES entry: the shortcut is made to a missing file");
    }

    void CheckRegistry()
    {
        std::vector<std::string> items = ReadList("REGISTRY");
        for (std::size_t i = 0; i < items.size(); ++i) {
            const std::string key = std::to_string(i + 1);
            if (items[i].empty()) continue;
            std::string rest = items[i];
            std::string root = NextField(rest), path = NextField(rest), data = NextField(rest);
            if (RootKeyFromName(root) == platform::RootKey::Invalid) {
                std::string hint = root != Trim(root) ? " (mind the blanks around it)" : "";
                Add(Severity::Error, "registry-root", "REGISTRY", key,
                    "unknown root " + Quoted(root) + hint +
                        ": use HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER or HKEY_USERS; the installation stops here");
            }
            CheckNotExpanded("REGISTRY", key, path + "," + data, "in REGISTRY entries");
        }
    }

    void CheckTotalSize()
    {
        if (!totalSize_ || !expandedSizeKnown_) return;
        if (*totalSize_ < report_.expandedSize)
            Add(Severity::Error, "totalsize-small", "GENERAL", "TotalSize",
                "smaller than the files it installs (" + std::to_string(static_cast<unsigned long long>(report_.expandedSize)) +
                    " bytes expanded): the disk space check lets too small a disk pass");
    }

    // --- helpers ---

    struct FolderUse {
        std::string section, key, folder;
    };

    void CheckFolder(const FolderUse& use)
    {
        if (created_.count(FolderKey(use.folder))) return;
        if (use.folder.find("%APPPATH") != std::string::npos || use.folder.find("%SMICON") != std::string::npos ||
            NeedsCreating(use.folder)) {
            Add(Severity::Error, "folder-not-created", use.section, use.key,
                "no DIRECTORIES line creates " + Quoted(use.folder) +
                    (use.section == "ICONS" ? ": the shortcut is silently not made"
                                            : ": the copy fails"));
        } else if (use.folder.find('%') == std::string::npos) {
            Add(Severity::Warning, "folder-must-exist", use.section, use.key,
                Quoted(use.folder) + " is not created by the installation and must exist on the target machine");
        }
    }

    // Names Windows cannot hold, or holds otherwise than written.
    void CheckNames(const std::string& section, const std::string& key, const std::string& path)
    {
        std::string name = UnholdableName(path);
        if (name.empty()) return;
        if (name.back() == '.' || name.back() == ' ')
            Add(Severity::Error, "name-invalid", section, key,
                Quoted(name) + " ends in a dot or blank, which Windows drops: the name installed is not the one "
                               "written");
        else
            Add(Severity::Error, "name-invalid", section, key,
                Quoted(name) + " is a device name on Windows: no file or folder can be called that");
    }

    // The paths the copy writes for a FILES entry, with the wizard's
    // defaults: the temporary copy and the destination, each under a
    // temporary name a suffix longer.
    void CheckCopyPaths(const std::string& key, const std::string& destDir, const std::string& installName,
                        const TInstallOption& defaults)
    {
        std::string temp, dest;
        try {
            temp = RemoveDoubleBackslashes(GetTempDir() + "\\" + installName);
            dest = RemoveDoubleBackslashes(ExpandTokens(destDir + "\\" + installName, defaults));
        } catch (const std::exception&) {
            return;
        }
        for (const std::string& path : {temp, dest}) {
            std::size_t length = CopyTempPath(path).size();
            if (length > kMaxCopyPath) {
                Add(Severity::Error, "path-too-long", "FILES", key,
                    "the copy writes " + Quoted(path) + " under a temporary name of " + std::to_string(length) +
                        " characters with the wizard's defaults (at most " + std::to_string(kMaxCopyPath) + ")");
                return;
            }
        }
        if (CopyTempPath(dest).size() + kLinkMargin > kMaxCopyPath)
            Add(Severity::Warning, "path-near-limit", "FILES", key,
                "the copy's temporary name for " + Quoted(dest) + " has " +
                    std::to_string(CopyTempPath(dest).size()) +
                    " characters with the wizard's defaults; a deeper folder may pass the limit of " +
                    std::to_string(kMaxCopyPath));
    }

    void CheckBlankBeforeComma(const std::string& section, const std::string& key, const std::string& field,
                               const char* what)
    {
        if (!field.empty() && IsBlankChar(field.back()))
            Add(Severity::Warning, "blank-in-name", section, key,
                "a blank before the comma stays in " + std::string(what) + ": " + Quoted(field));
    }

    // Tokens in a text that the installation expands.
    void CheckTokens(const std::string& section, const std::string& key, const std::string& text)
    {
        std::vector<std::pair<std::size_t, const KnownToken*>> found;
        for (std::size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 1)) {
            if (const KnownToken* token = TokenAt(text, at)) {
                found.emplace_back(at, token);
                if (token->name == "%UNSUPPORTED")
                    Add(Severity::Warning, "token-empty", section, key, "%UNSUPPORTED stands for no folder and expands to nothing");
                at += token->name.size() - 1;
                continue;
            }
            bool lowerCase = false;
            for (const KnownToken& token : KnownTokens()) {
                if (SameTextAscii(std::string_view(text).substr(at, token.name.size()), token.name)) {
                    Add(Severity::Error, "token-case", section, key,
                        Quoted(text.substr(at, token.name.size())) + " is not a token: tokens are written in capitals (" +
                            std::string(token.name) + ")");
                    lowerCase = true;
                    break;
                }
            }
            if (lowerCase || at + 1 >= text.size() || !IsAsciiLetter(text[at + 1])) continue;
            std::size_t end = at + 1;
            while (end < text.size() && (IsAsciiLetter(text[end]) || (text[end] >= '0' && text[end] <= '9') || text[end] == '_')) ++end;
            Add(Severity::Error, "token-unknown", section, key,
                Quoted(text.substr(at, end - at)) + " is not a token; it stays in the path as written");
        }
        // Each table replaces only the first occurrence of its first token.
        for (int table = 0; table < 3; ++table) {
            std::vector<std::string_view> names = TableNames(table);
            std::size_t row = FindTokenRow(text, names);
            if (row == names.size()) continue;
            std::size_t replaced = FindTokenOccurrence(text, names, row);
            for (const auto& [at, token] : found)
                if (token->table == table && at != replaced)
                    Add(Severity::Error, "token-repeated", section, key,
                        std::string(token->name) + " stays as written: a text has one token of each kind expanded, the "
                                                   "first one");
        }
    }

    // Tokens in a text written as it stands.
    void CheckNotExpanded(const std::string& section, const std::string& key, const std::string& text, const char* where)
    {
        for (std::size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 1))
            if (const KnownToken* token = TokenAt(text, at)) {
                Add(Severity::Warning, "token-not-expanded", section, key,
                    std::string(token->name) + " is written as it stands: tokens are not expanded " + where);
                return;
            }
    }

    // The size a FILES source has once installed, or none when it is
    // missing or does not expand.
    std::optional<long double> ExpandedSize(const std::string& section, const std::string& key, const std::string& source)
    {
        std::optional<std::string> path = FindOnMedium(source);
        if (!path) {
            Add(Severity::Error, "source-missing", section, key, Quoted(source) + " is not on the medium");
            return std::nullopt;
        }
        if (auto cached = sizes_.find(*path); cached != sizes_.end()) return cached->second;
        std::optional<long double> size;
        unsigned char header[kSzddHeaderSize] = {};
        std::ifstream in(*path, std::ios::binary);
        in.read(reinterpret_cast<char*>(header), sizeof header);
        if (ParseSzddHeader(header, static_cast<std::size_t>(in.gcount())).kind == SzddKind::Plain) {
            std::error_code ec;
            size = static_cast<long double>(fs::file_size(*path, ec));
        } else {
            try {
                size = static_cast<long double>(platform::LzExpandedSize(*path));
                in.clear();
                std::uint64_t data = SzddDataLength(in);
                if (data > *size)
                    Add(Severity::Error, "lz-length", section, key,
                        Quoted(source) + " declares " + std::to_string(static_cast<std::uint64_t>(*size)) +
                            " bytes but its data expands to " + std::to_string(data) +
                            ": the file is installed cut to the declared length");
            } catch (const std::exception& e) {
                Add(Severity::Error, "lz-damaged", section, key, Quoted(source) + " does not expand: " + e.what());
            }
        }
        sizes_[*path] = size;
        return size;
    }

    // The file's path on the medium; names match without regard to case,
    // as on Windows, with a warning when only that way.
    std::optional<std::string> FindOnMedium(std::string name)
    {
        // Windows drops blanks at the end of a name when it opens a file.
        while (!name.empty() && IsBlankChar(name.back())) name.pop_back();
        std::string exact = MediumPath(medium_, name);
        std::error_code ec;
        if (fs::is_regular_file(exact, ec)) return exact;
        fs::path at(medium_);
        std::string rest = name;
        while (!rest.empty()) {
            std::size_t cut = rest.find_first_of("\\/");
            std::string part = rest.substr(0, cut);
            rest = cut == std::string::npos ? "" : rest.substr(cut + 1);
            if (part.empty()) continue;
            std::optional<fs::path> match;
            for (const fs::directory_entry& entry : fs::directory_iterator(at, ec))
                if (SameTextAscii(entry.path().filename().string(), part)) match = entry.path();
            if (!match) return std::nullopt;
            at = *match;
        }
        if (!fs::is_regular_file(at, ec)) return std::nullopt;
        if (!caseWarned_.count(AsciiLowerCopy(name))) {
            caseWarned_.insert(AsciiLowerCopy(name));
            Add(Severity::Warning, "name-case", "", "", 0,
                Quoted(name) + " is on the medium as " + Quoted(at.filename().string()) +
                    ": found on Windows, which ignores case, but nowhere else");
        }
        return at.string();
    }

    // The choices the wizard starts with on this machine.
    std::optional<TInstallOption> WizardDefaults()
    {
        if (!generalComplete_) return std::nullopt;
        try {
            TInstallOption choices;
            SetUpChoices(choices, description_);
            return choices;
        } catch (const std::exception&) {
            return std::nullopt;
        }
    }

    std::string medium_;
    platform::ProfileFile ini_;
    IniText lines_;
    MediumReport report_;
    TSetupInformation description_; // GENERAL's texts only
    std::map<std::string, std::string> general_; // the same by key
    bool generalComplete_ = true;
    std::optional<long double> totalSize_;
    bool expandedSizeKnown_ = true;
    std::map<std::string, std::optional<long double>> sizes_;
    std::set<std::string> caseWarned_;
    std::set<std::string> created_;
    std::set<std::string> installed_; // FILES destinations, as FolderKey gives them
    std::vector<FolderUse> folderUses_;
    std::size_t directoryCount_ = 0;
};

} // namespace

int MediumReport::Count(MediumProblem::Severity severity) const
{
    int n = 0;
    for (const MediumProblem& p : problems)
        if (p.severity == severity) ++n;
    return n;
}

std::string MediumPath(const std::string& mediumDir, const std::string& name)
{
    fs::path path(mediumDir);
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t cut = name.find_first_of("\\/", start);
        if (cut == std::string::npos) cut = name.size();
        if (cut > start) path /= name.substr(start, cut - start);
        start = cut + 1;
    }
    return path.string();
}

namespace {

// Setup.INI's text, or the problem that keeps it from being read.
std::optional<std::string> ReadIniText(const std::string& iniPath, std::string& problem)
{
    // What the wizard would show, with the file and the cause.
    std::string cause = FileReadProblem(iniPath);
    std::string text;
    if (cause.empty()) {
        try {
            text = ReadFileBytes(iniPath);
        } catch (const std::exception&) {
            cause = "cannot be read";
        }
    }
    if (!cause.empty()) {
        problem = std::string(kGeneralFailed) + ": " + iniPath + ": " + cause;
        return std::nullopt;
    }
    return text;
}

} // namespace

MediumReport CheckMedium(const std::string& mediumDir)
{
    std::string iniPath = MediumPath(mediumDir, kIniName);
    std::string problem;
    std::optional<std::string> text = ReadIniText(iniPath, problem);
    if (!text) {
        MediumReport report;
        const char* code = problem.find("not found") != std::string::npos ? "ini-missing" : "ini-unreadable";
        report.problems.push_back({Severity::Error, code, "", "", 0, problem});
        return report;
    }
    return Checker(mediumDir, *text).Run();
}

std::vector<UnreadEntry> UnreadEntries(const std::string& iniPath, const std::string& section)
{
    std::string problem;
    std::optional<std::string> text = ReadIniText(iniPath, problem);
    if (!text) return {};
    return ReadListEntries(platform::ProfileFile(iniPath), IniText(*text), section).unread;
}

} // namespace tarvex
