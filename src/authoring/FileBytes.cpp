#include "authoring/FileBytes.h"

#include "base/Exception.h"

#include <fstream>

namespace tarvex {

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) throw Exception("Cannot read file " + path);
    std::streamoff size = in.tellg();
    std::string bytes(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    in.seekg(0);
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) throw Exception("Cannot read file " + path);
    return bytes;
}

std::string BaseName(const std::string& path)
{
    std::size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

} // namespace tarvex
