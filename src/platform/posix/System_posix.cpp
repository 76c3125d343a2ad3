#include "platform/System.h"

#include <climits>
#include <cstdio>
#include <unistd.h>

namespace tarvex::platform {

std::string ExePath()
{
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

std::string CommandLine()
{
    std::string bytes, line;
    if (std::FILE* f = std::fopen("/proc/self/cmdline", "rb")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) bytes.append(buf, n);
        std::fclose(f);
    }
    for (std::size_t start = 0; start < bytes.size();) {
        std::size_t end = bytes.find('\0', start);
        if (end == std::string::npos) end = bytes.size();
        std::string arg = bytes.substr(start, end - start);
        if (!line.empty()) line += ' ';
        line += arg.find(' ') == std::string::npos ? arg : '"' + arg + '"';
        start = end + 1;
    }
    return line;
}

char DecimalSeparator() { return '.'; }

char DateSeparator() { return '/'; }

void SetBinaryStdio() {}

bool IsTerminal(int stream) { return ::isatty(stream) == 1; }

void DebugMessage(const char* text) { std::fprintf(stderr, "%s\n", text); }

} // namespace tarvex::platform
