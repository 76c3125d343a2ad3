// The Abort/Retry/Ignore box, which only the uninstaller shows.
#include "platform/Ui.h"

#include <windows.h>

namespace tarvex::platform {

MessageChoice AskAbortRetryIgnore(const std::string& text, const std::string& title)
{
    const int answer = MessageBoxA(nullptr, text.c_str(), title.c_str(),
                                   MB_TASKMODAL | MB_SETFOREGROUND | MB_ABORTRETRYIGNORE | MB_ICONWARNING | MB_DEFBUTTON2);
    return answer == IDABORT ? MessageChoice::Abort : answer == IDIGNORE ? MessageChoice::Ignore : MessageChoice::Retry;
}

} // namespace tarvex::platform
