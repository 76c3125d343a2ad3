#pragma once
// Copies of the demo medium for one test each, and what the window suites
// share besides.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace tarvex::e2e {

extern std::string g_setupExe; // the built setup.exe
extern std::string g_medium;   // the laid-out demo medium

// What every window test waits at most, the wizard it finds, and its group boxes' class.
inline constexpr DWORD kTimeout = 20000;
inline constexpr char kCaption[] = "Tarvex Demo Setup";
inline constexpr char kGroupBox[] = "TarvexGroupBox";

// A name no earlier run of the suite has used (product folders, menus).
inline std::string Unique(const std::string& stem)
{
    return stem + " " + std::to_string(GetTickCount()) + "-" + std::to_string(GetCurrentProcessId());
}

// A file with the given content, last written on 1 January of year at noon, local time.
inline void WriteDatedFile(const std::filesystem::path& file, const std::string& bytes, WORD year)
{
    std::filesystem::create_directories(file.parent_path());
    std::FILE* out = _wfopen(file.wstring().c_str(), L"wb");
    ASSERT_NE(nullptr, out);
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    SYSTEMTIME t{};
    t.wYear = year;
    t.wMonth = 1;
    t.wDay = 1;
    t.wHour = 12;
    FILETIME local{}, utc{};
    ASSERT_TRUE(SystemTimeToFileTime(&t, &local) && LocalFileTimeToFileTime(&local, &utc));
    HANDLE h = CreateFileW(file.wstring().c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    SetFileTime(h, nullptr, nullptr, &utc);
    CloseHandle(h);
}

// A copy of the medium (or of setup.exe alone) in a fresh folder.
class MediumCopy {
public:
    explicit MediumCopy(bool withDescription)
    {
        namespace fs = std::filesystem;
        dir_ = fs::temp_directory_path() / ("tarvex-e2e-" + std::to_string(GetTickCount()) + "-" +
                                            std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count_));
        fs::create_directories(dir_);
        if (withDescription)
            fs::copy(g_medium, dir_, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        fs::copy_file(g_setupExe, dir_ / "setup.exe", fs::copy_options::overwrite_existing);
    }
    ~MediumCopy()
    {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    MediumCopy(const MediumCopy&) = delete;
    MediumCopy& operator=(const MediumCopy&) = delete;

    std::string Dir() const { return dir_.string(); }
    std::string Setup() const { return (dir_ / "setup.exe").string(); }

    // Replaces the first line of Setup.INI that starts with key= by key=value.
    void SetValue(const std::string& key, const std::string& value)
    {
        auto path = dir_ / "Setup.INI";
        std::string text;
        {
            std::ifstream in(path, std::ios::binary);
            text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        std::size_t at = text.find("\n" + key + "=");
        if (at == std::string::npos) return;
        std::size_t end = text.find_first_of("\r\n", at + 1);
        text.replace(at + 1, end - at - 1, key + "=" + value);
        std::ofstream(path, std::ios::binary) << text;
    }

private:
    std::filesystem::path dir_;
    static inline int count_ = 0;
};

} // namespace tarvex::e2e
