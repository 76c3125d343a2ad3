// Test keys are written to the real registry and removed after each test.
#include "common/MachineSandbox.h"

#include <windows.h>

namespace tarvex::test {

void DeleteTestKey(platform::RootKey root, const std::string& keyPath)
{
    RegDeleteTreeA(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(root)), keyPath.c_str());
    RegDeleteKeyA(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(root)), keyPath.c_str());
}

} // namespace tarvex::test
