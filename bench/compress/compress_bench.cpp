// Compresses the same files with our SZDD compressor and with mscompress,
// in one run, and prints the sizes, the times and our ratios against it.
// Both sides are timed as whole runs over files (read, compress, write):
// ours in this process, mscompress as its own process.
// usage: compress_bench WORKDIR FILE...   (files ending .txt count as text)
#include "authoring/FileBytes.h"
#include "formats/SzddCompressor.h"
#include "platform/LzExpand.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRepeats = 3;

struct Totals {
    std::uintmax_t original = 0, ours = 0, peer = 0;
    double oursSeconds = 0, peerSeconds = 0;
};

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Best of the repeats: our compressor from file to file.
double TimeOurs(const std::string& source, const fs::path& dest)
{
    double best = 1e30;
    for (int r = 0; r < kRepeats; ++r) {
        auto start = Clock::now();
        std::string data = tarvex::ReadFileBytes(source);
        WriteBytes(dest, tarvex::CompressSzdd(data, tarvex::ReplacedChar(source)));
        best = std::min(best, Seconds(start));
    }
    return best;
}

// Best of the repeats: mscompress on a copy (it writes NAME_ beside it).
double TimePeer(const std::string& source, const fs::path& work, fs::path& output)
{
    fs::path copy = work / fs::path(source).filename();
    fs::copy_file(source, copy, fs::copy_options::overwrite_existing);
    output = copy.string() + "_";
    std::string command = "mscompress '" + copy.string() + "' >/dev/null 2>&1";
    double best = 1e30;
    for (int r = 0; r < kRepeats; ++r) {
        fs::remove(output);
        auto start = Clock::now();
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "mscompress failed on %s\n", source.c_str());
            std::exit(1);
        }
        best = std::min(best, Seconds(start));
    }
    return best;
}

void PrintRow(const char* name, const Totals& t)
{
    std::printf("%-14s %11ju %11ju %11ju %7.4f %8.3f %8.3f %7.1fx\n", name, t.original, t.peer, t.ours,
                static_cast<double>(t.ours) / static_cast<double>(t.peer), t.peerSeconds, t.oursSeconds,
                t.peerSeconds / t.oursSeconds);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: compress_bench WORKDIR FILE...\n");
        return 2;
    }
    fs::path work = argv[1];
    fs::create_directories(work);
    Totals text, binary;
    bool ok = true;
    std::printf("%-14s %11s %11s %11s %7s %8s %8s %8s\n", "", "bytes", "mscompress", "ours", "size", "ms s",
                "ours s", "speed");
    for (int i = 2; i < argc; ++i) {
        std::string source = argv[i];
        fs::path ours = work / (fs::path(source).filename().string() + ".ours");
        Totals one;
        one.original = fs::file_size(source);
        one.oursSeconds = TimeOurs(source, ours);
        fs::path peerOutput;
        one.peerSeconds = TimePeer(source, work, peerOutput);
        one.ours = fs::file_size(ours);
        one.peer = fs::file_size(peerOutput);
        // Our output must give the original back.
        fs::path back = work / "expanded";
        tarvex::platform::LzExpandFile(ours.string(), back.string());
        if (tarvex::ReadFileBytes(back.string()) != tarvex::ReadFileBytes(source)) {
            std::fprintf(stderr, "round trip failed: %s\n", source.c_str());
            ok = false;
        }
        PrintRow(fs::path(source).filename().string().c_str(), one);
        Totals& sum = source.size() > 4 && source.compare(source.size() - 4, 4, ".txt") == 0 ? text : binary;
        sum.original += one.original;
        sum.ours += one.ours;
        sum.peer += one.peer;
        sum.oursSeconds += one.oursSeconds;
        sum.peerSeconds += one.peerSeconds;
    }
    if (text.original) PrintRow("text", text);
    if (binary.original) PrintRow("binary", binary);
    std::printf("size: ours / mscompress (lower is better); speed: mscompress time / ours (best of %d)\n", kRepeats);
    return ok ? 0 : 1;
}
