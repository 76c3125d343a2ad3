#include "authoring/SzddFile.h"

#include "authoring/FileBytes.h"
#include "base/Exception.h"
#include "formats/SzddCompressor.h"

#include <filesystem>
#include <fstream>
#include <limits>

namespace tarvex {

std::uint64_t CompressSzddFile(const std::string& source, const std::string& dest, char lastChar)
{
    const auto failed = [&](const std::string& why) { return Exception("Cannot compress " + source + ": " + why); };
    // Told before the file is opened: a FIFO would block, and a file too
    // large for the format's length would be read through for nothing.
    std::string problem = FileReadProblem(source);
    if (!problem.empty()) throw failed(problem);
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(source, ec);
    if (ec) throw failed("cannot be read");
    if (size > std::numeric_limits<std::uint32_t>::max())
        throw failed("too large for the LZ format: " + std::to_string(size) + " bytes, the most is " +
                     std::to_string(std::numeric_limits<std::uint32_t>::max()));
    std::ifstream in(source, std::ios::binary);
    if (!in) throw failed("cannot be opened");

    // Written beside dest and put in place when whole: a failure leaves no
    // partial file, and a file compressed onto itself is read to its end.
    struct Temporary {
        std::string path;
        ~Temporary()
        {
            std::error_code ignored;
            if (!path.empty()) std::filesystem::remove(path, ignored);
        }
    } temp{dest + ".~tvx"};
    std::ofstream out(temp.path, std::ios::binary | std::ios::trunc);
    if (!out) throw Exception("Cannot create file " + dest);
    std::uint64_t written = 0;
    CompressSzdd(
        size,
        [&](char* into, std::size_t most) {
            in.read(into, static_cast<std::streamsize>(most));
            if (in.gcount() == 0) throw failed("it changed while it was read");
            return static_cast<std::size_t>(in.gcount());
        },
        [&](const char* bytes, std::size_t count) {
            if (!out.write(bytes, static_cast<std::streamsize>(count))) throw Exception("Cannot write file " + dest);
            written += count;
        },
        lastChar);
    out.close();
    if (!out) throw Exception("Cannot write file " + dest);
    in.close();
    std::filesystem::rename(temp.path, dest, ec);
    if (ec) throw Exception("Cannot create file " + dest);
    temp.path.clear();
    return written;
}

} // namespace tarvex
