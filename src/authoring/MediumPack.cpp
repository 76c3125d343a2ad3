#include "authoring/MediumPack.h"

#include "authoring/FileBytes.h"
#include "authoring/MediumCheck.h"
#include "base/Ascii.h"
#include "base/Exception.h"
#include "formats/SzddCompressor.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
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

// A name Setup.INI can carry: fields are split at commas and trimmed, and
// a % may start a token.
void CheckName(const std::string& relative)
{
    std::string component;
    auto check = [&](const std::string& part) {
        if (part.empty()) return;
        if (part.front() == ' ' || part.back() == ' ' || part.back() == '.')
            throw Exception("'" + relative + "': a name with blanks or a dot at its ends cannot be installed as written");
        for (std::size_t i = 0; i < part.size(); ++i) {
            unsigned char c = static_cast<unsigned char>(part[i]);
            if (c == ',' || c < 0x20 || c >= 0x80)
                throw Exception("'" + relative + "': Setup.INI cannot carry this name (commas, control characters "
                                "and letters beyond ASCII are not allowed)");
            if (c == '%' && i + 1 < part.size() && std::isalpha(static_cast<unsigned char>(part[i + 1])))
                throw Exception("'" + relative + "': a % followed by a letter would be read as a path token");
        }
    };
    std::size_t start = 0;
    while (start <= relative.size()) {
        std::size_t cut = relative.find('\\', start);
        if (cut == std::string::npos) cut = relative.size();
        check(relative.substr(start, cut - start));
        start = cut + 1;
    }
}

std::string Relative(const fs::path& root, const fs::path& path)
{
    std::string out;
    for (const fs::path& part : fs::relative(path, root)) {
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

PackResult PackMedium(const PackOptions& options)
{
    if (options.title.empty() || options.title == "ERROR")
        throw Exception("the title must be given, and may not be ERROR (which Setup.INI reads as missing)");
    for (const std::string* text : {&options.title, &options.newDirectory, &options.newMenu})
        if (text->find_first_of("\r\n") != std::string::npos) throw Exception("texts must be single lines");
    if (!fs::is_directory(options.sourceTree)) throw Exception("not a folder: " + options.sourceTree);
    if (fs::exists(options.medium) && !fs::is_empty(options.medium))
        throw Exception("the medium folder is not empty: " + options.medium);
    const fs::path tree(options.sourceTree), medium(options.medium);

    // The product's files and folders, parents before their contents.
    std::vector<std::string> files, folders;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(tree)) {
        std::string relative = Relative(tree, entry.path());
        CheckName(relative);
        if (entry.is_directory()) folders.push_back(relative);
        else if (entry.is_regular_file()) files.push_back(relative);
    }
    auto byPath = [](const std::string& a, const std::string& b) { return AsciiLowerCopy(a) < AsciiLowerCopy(b); };
    std::sort(files.begin(), files.end(), byPath);
    std::sort(folders.begin(), folders.end(), byPath);

    PackResult result;
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
    result.mainProgram = main;

    fs::create_directories(medium);
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
        installs.emplace_back(kUninstaller, fs::path(options.uninstaller));
    }
    std::string filesSection;
    std::uintmax_t total = kCluster; // Install.log
    for (std::size_t i = 0; i < installs.size(); ++i) {
        const auto& [installName, source] = installs[i];
        std::string data = ReadFileBytes(source.string());
        std::string compressed = CompressSzdd(data, ReplacedChar(NameOf(installName)));
        std::string folder = FolderOf(installName);
        std::string plainName = installName, packedName = CompressedName(installName);
        bool pack = compressed.size() < data.size();
        std::string chosen = pack ? packedName : plainName;
        if (!take(chosen)) {
            pack = !pack;
            chosen = pack ? packedName : plainName;
            if (!take(chosen)) throw Exception("two files would be called " + chosen + " on the medium");
        }
        fs::path target = medium / fs::path(MediumPath("", chosen));
        fs::create_directories(target.parent_path());
        WriteBytes(target, pack ? compressed : data);
        // The installed file takes the date of its medium file.
        fs::last_write_time(target, fs::last_write_time(source));
        result.files.push_back({installName, chosen, data.size(), pack ? compressed.size() : data.size()});
        total += Clusters(data.size());
        filesSection += std::to_string(i + 1) + "=" + chosen + "," + NameOf(installName) + ",1,%APPPATH" +
                        (folder.empty() ? "" : "\\" + folder) + (SameTextAscii(installName, kUninstaller) ? ",N" : ",Y") +
                        kCrLf;
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
    return result;
}

} // namespace tarvex
