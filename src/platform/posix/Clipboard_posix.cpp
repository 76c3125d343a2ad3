// The headless clipboard: a text the tests can read.
#include "platform/Clipboard.h"
#include "platform/posix/HeadlessUi.h"

namespace tarvex::platform {

bool SetClipboardText(const std::string& text)
{
    HeadlessUi::Instance().clipboard = text;
    return true;
}

std::string ClipboardText() { return HeadlessUi::Instance().clipboard; }

} // namespace tarvex::platform
