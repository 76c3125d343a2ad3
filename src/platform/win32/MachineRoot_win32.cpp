#include "platform/MachineRoot.h"

namespace tarvex::platform {

// The real machine is the machine: nothing to point anywhere.
void SetMachineRoot(const std::string&) {}
void SetMediumFolder(const std::string&) {}

} // namespace tarvex::platform
