// Test keys live in the scratch machine root and go with it.
#include "common/MachineSandbox.h"

namespace tarvex::test {

void DeleteTestKey(platform::RootKey, const std::string&) {}

} // namespace tarvex::test
