#pragma once
// The simulated machine's shell has no file associations: it starts nothing
// for OpenDocument and keeps the requests instead, for tests to read.
#include <string>
#include <vector>

namespace tarvex::platform {

// Every target OpenDocument was given, in order; callers may clear it.
std::vector<std::string>& OpenedDocuments();

} // namespace tarvex::platform
