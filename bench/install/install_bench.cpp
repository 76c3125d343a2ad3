// Times `tarvex install` of a medium into a fresh machine root against the
// same copies done with the fastest tools at hand, in one run: cp for plain
// files and libmspack for compressed ones into a temporary folder, then cp to
// the destination folders. Prints both times and our ratio, in wall time and
// in processor time (this process and its children), which a busy machine
// disturbs less.
// usage: install_bench TARVEX_EXE WORK_DIR MEDIUM_DIR...
// The media are installed one after the other into the same root. FILES lines are "SOURCE,NAME,1,%APPPATH[\SUB],N"; a compressed
// SOURCE ends in '_' and NAME is what it expands to.
extern "C" {
#include <mspack.h>
}

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRepeats = 3;
// Where the benchmark medium's Setup.INI puts %APPPATH inside a fresh root.
constexpr char kInstalledDir[] = "drive_c/Program Files/Bench Product";

struct Item {
    std::string source;  // path of the file in its medium
    std::string name;    // installed name
    std::string subdir;  // below the application folder, '/'-separated
};

std::vector<Item> ReadItems(const std::string& medium)
{
    std::ifstream in(medium + "/Setup.INI");
    std::vector<Item> items;
    std::string line;
    bool files = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '[') {
            files = line == "[FILES]";
            continue;
        }
        std::size_t eq = line.find('=');
        if (!files || eq == std::string::npos) continue;
        std::vector<std::string> fields;
        std::stringstream ss(line.substr(eq + 1));
        for (std::string f; std::getline(ss, f, ',');) fields.push_back(f);
        if (fields.size() < 4) continue;
        std::string sub = fields[3].substr(std::string("%APPPATH").size());
        std::replace(sub.begin(), sub.end(), '\\', '/');
        if (!sub.empty() && sub.front() == '/') sub.erase(0, 1);
        items.push_back({medium + "/" + fields[0], fields[1], sub});
    }
    return items;
}

// Built by appending: GCC 12 warns wrongly about "literal" + std::string&&.
std::string Quote(const std::string& s)
{
    std::string quoted(1, '\'');
    quoted += s;
    quoted += '\'';
    return quoted;
}

void Run(const std::string& command)
{
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %.200s\n", command.c_str());
        std::exit(1);
    }
}

double ProcessorSeconds()
{
    double total = 0;
    for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        getrusage(who, &usage);
        for (const timeval& t : {usage.ru_utime, usage.ru_stime}) total += t.tv_sec + t.tv_usec / 1e6;
    }
    return total;
}

struct Cost {
    double wall = 1e30;
    double processor = 1e30;
};

class Meter {
public:
    Meter() : wall_(Clock::now()), processor_(ProcessorSeconds()) {}
    // Keeps the best of the repeats in each measure.
    void Into(Cost& best) const
    {
        best.wall = std::min(best.wall, std::chrono::duration<double>(Clock::now() - wall_).count());
        best.processor = std::min(best.processor, ProcessorSeconds() - processor_);
    }

private:
    Clock::time_point wall_;
    double processor_;
};

// The peer: the same two copies per file with cp and libmspack.
void Baseline(const std::vector<Item>& items, const std::string& work, Cost& cost)
{
    const std::string temp = work + "/base-temp";
    const std::string dest = work + "/base-dest";
    fs::remove_all(temp);
    fs::remove_all(dest);
    fs::create_directories(temp);
    std::map<std::string, std::vector<std::string>> bySubdir;
    std::string plainCopy = "cp --preserve=timestamps -t ";
    plainCopy += Quote(temp);
    std::vector<const Item*> compressed;
    for (const Item& item : items) {
        if (item.source.back() == '_') compressed.push_back(&item);
        else plainCopy += ' ' + Quote(item.source);
        bySubdir[item.subdir].push_back(item.name);
        fs::create_directories(dest + "/" + item.subdir);
    }
    msszdd_decompressor* szdd = mspack_create_szdd_decompressor(nullptr);
    Meter meter;
    Run(plainCopy);
    for (const Item* item : compressed) {
        const std::string& from = item->source;
        std::string to = temp + "/" + item->name;
        if (szdd->decompress(szdd, const_cast<char*>(from.c_str()), const_cast<char*>(to.c_str())) != MSPACK_ERR_OK) {
            std::fprintf(stderr, "libmspack failed on %s\n", from.c_str());
            std::exit(1);
        }
    }
    for (const auto& [subdir, names] : bySubdir) {
        std::string copy = "cp --preserve=timestamps -t ";
        copy += Quote(dest + "/" + subdir);
        for (const std::string& name : names) copy += ' ' + Quote(temp + "/" + name);
        Run(copy);
    }
    for (const Item& item : items) fs::remove(temp + "/" + item.name);
    meter.Into(cost);
    mspack_destroy_szdd_decompressor(szdd);
}

void Tarvex(const std::string& exe, const std::vector<std::string>& media, const std::string& work, Cost& cost)
{
    const std::string root = work + "/root";
    fs::remove_all(root);
    Meter meter;
    for (const std::string& medium : media)
        Run(Quote(exe) + " install " + Quote(medium) + " --root " + Quote(root) + " --overwrite yes > /dev/null");
    meter.Into(cost);
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: install_bench TARVEX_EXE WORK_DIR MEDIUM_DIR...\n");
        return 2;
    }
    const std::string exe = argv[1], work = argv[2];
    const std::vector<std::string> media(argv + 3, argv + argc);
    std::vector<Item> items;
    for (const std::string& medium : media) {
        std::vector<Item> more = ReadItems(medium);
        items.insert(items.end(), more.begin(), more.end());
    }
    std::uintmax_t mediumBytes = 0;
    std::size_t compressedCount = 0;
    for (const Item& item : items) {
        mediumBytes += fs::file_size(item.source);
        compressedCount += item.source.back() == '_';
    }
    fs::create_directories(work);

    Cost base, ours;
    for (int r = 0; r < kRepeats; ++r) {
        Baseline(items, work, base);
        Tarvex(exe, media, work, ours);
    }

    // Both must have installed the same bytes.
    std::uintmax_t installedBytes = 0;
    bool same = true;
    for (const Item& item : items) {
        std::string sub;
        if (!item.subdir.empty()) sub = '/' + item.subdir;
        std::string a = ReadAll(work + "/base-dest" + sub + "/" + item.name);
        std::string b = ReadAll(work + "/root/" + kInstalledDir + sub + "/" + item.name);
        installedBytes += a.size();
        if (a != b) {
            std::fprintf(stderr, "different: %s%s/%s\n", kInstalledDir, sub.c_str(), item.name.c_str());
            same = false;
        }
    }
    std::printf("%zu media: %zu files (%zu compressed), %.1f MiB; installed %.1f MiB\n", media.size(), items.size(),
                compressedCount, mediumBytes / 1048576.0, installedBytes / 1048576.0);
    std::printf("best of %d                  wall      processor\n", kRepeats);
    std::printf("baseline (cp + libmspack)  %7.3f s  %7.3f s\n", base.wall, base.processor);
    std::printf("tarvex install             %7.3f s  %7.3f s\n", ours.wall, ours.processor);
    std::printf("ratio tarvex / baseline    %7.2fx   %7.2fx   (target at most 1.20x)%s\n", ours.wall / base.wall,
                ours.processor / base.processor, same ? "" : "   (DIFFERENT OUTPUT)");
    return same ? 0 : 1;
}
