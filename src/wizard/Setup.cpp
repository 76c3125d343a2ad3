// setup.exe: the program's entry point.
#include "platform/Exception.h"
#include "platform/Ui.h"
#include "wizard/Setup_Main.h"

int main()
{
    tarvex::platform::InitUi();
    try {
        tarvex::platform::ComApartment com;
        tarvex::RunSetup();
    } catch (const std::exception& e) {
        // Only a failed COM start reaches here; the wizard was never shown.
        tarvex::ShowError(e.what());
        return 1;
    }
    return 0;
}
