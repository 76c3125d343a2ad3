#include "authoring/FileBytes.h"

#include "base/Exception.h"

#include <filesystem>
#include <fstream>

namespace tarvex {

namespace fs = std::filesystem;

std::string ReadFileBytes(const std::string& path)
{
    if (!FileReadProblem(path).empty()) throw Exception("Cannot read file " + path);
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) throw Exception("Cannot read file " + path);
    std::streamoff size = in.tellg();
    std::string bytes(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    in.seekg(0);
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) throw Exception("Cannot read file " + path);
    return bytes;
}

std::string FileReadProblem(const std::string& path)
{
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) {
        fs::path parent = fs::path(path).parent_path();
        return parent.empty() || fs::is_directory(parent, ec) ? "file not found" : "path not found";
    }
    if (fs::is_directory(status)) return "is a folder";
    if (!fs::is_regular_file(status)) return "not a regular file";
    if (!std::ifstream(path, std::ios::binary)) return "cannot be opened";
    return "";
}

std::string BaseName(const std::string& path)
{
    std::size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

} // namespace tarvex
