// setup.exe: the program's entry point.
#include "platform/Exception.h"
#include "platform/Ui.h"
#include "wizard/Setup_Main.h"

#include <cstdlib>

// The library's default terminate handler prints demangled type names and
// drags the whole demangler (about 50 KiB) into setup.exe; we never need it.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
} // namespace __gnu_cxx

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
