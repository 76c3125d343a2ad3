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

#include "platform/MachineRoot.h"
#ifndef _WIN32
#include "platform/posix/PosixFile.h"
#endif

namespace tarvex::test {

// The host path of a path the program uses (the same path on Windows).
inline std::filesystem::path HostFile(const std::string& path)
{
#ifdef _WIN32
    return std::filesystem::path(path);
#else
    return std::filesystem::path(platform::MachineHostPath(path));
#endif
}

inline std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A place to install into: natively a fresh machine root with C:\Base, on
// Windows a scratch folder. Base() is a Windows path that exists.
class InstallSandbox {
public:
    InstallSandbox()
    {
#ifdef _WIN32
        base_ = scratch_.File("Base");
        std::filesystem::create_directories(base_);
#else
        platform::SetMachineRoot(scratch_.File("root"));
        base_ = "C:\\Base";
        std::filesystem::create_directories(HostFile("C:\\") / "Base");
#endif
        std::filesystem::create_directories(scratch_.Path() / "medium");
        platform::SetMediumFolder(scratch_.File("medium"));
    }
    ~InstallSandbox()
    {
        platform::SetMediumFolder("");
        platform::SetMachineRoot("");
    }
    InstallSandbox(const InstallSandbox&) = delete;
    InstallSandbox& operator=(const InstallSandbox&) = delete;
    const std::string& Base() const { return base_; }
    // The medium folder as the engine takes it (ending with a separator).
    std::string Medium() const { return scratch_.File("medium") + (std::string(1, std::filesystem::path::preferred_separator)); }
    std::string WriteMedium(const std::string& name, const std::string& bytes) const
    {
        return scratch_.Write("medium/" + name, bytes);
    }

private:
    ScratchDir scratch_;
    std::string base_;
};

} // namespace tarvex::test
