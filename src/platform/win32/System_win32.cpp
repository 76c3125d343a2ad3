#include "platform/System.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

namespace tarvex::platform {

std::string ExePath()
{
    std::string buf(MAX_PATH, '\0');
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n < buf.size()) {
            buf.resize(n);
            return buf;
        }
        buf.resize(buf.size() * 2);
    }
}

std::string CommandLine() { return GetCommandLineA(); }

char DecimalSeparator()
{
    char sep[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, sep, sizeof sep) > 1) return sep[0];
    return '.';
}

char DateSeparator()
{
    char sep[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, sep, sizeof sep) > 1) return sep[0];
    return '/';
}

bool IsTerminal(int stream) { return _isatty(stream) != 0; }

void SetBinaryStdio()
{
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

void DebugMessage(const char* text) { OutputDebugStringA(text); }

} // namespace tarvex::platform
