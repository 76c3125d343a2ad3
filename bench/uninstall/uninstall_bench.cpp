// Times `tarvex uninstall` of the install benchmark's 2,000-file product
// against `rm -rf` of the same tree, in one run. Each repeat installs the
// media into a fresh machine root (untimed) with one log for all of them,
// copies the root, then removes the product from one copy with tarvex and
// the product folder from the other with rm -rf. Prints both times and our
// ratio, in wall time and in processor time (this process and its children).
// usage: uninstall_bench TARVEX_EXE WORK_DIR MEDIUM_DIR...
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRepeats = 3;
constexpr char kProductDir[] = "drive_c/Program Files/Bench Product";
constexpr char kLog[] = "C:\\Program Files\\Bench Product\\Install.log";

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
    void Into(Cost& best) const
    {
        best.wall = std::min(best.wall, std::chrono::duration<double>(Clock::now() - wall_).count());
        best.processor = std::min(best.processor, ProcessorSeconds() - processor_);
    }

private:
    Clock::time_point wall_;
    double processor_;
};

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The lines of one section of a log, each with its CR LF.
std::string Section(const std::string& log, const std::string& name)
{
    std::size_t start = log.find(name + "\r\n");
    if (start == std::string::npos) return "";
    start += name.size() + 2;
    std::size_t end = log.find("\r\n[", start);
    return log.substr(start, end == std::string::npos ? std::string::npos : end + 2 - start);
}

// Installs the media into root; the log then lists every one's files.
std::size_t InstallAll(const std::string& exe, const std::vector<std::string>& media, const std::string& root)
{
    fs::remove_all(root);
    std::string files, directories, last;
    for (const std::string& medium : media) {
        Run(Quote(exe) + " install " + Quote(medium) + " --root " + Quote(root) + " --overwrite yes > /dev/null");
        last = ReadAll(root + "/" + kProductDir + "/Install.log");
        std::string more = Section(last, "[FILES]");
        more.erase(more.rfind(kLog)); // the log's own line, kept for the end
        files += more;
        directories += Section(last, "[DIRECTORIES]");
    }
    const std::string merged = last.substr(0, last.find("[FILES]\r\n")) + "[FILES]\r\n" + files + kLog + "\r\n" +
                               "[DIRECTORIES]\r\n" + directories;
    std::ofstream(root + "/" + kProductDir + "/Install.log", std::ios::binary) << merged;
    return static_cast<std::size_t>(std::count(files.begin(), files.end(), '\n')) + 1;
}

std::size_t CountFiles(const std::string& dir)
{
    if (!fs::exists(dir)) return 0;
    std::size_t n = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) n += entry.is_regular_file();
    return n;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: uninstall_bench TARVEX_EXE WORK_DIR MEDIUM_DIR...\n");
        return 2;
    }
    const std::string exe = argv[1], work = argv[2];
    const std::vector<std::string> media(argv + 3, argv + argc);
    const std::string ours = work + "/root", peer = work + "/peer";
    fs::create_directories(work);

    Cost base, tarvex;
    std::size_t listed = 0, installed = 0;
    bool clean = true;
    for (int r = 0; r < kRepeats; ++r) {
        listed = InstallAll(exe, media, ours);
        installed = CountFiles(ours + "/" + kProductDir);
        fs::remove_all(peer);
        Run("cp -a " + Quote(ours) + " " + Quote(peer));
        Run("sync");
        {
            Meter meter;
            Run("rm -rf " + Quote(peer + "/" + kProductDir));
            meter.Into(base);
        }
        {
            Meter meter;
            Run(Quote(exe) + " uninstall " + Quote(kLog) + " --root " + Quote(ours) + " > /dev/null");
            meter.Into(tarvex);
        }
        clean = clean && !fs::exists(ours + "/" + kProductDir);
    }
    fs::remove_all(peer);
    std::printf("%zu files listed, %zu installed in the product folder\n", listed, installed);
    std::printf("best of %d                  wall      processor\n", kRepeats);
    std::printf("rm -rf of the product      %7.3f s  %7.3f s\n", base.wall, base.processor);
    std::printf("tarvex uninstall           %7.3f s  %7.3f s\n", tarvex.wall, tarvex.processor);
    std::printf("ratio tarvex / rm -rf      %7.2fx   %7.2fx   (target at most 1.50x)%s\n", tarvex.wall / base.wall,
                tarvex.processor / base.processor, clean ? "" : "   (PRODUCT FOLDER LEFT BEHIND)");
    return clean ? 0 : 1;
}
