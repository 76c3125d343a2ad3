// ridsetup.exe: the uninstaller's entry point. "ridsetup.exe [/S] LOG".
#include "base/Exception.h"
#include "platform/MainThread.h"
#include "platform/System.h"
#include "platform/Ui.h"
#include "wizard/UninstallForm.h"

#include <cstdlib>
#include <new>

// The same trims of the C++ library as setup.exe's (see Setup.cpp): no
// demangler, and our exception class for the library's own errors.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
} // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() { throw std::bad_alloc(); }
void __throw_bad_array_new_length() { throw std::bad_array_new_length(); }
void __throw_length_error(const char* what) { throw tarvex::Exception(what); }
void __throw_logic_error(const char* what) { throw tarvex::Exception(what); }
void __throw_out_of_range_fmt(const char* format, ...) { throw tarvex::Exception(format); }
void __throw_system_error(int) { throw tarvex::Exception("System error"); }
} // namespace std

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
