#include "platform/Files.h"

#include "platform/LzExpand.h"

namespace tarvex::platform {

const char kCannotCreate[] = "Cannot create file ";

EInOutError::EInOutError(unsigned code) : Exception(IoErrorText(code)), code_(code) {}
EInOutError::EInOutError(unsigned code, const std::string& detail)
    : Exception(IoErrorText(code) + ": " + detail), code_(code)
{
}

} // namespace tarvex::platform
