#include "platform/ComApartment.h"

namespace tarvex::platform {

// The simulated machine writes its links without COM.
ComApartment::ComApartment(Start) {}
ComApartment::~ComApartment() {}

} // namespace tarvex::platform
