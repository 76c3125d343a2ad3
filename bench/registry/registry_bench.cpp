// Times `tarvex install` of REGISTRY entries into the native registry store:
//  1. a medium with many REGISTRY entries into a fresh machine root, against
//     the same medium without them (the peer: everything but the entries);
//  2. a medium with a few entries into stores of growing size, against the
//     same install into a fresh store: the time above that peer, divided by
//     the store's keys, stays the same from size to size when the store's
//     cost grows linearly (a ratio of about 1), and grows with the size when
//     it does not (about 10 per tenfold size for a quadratic store).
// Prints times and ratios; asserts nothing.
// usage: registry_bench TARVEX_EXE WORK_DIR [ENTRIES [FEW [STORE_KEYS...]]]
// (median of 3 runs each; REGISTRY_BENCH_REPEATS sets another count)
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

int repeats = 3; // REGISTRY_BENCH_REPEATS overrides
constexpr char kCurrentVersion[] = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\r\n";

// A medium of one program file and `entries` REGISTRY values spread over
// keys of ten values each, under both writable roots.
void WriteMedium(const fs::path& dir, int entries)
{
    fs::create_directories(dir);
    std::ofstream(dir / "bench.exe", std::ios::binary) << "MZ bench program\r\n";
    std::ofstream ini(dir / "Setup.INI", std::ios::binary);
    ini << "[GENERAL]\r\nTitle=Registry Bench\r\nExecutable=bench.exe\r\nReadMe=r\r\nLicense=l\r\n"
           "Directory=%PROGRAMFILES\r\nNewDirectory=Registry Bench\r\nStartMenu=%PROGRAMDIR\r\n"
           "NewMenu=Registry Bench\r\nTotalSize=1\r\nRoute=5\r\nRun=\r\nRun Description=\r\n"
           "[FILES]\r\n1=bench.exe,bench.exe,1,%APPPATH,N\r\n[DIRECTORIES]\r\n1=%APPPATH\r\n[REGISTRY]\r\n";
    for (int i = 0; i < entries; ++i)
        ini << i + 1 << "=" << (i % 2 ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE") << ",\\Software\\Registry Bench\\Group"
            << i / 10 << "\\Value" << i << ",data " << i << " for C:\\Program Files\\Registry Bench\r\n";
}

// A REGEDIT4 store of about `keys` keys in the shape a used machine has:
// vendors with products, each product with a few values.
std::string MakeStore(int keys)
{
    std::string text = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE]\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\r\n";
    int made = 2;
    for (int vendor = 0; made < keys; ++vendor) {
        const std::string vendorKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor" + std::to_string(vendor);
        text += "[" + vendorKey + "]\r\n\r\n";
        ++made;
        for (int product = 0; product < 50 && made < keys; ++product, ++made) {
            text += "[" + vendorKey + "\\Product" + std::to_string(product) + "]\r\n";
            text += "\"InstallDir\"=\"C:\\\\Program Files\\\\Vendor" + std::to_string(vendor) + "\\\\Product" +
                    std::to_string(product) + "\"\r\n";
            text += "\"Version\"=dword:0000000" + std::to_string(product % 10) + "\r\n\r\n";
        }
    }
    text += std::string("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft]\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows]"
                        "\r\n\r\n") +
            kCurrentVersion + "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\r\n"
                              "\"CommonFilesDir\"=\"C:\\\\Program Files\\\\Common Files\"\r\n\r\n";
    return text;
}

// Median seconds of installing the medium into a fresh root that starts
// with `store` as its registry (the default store when empty).
double TimeInstall(const std::string& tarvex, const fs::path& work, const fs::path& medium, const std::string& store)
{
    std::vector<double> seconds;
    for (int i = 0; i < repeats; ++i) {
        const fs::path root = work / "root";
        fs::remove_all(root);
        fs::create_directories(root);
        if (!store.empty()) std::ofstream(root / "registry.reg", std::ios::binary) << store;
        const std::string command = "'" + tarvex + "' install '" + medium.string() + "' --root '" + root.string() +
                                    "' --overwrite yes >/dev/null";
        const auto start = Clock::now();
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "failed: %s\n", command.c_str());
            std::exit(1);
        }
        seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: registry_bench TARVEX_EXE WORK_DIR [ENTRIES [FEW [STORE_KEYS...]]]\n");
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (const char* r = std::getenv("REGISTRY_BENCH_REPEATS"); r && std::atoi(r) > 0) repeats = std::atoi(r);
    const std::string tarvex = fs::absolute(argv[1]).string();
    const fs::path work = fs::absolute(argv[2]);
    const int entries = argc > 3 ? std::atoi(argv[3]) : 1500;
    const int few = argc > 4 ? std::atoi(argv[4]) : 100;
    std::vector<int> sizes;
    for (int i = 5; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {1000, 10000, 100000};

    fs::create_directories(work);
    WriteMedium(work / "many", entries);
    WriteMedium(work / "none", 0);
    WriteMedium(work / "few", few);

    const double many = TimeInstall(tarvex, work, work / "many", "");
    const double none = TimeInstall(tarvex, work, work / "none", "");
    std::printf("%d REGISTRY entries, fresh store: %8.3f s\n", entries, many);
    std::printf("no REGISTRY entries (peer):        %8.3f s   entries' share: %.3f s, %.3f ms per entry\n", none,
                many - none, entries ? (many - none) * 1000 / entries : 0.0);

    const double base = TimeInstall(tarvex, work, work / "few", "");
    std::printf("\n%d entries into stores of growing size; peer: the same into a fresh store, %.3f s\n", few, base);
    std::printf("%10s %10s %12s %18s %12s\n", "store keys", "store MiB", "install s", "us per store key", "vs previous");
    // A share of the install below a quarter of the peer's time is within
    // the noise of starting a process: shown, but no ratio is taken from it.
    double previous = 0;
    for (int keys : sizes) {
        const std::string store = MakeStore(keys);
        const double t = TimeInstall(tarvex, work, work / "few", store);
        const double perKey = std::max(t - base, 0.0) * 1e6 / keys;
        const bool measurable = t - base > base / 4;
        std::printf("%10d %10.2f %12.3f %18.3f", keys, store.size() / 1048576.0, t, perKey);
        if (!measurable)
            std::printf(" %12s\n", "(noise)");
        else if (previous > 0)
            std::printf(" %12.2f\n", perKey / previous);
        else
            std::printf(" %12s\n", "-");
        previous = measurable ? perKey : 0;
    }
    fs::remove_all(work / "root");
    return 0;
}
