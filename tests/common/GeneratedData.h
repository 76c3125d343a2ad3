#pragma once
// Inputs made at build time by tests/data/make-generated.sh into the build
// tree's test-data folder (mscompress output, PE files from windres).
#include "platform/System.h"

#include <string>

namespace tarvex::test {

// BUILD/test-data/relative, as the program takes it, from BUILD/tests/<exe>.
inline std::string GeneratedPath(const std::string& relative)
{
    std::string exe = platform::ExePath();
#ifdef _WIN32
    const char sep = '\\';
#else
    const char sep = '/';
#endif
    std::string tests = exe.substr(0, exe.find_last_of("/\\"));
    std::string build = tests.substr(0, tests.find_last_of("/\\"));
    std::string path = build + sep + "test-data" + sep + relative;
    for (char& c : path)
        if (c == '/' || c == '\\') c = sep;
    return path;
}

} // namespace tarvex::test
