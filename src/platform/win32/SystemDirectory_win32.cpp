// The system directory, which only the uninstaller asks for; apart from the
// shell service so that setup.exe does not carry it.
#include "platform/Shell.h"

#include <windows.h>

namespace tarvex::platform {

std::string SystemDirectory()
{
    char buf[MAX_PATH + 1] = {};
    UINT n = GetSystemDirectoryA(buf, MAX_PATH + 1);
    if (n == 0 || n >= MAX_PATH + 1) return std::string();
    return std::string(buf, n);
}

} // namespace tarvex::platform
