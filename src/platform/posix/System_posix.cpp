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

char DecimalSeparator() { return '.'; }

char DateSeparator() { return '/'; }

void SetBinaryStdio() {}

bool IsTerminal(int stream) { return ::isatty(stream) == 1; }

void DebugMessage(const char* text) { std::fprintf(stderr, "%s\n", text); }

} // namespace tarvex::platform
