#include "authoring/MediumPack.h"

#include "authoring/FileBytes.h"
#include "authoring/MediumCheck.h"
#include "base/Ascii.h"
#include "base/Exception.h"
#include "authoring/SzddFile.h"
#include "formats/SzddCompressor.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>

namespace tarvex {

namespace fs = std::filesystem;

namespace {

constexpr char kUninstaller[] = "ridsetup.exe";
constexpr char kCrLf[] = "\r\n";
// TotalSize counts whole clusters of this size, one for Install.log and
// one for each shortcut.
constexpr std::uintmax_t kCluster = 4096;

std::uintmax_t Clusters(std::uintmax_t bytes) { return (bytes + kCluster - 1) / kCluster * kCluster; }

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw Exception("Cannot create file " + path.string());
}

// Why Setup.INI cannot carry a name (fields are split at commas and
// trimmed, and a % may start a token); empty when it can.
std::string NameProblem(const std::string& relative)
{
    std::string problem;
    auto check = [&](const std::string& part) {
        if (part.empty() || !problem.empty()) return;
        if (part.front() == ' ' || part.back() == ' ' || part.back() == '.') {
            problem = "'" + relative + "': a name with blanks or a dot at its ends cannot be installed as written";
            return;
        }
        for (std::size_t i = 0; i < part.size() && problem.empty(); ++i) {
            unsigned char c = static_cast<unsigned char>(part[i]);
            if (c == ',' || c < 0x20 || c >= 0x80)
                problem = "'" + relative + "': Setup.INI cannot carry this name (commas, control characters "
                                           "and letters beyond ASCII are not allowed)";
            else if (c == '%' && i + 1 < part.size() && std::isalpha(static_cast<unsigned char>(part[i + 1])))
                problem = "'" + relative + "': a % followed by a letter would be read as a path token";
        }
    };
    std::size_t start = 0;
    while (start <= relative.size()) {
        std::size_t cut = relative.find('\\', start);
        if (cut == std::string::npos) cut = relative.size();
        check(relative.substr(start, cut - start));
        start = cut + 1;
    }
    return problem;
}

// One message for every problem found, so that one run lists them all.
[[noreturn]] void ThrowAll(const std::vector<std::string>& problems)
{
    if (problems.size() == 1) throw Exception(problems.front());
    std::string message = std::to_string(problems.size()) + " problems in the source tree:";
    for (const std::string& problem : problems) message += "\n  " + problem;
    throw Exception(message);
}

// The medium is laid out in a folder beside its place, which is removed
// unless it is moved into that place.
class StagedMedium {
public:
    explicit StagedMedium(const fs::path& place) : place_(place.has_filename() ? place : place.parent_path())
    {
        std::random_device random;
        fs::create_directories(place_.parent_path());
        do {
            path_ = place_.parent_path() / (place_.filename().string() + ".~tvx" + std::to_string(random() % 100000));
        } while (!fs::create_directory(path_));
    }
    ~StagedMedium()
    {
        std::error_code ignored;
        if (!path_.empty()) fs::remove_all(path_, ignored);
    }
    StagedMedium(const StagedMedium&) = delete;
    StagedMedium& operator=(const StagedMedium&) = delete;

    const fs::path& Path() const { return path_; }
    // The place is empty when it exists (checked before packing).
    void MoveIntoPlace()
    {
        if (fs::exists(place_)) fs::remove(place_);
        fs::rename(path_, place_);
        path_.clear();
    }

private:
    fs::path place_;
    fs::path path_;
};

std::string Relative(const fs::path& root, const fs::path& path)
{
    std::string out;
    // Lexical: resolving a link here would name its target, or loop.
    for (const fs::path& part : path.lexically_relative(root)) {
        if (!out.empty()) out += '\\';
        out += part.string();
    }
    return out;
}

std::string FolderOf(const std::string& relative)
{
    std::size_t cut = relative.rfind('\\');
    return cut == std::string::npos ? "" : relative.substr(0, cut);
}

std::string NameOf(const std::string& relative) { return relative.substr(relative.rfind('\\') + 1); }

// Plain text with CRLF line ends, as the information page shows it.
std::string GeneratedText(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& line : lines) out += line + kCrLf;
    return out;
}

} // namespace

PackResult PackMedium(const PackOptions& options, const MediumAcceptor& accept)
{
    if (options.title.empty() || options.title == "ERROR")
        throw Exception("the title must be given, and may not be ERROR (which Setup.INI reads as missing)");
    for (const std::string* text : {&options.title, &options.newDirectory, &options.newMenu})
        if (text->find_first_of("\r\n") != std::string::npos) throw Exception("texts must be single lines");
    if (!fs::is_directory(options.sourceTree)) throw Exception("not a folder: " + options.sourceTree);
    if (fs::exists(options.medium) && !fs::is_empty(options.medium))
        throw Exception("the medium folder is not empty: " + options.medium);
    const fs::path tree(options.sourceTree);
    PackResult result;

    // The product's files and folders, parents before their contents, and
    // every problem with them at once. Links to folders are not followed
    // (a loop would never end); links to files are packed as those files.
    std::vector<std::string> files, folders, problems;
    constexpr std::uintmax_t kLargest = 0xFFFFFFFF; // the LZ header's length
    std::error_code ec;
    for (fs::recursive_directory_iterator it(tree, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::directory_entry& entry = *it;
        std::string relative = Relative(tree, entry.path());
        const fs::file_status status = entry.status(ec);
        ec.clear();
        if (std::string problem = NameProblem(relative); !problem.empty()) {
            problems.push_back(problem);
            it.disable_recursion_pending(); // its contents would repeat it
        } else if (entry.is_symlink(ec) && !fs::exists(status)) {
            problems.push_back("'" + relative + "': a link that leads nowhere, or round in a loop");
        } else if (fs::is_directory(status)) {
            if (entry.is_symlink(ec)) result.notes.push_back("not followed: " + relative + " (a link to a folder)");
            else folders.push_back(relative);
        } else if (!fs::is_regular_file(status)) {
            result.notes.push_back("left out: " + relative + " (not a regular file)");
        } else if (std::uintmax_t size = entry.file_size(ec); size > kLargest) {
            problems.push_back("'" + relative + "': " + std::to_string(size) +
                               " bytes, too large for the LZ format's length");
        } else {
            files.push_back(relative);
        }
        ec.clear();
    }
    if (ec) problems.push_back("cannot read the source tree: " + ec.message());
    for (const std::string* given : {&options.license, &options.readme, &options.setupProgram, &options.uninstaller})
        if (!given->empty())
            if (std::string problem = FileReadProblem(*given); !problem.empty()) problems.push_back(*given + ": " + problem);
    if (!problems.empty()) {
        std::sort(problems.begin(), problems.end());
        ThrowAll(problems);
    }
    auto byPath = [](const std::string& a, const std::string& b) { return AsciiLowerCopy(a) < AsciiLowerCopy(b); };
    std::sort(files.begin(), files.end(), byPath);
    std::sort(folders.begin(), folders.end(), byPath);

    // The main program is FILES entry 1: the product is registered by its name.
    std::string main = options.mainProgram;
    std::replace(main.begin(), main.end(), '/', '\\');
    if (!main.empty()) {
        auto it = std::find_if(files.begin(), files.end(), [&](const std::string& f) { return SameTextAscii(f, main); });
        if (it == files.end()) throw Exception("the main program is not in the tree: " + options.mainProgram);
        main = *it;
    } else {
        std::vector<std::string> programs;
        for (const std::string& f : files)
            if (f.find('\\') == std::string::npos && f.size() > 4 && SameTextAscii(f.substr(f.size() - 4), ".exe") &&
                !SameTextAscii(f, kUninstaller))
                programs.push_back(f);
        if (programs.size() == 1) main = programs.front();
        else result.notes.push_back("no main program (give --main): no shortcut and nothing to run at the end");
    }
    if (!main.empty()) std::stable_partition(files.begin(), files.end(), [&](const std::string& f) { return f == main; });
    // The uninstaller is entry 2, which a FILES list cut by the key-list
    // limit always keeps. Not entry 1: that one names the product's App
    // Paths key, which other products would share.
    if (files.size() > 1)
        std::stable_partition(files.begin() + 1, files.end(), [](const std::string& f) { return SameTextAscii(f, kUninstaller); });
    result.mainProgram = main;

    StagedMedium staged(fs::absolute(options.medium).lexically_normal());
    const fs::path& medium = staged.Path();
    std::set<std::string> taken = {"setup.ini", "setup.exe"};
    auto take = [&](const std::string& mediumName) { return taken.insert(AsciiLowerCopy(mediumName)).second; };

    // The texts the licence and information pages show.
    auto text = [&](const std::string& given, const char* generatedName, const std::vector<std::string>& lines,
                    const char* what) {
        std::string name = given.empty() ? generatedName : BaseName(given);
        if (!take(name)) throw Exception("two files would be called " + name + " on the medium");
        if (given.empty()) {
            WriteBytes(medium / name, GeneratedText(lines));
            result.notes.push_back(std::string("generated ") + what + " " + name);
        } else {
            fs::copy_file(given, medium / name);
        }
        return name;
    };
    const std::string title = options.title;
    std::string license = text(options.license, "license.txt",
                               {title, "", "Read the terms under which you may use " + title + " before you install it.",
                                "Its publisher supplies them with the product."},
                               "licence text");
    std::string readme = text(options.readme, "readme.txt",
                              {title, "", "This program installs " + title + " on your computer.",
                               "Close other programs before you go on."},
                              "information text");

    // FILES: each file compressed when that makes it smaller.
    std::vector<std::pair<std::string, fs::path>> installs;
    for (const std::string& f : files) installs.emplace_back(f, tree / fs::path(MediumPath("", f)));
    bool hasUninstaller = std::any_of(files.begin(), files.end(), [](const std::string& f) { return SameTextAscii(f, kUninstaller); });
    if (!options.uninstaller.empty()) {
        if (hasUninstaller) throw Exception("the tree has its own ridsetup.exe; --uninstaller would be a second one");
        installs.emplace(installs.begin() + (installs.empty() ? 0 : 1), kUninstaller, fs::path(options.uninstaller));
    }
    std::string filesSection;
    std::uintmax_t total = kCluster; // Install.log
    // Each file is compressed through a buffer into a temporary file, then
    // kept when it came out smaller, so memory never holds a whole file.
    const fs::path packing = medium / ".~tvx-packing";
    for (std::size_t i = 0; i < installs.size(); ++i) {
        const auto& [installName, source] = installs[i];
        const std::uintmax_t size = fs::file_size(source);
        const std::uintmax_t compressed =
            CompressSzddFile(source.string(), packing.string(), ReplacedChar(NameOf(installName)));
        std::string folder = FolderOf(installName);
        std::string plainName = installName, packedName = CompressedName(installName);
        bool pack = compressed < size;
        std::string chosen = pack ? packedName : plainName;
        if (!take(chosen)) {
            pack = !pack;
            chosen = pack ? packedName : plainName;
            if (!take(chosen)) throw Exception("two files would be called " + chosen + " on the medium");
        }
        fs::path target = medium / fs::path(MediumPath("", chosen));
        fs::create_directories(target.parent_path());
        if (pack) {
            fs::rename(packing, target);
        } else {
            fs::remove(packing);
            fs::copy_file(source, target);
        }
        // The installed file takes the date of its medium file.
        fs::last_write_time(target, fs::last_write_time(source));
        result.files.push_back({installName, chosen, size, pack ? compressed : size});
        total += Clusters(size);
        // The uninstaller is shared by every product, in the Windows folder
        // where the registered bare name is found; a newer one stays.
        const std::string destDir = SameTextAscii(installName, kUninstaller)
                                        ? std::string("%WINDOWSDIR")
                                        : "%APPPATH" + (folder.empty() ? std::string() : "\\" + folder);
        filesSection += std::to_string(i + 1) + "=" + chosen + "," + NameOf(installName) + ",1," + destDir + ",Y" + kCrLf;
    }

    std::string iconsSection, directoriesSection = std::string("1=%APPPATH") + kCrLf;
    int directories = 1;
    for (const std::string& folder : folders)
        directoriesSection += std::to_string(++directories) + "=%APPPATH\\" + folder + kCrLf;
    if (!main.empty()) {
        std::string name = title;
        std::replace(name.begin(), name.end(), ',', ' ');
        std::replace(name.begin(), name.end(), '\\', ' ');
        iconsSection = "1=" + name + ",%SMICON,%APPPATH\\" + main + "," + kCrLf;
        directoriesSection += std::to_string(++directories) + "=%SMICON" + kCrLf;
        total += kCluster;
    }
    std::string registrySection;
    for (std::size_t i = 0; i < options.registry.size(); ++i)
        registrySection += std::to_string(i + 1) + "=" + options.registry[i] + kCrLf;
    result.totalSize = static_cast<long double>(total);

    std::string run = options.run ? *options.run : main.empty() ? "" : "%APPPATH\\" + main;
    std::string ini = std::string("[GENERAL]") + kCrLf;
    auto general = [&](const char* key, const std::string& value) { ini += std::string(key) + "=" + value + kCrLf; };
    general("Title", title);
    general("Executable", main.empty() ? title : NameOf(main));
    general("ReadMe", readme);
    general("License", license);
    general("Directory", options.directory);
    general("NewDirectory", options.newDirectory.empty() ? title : options.newDirectory);
    general("StartMenu", options.startMenu);
    general("NewMenu", options.newMenu.empty() ? title : options.newMenu);
    general("TotalSize", std::to_string(total));
    general("Route", options.route);
    general("Run", run);
    general("Run Description", options.runDescription ? *options.runDescription : title);
    ini += kCrLf + std::string("[FILES]") + kCrLf + filesSection;
    ini += kCrLf + std::string("[ICONS]") + kCrLf + iconsSection;
    ini += kCrLf + std::string("[DIRECTORIES]") + kCrLf + directoriesSection;
    ini += kCrLf + std::string("[REGISTRY]") + kCrLf + registrySection;
    WriteBytes(medium / "Setup.INI", ini);

    if (!options.setupProgram.empty()) fs::copy_file(options.setupProgram, medium / "setup.exe");
    else result.notes.push_back("no setup.exe copied (give --setup PATH)");

    result.kept = !accept || accept(medium.string());
    if (result.kept) staged.MoveIntoPlace();
    return result;
}

} // namespace tarvex
