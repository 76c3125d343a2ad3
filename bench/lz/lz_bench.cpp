// Expands the same SZDD files with our expander and with its peers, in one
// run, and prints each one's speed and our ratio against it.
// usage: lz_bench WORKDIR [--lzcopy-timer EXE] FILE_...   (FILE beside each FILE_)
#include "platform/LzExpand.h"

extern "C" {
#include <mspack.h>
}

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRepeats = 3;

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string WinePath(const std::string& path)
{
    std::string out = "Z:";
    out += fs::absolute(path).string();
    std::replace(out.begin(), out.end(), '/', '\\');
    return out;
}

struct Peer {
    std::string name;
    double seconds = 0; // best of the repeats, for all files
    bool ok = true;
};

// Times expand(source, dest) over every file, best of repeats; checks output.
Peer Measure(const std::string& name, int repeats, const std::vector<std::string>& files, const std::string& dest,
             const std::function<void(const std::string&, const std::string&)>& expand)
{
    Peer peer{name};
    peer.seconds = 1e30;
    for (int r = 0; r < repeats; ++r) {
        double total = 0;
        for (const std::string& file : files) {
            auto start = Clock::now();
            expand(file, dest);
            total += std::chrono::duration<double>(Clock::now() - start).count();
            if (r == 0 && ReadAll(dest) != ReadAll(file.substr(0, file.size() - 1))) {
                std::fprintf(stderr, "%s: wrong output for %s\n", name.c_str(), file.c_str());
                peer.ok = false;
            }
        }
        peer.seconds = std::min(peer.seconds, total);
    }
    return peer;
}

std::string Quote(const std::string& s)
{
    std::string quoted(1, '\'');
    quoted += s;
    quoted += '\'';
    return quoted;
}

// lz32 under Wine: the timer reports the time of each LZCopy; only those count.
std::optional<Peer> MeasureLz32(const std::string& timer, const std::vector<std::string>& files, const std::string& dest)
{
    Peer peer{"lz32 LZCopy (Wine)"};
    peer.seconds = 1e30;
    for (int r = 0; r < kRepeats; ++r) {
        std::string command = "wine ";
        command += Quote(timer);
        command += " ";
        command += Quote(WinePath(dest));
        for (const std::string& file : files) {
            command += ' ';
            command += Quote(WinePath(file));
        }
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) return std::nullopt;
        double total = 0;
        long result = 0;
        double seconds = 0;
        std::size_t count = 0;
        while (std::fscanf(pipe, "%ld %lf", &result, &seconds) == 2) {
            if (result < 0) peer.ok = false;
            total += seconds;
            ++count;
        }
        if (pclose(pipe) != 0 || count != files.size()) return std::nullopt;
        peer.seconds = std::min(peer.seconds, total);
    }
    return peer;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: lz_bench WORKDIR [--lzcopy-timer EXE] FILE_...\n");
        return 2;
    }
    std::string work = argv[1];
    std::string timer;
    std::vector<std::string> files;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--lzcopy-timer" && i + 1 < argc) timer = argv[++i];
        else files.push_back(arg);
    }
    std::uintmax_t compressed = 0, expanded = 0;
    for (const std::string& f : files) {
        compressed += fs::file_size(f);
        expanded += fs::file_size(f.substr(0, f.size() - 1));
    }
    std::string dest = work + "/expanded.out";
    std::printf("data: %zu files, %.1f MiB compressed, %.1f MiB expanded; speeds in MB/s of expanded output\n",
                files.size(), compressed / 1048576.0, expanded / 1048576.0);

    std::vector<Peer> peers;
    peers.push_back(Measure("tarvex (ours)", kRepeats, files, dest, [](const std::string& s, const std::string& d) {
        tarvex::platform::LzExpandFile(s, d);
    }));
    msszdd_decompressor* szdd = mspack_create_szdd_decompressor(nullptr);
    peers.push_back(Measure("libmspack", kRepeats, files, dest, [&](const std::string& s, const std::string& d) {
        if (szdd->decompress(szdd, const_cast<char*>(s.c_str()), const_cast<char*>(d.c_str())) != MSPACK_ERR_OK)
            throw std::runtime_error("libmspack failed on " + s);
    }));
    mspack_destroy_szdd_decompressor(szdd);
    peers.push_back(Measure("msexpand", 1, files, dest, [](const std::string& s, const std::string& d) {
        if (std::system(("msexpand < " + Quote(s) + " > " + Quote(d)).c_str()) != 0)
            throw std::runtime_error("msexpand failed on " + s);
    }));
    if (!timer.empty()) {
        if (auto lz32 = MeasureLz32(timer, files, dest)) peers.push_back(*lz32);
        else std::fprintf(stderr, "lz32 timer under Wine failed; left out\n");
    }
    fs::remove(dest);

    double ours = expanded / 1e6 / peers[0].seconds;
    for (const Peer& p : peers) {
        double speed = expanded / 1e6 / p.seconds;
        std::printf("%-20s %9.1f MB/s", p.name.c_str(), speed);
        if (&p != &peers[0]) std::printf("   ours is %.2fx", ours / speed);
        std::printf("%s\n", p.ok ? "" : "   (WRONG OUTPUT)");
    }
    bool allOk = std::all_of(peers.begin(), peers.end(), [](const Peer& p) { return p.ok; });
    return allOk ? 0 : 1;
}
