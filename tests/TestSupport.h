#pragma once
// Shared by the test suites: scratch folders and test data paths, in the
// form the program under test takes (Windows paths in the win32 build).
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace tarvex::test {

// The test data folder as the program sees it (Z: is the host root under Wine).
inline std::string DataPath(const std::string& relative)
{
    std::string path = std::string(TARVEX_TEST_DATA) + "/" + relative;
#ifdef _WIN32
    for (char& c : path)
        if (c == '/') c = '\\';
    path = "Z:" + path;
#endif
    return path;
}

// A fresh folder removed with everything in it at the end of its scope.
class ScratchDir {
public:
    ScratchDir()
    {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("tarvex-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // A path inside the folder, as a string the program takes.
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    std::string Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream out(path_ / name, std::ios::binary);
        out << bytes;
        return File(name);
    }

private:
    std::filesystem::path path_;
};

} // namespace tarvex::test
