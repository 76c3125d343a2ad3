// Reading a Setup.INI whose four list sections each fill their 8 KiB key
// list, against a peer in the same run: natively a bare read of the file's
// bytes and lines (the floor for any reader); on Windows also the simple way
// of asking the profile functions for every key on its own.
#include "setup_description/SetupInformation.h"

#include <algorithm>
#include <cstring>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

std::string MakeIni()
{
    std::string text =
        "[GENERAL]\r\nTitle=Bench\r\nExecutable=b.exe\r\nReadMe=r\r\nLicense=l\r\nDirectory=%PROGRAMFILES\r\n"
        "NewDirectory=Bench\r\nStartMenu=%PROGRAMDIR\r\nNewMenu=Bench\r\nTotalSize=1\r\nRoute=5\r\nRun=\r\n"
        "Run Description=\r\n";
    for (const char* section : {"FILES", "ICONS", "DIRECTORIES", "REGISTRY"}) {
        text += std::string("[") + section + "]\r\n";
        for (int i = 1; i <= 1900; ++i)
            text += std::to_string(i) + "=file" + std::to_string(i) + ".ex_,file" + std::to_string(i) +
                    ".exe,1,%APPPATH\\bin,Y\r\n";
    }
    return text;
}

double MedianMs(const std::function<void()>& run, int rounds)
{
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        auto start = std::chrono::steady_clock::now();
        run();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

} // namespace

int main()
{
    auto dir = std::filesystem::temp_directory_path() / "tarvex-ini-bench";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "Setup.INI").string();
    std::ofstream(path, std::ios::binary) << MakeIni();

    std::size_t entries = 0;
    double ours = MedianMs([&] {
        tarvex::TSetupInformation info(path);
        entries = info.FileItems.size() + info.IconItems.size() + info.Directories.size() + info.RegistryItems.size();
    }, 21);
    double bare = MedianMs([&] {
        std::ifstream in(path, std::ios::binary);
        std::string line;
        std::size_t lines = 0;
        while (std::getline(in, line)) ++lines;
        if (lines == 0) std::puts("empty");
    }, 21);
    // A description of everyday size (the demo's) for comparison.
    const std::string small = (dir / "Small.INI").string();
    {
        std::string text = MakeIni();
        std::ofstream(small, std::ios::binary) << text.substr(0, text.find("[FILES]") + 9) << "1=a.ex_,a.exe,1,%APPPATH,Y\r\n";
    }
    double everyday = MedianMs([&] { tarvex::TSetupInformation info(small); }, 21);
    std::printf("everyday description:   %8.3f ms\n", everyday);
    std::printf("entries read: %zu (four sections at their 8 KiB key-list limit)\n", entries);
    std::printf("TSetupInformation load: %8.3f ms\n", ours);
    std::printf("bare read of the lines: %8.3f ms   ours / bare = %.2f\n", bare, ours / bare);
#ifdef _WIN32
    double perKey = MedianMs([&] {
        std::vector<char> keys(65536);
        for (const char* section : {"FILES", "ICONS", "DIRECTORIES", "REGISTRY"}) {
            DWORD n = GetPrivateProfileStringA(section, nullptr, "", keys.data(), 8192, path.c_str());
            char value[1024];
            for (DWORD pos = 0; pos < n;) {
                GetPrivateProfileStringA(section, keys.data() + pos, "", value, sizeof value, path.c_str());
                pos += static_cast<DWORD>(std::strlen(keys.data() + pos)) + 1;
            }
        }
    }, 3);
    std::printf("profile call per key:   %8.3f ms   per key / ours = %.1f\n", perKey, perKey / ours);
#endif
    std::filesystem::remove_all(dir);
    return 0;
}
