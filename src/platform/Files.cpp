#include "platform/Files.h"

namespace tarvex::platform {

const char kCannotCreate[] = "Cannot create file ";

std::string IoErrorText(unsigned systemCode)
{
    switch (systemCode) {
    case 2: return "File not found";
    case 3: return "Invalid filename";
    case 4: return "Too many open files";
    case 5: return "File access denied";
    default: return "I/O error " + std::to_string(systemCode);
    }
}

EInOutError::EInOutError(unsigned code) : Exception(IoErrorText(code)), code_(code) {}
EInOutError::EInOutError(unsigned code, const std::string& detail)
    : Exception(IoErrorText(code) + ": " + detail), code_(code)
{
}

} // namespace tarvex::platform
