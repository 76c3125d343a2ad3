// ridsetup.exe: the uninstaller's entry point. "ridsetup.exe [/S] LOG".
#include "base/Exception.h"
#include "platform/MainThread.h"
#include "platform/System.h"
#include "platform/Ui.h"
#include "wizard/UninstallForm.h"


int main(int argc, char** argv)
{
    tarvex::platform::InitUi();
    tarvex::platform::BindMainThread();
    try {
        return tarvex::RunUninstaller(std::vector<std::string>(argv + 1, argv + argc), tarvex::platform::ExePath());
    } catch (const std::exception&) {
        return tarvex::ueError;
    }
}
