// Writes the links listed in a case file, for lnk_compare.sh: one link per
// line, fields separated by tabs (link name, description, target, arguments,
// working directory), into the folder given.
// usage: lnk_write CASES FOLDER
#include "platform/ShellLink.h"

#ifdef TARVEX_LNK_BYTES_ONLY
#include "formats/LnkWriter.h"
#else
#include "platform/ComApartment.h"
#endif

#include <cstdio>
#include <exception>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == '\t')
            fields.emplace_back();
        else if (c != '\r')
            fields.back() += c;
    }
    fields.resize(5);
    return fields;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: lnk_write CASES FOLDER\n");
        return 2;
    }
    try {
#ifndef TARVEX_LNK_BYTES_ONLY
        tarvex::platform::ComApartment com;
#endif
        std::ifstream cases(argv[1]);
        for (std::string line; std::getline(cases, line);) {
            if (line.empty()) continue;
            const std::vector<std::string> f = Fields(line);
#ifdef TARVEX_LNK_BYTES_ONLY
            std::ofstream(std::string(argv[2]) + "/" + f[0], std::ios::binary)
                << tarvex::LnkBytes({f[2], f[1], f[3], f[4]});
#else
            tarvex::platform::CreateShellLink(std::string(argv[2]) + "\\" + f[0], f[1], f[2], f[3], f[4]);
#endif
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    return 0;
}
