// The simulated machine's clipboard: one text, kept while the process runs.
#include "platform/Clipboard.h"

namespace tarvex::platform {

namespace {

std::string& Content()
{
    static std::string text;
    return text;
}

} // namespace

bool SetClipboardText(const std::string& text)
{
    Content() = text;
    return true;
}

std::string ClipboardText() { return Content(); }

} // namespace tarvex::platform
