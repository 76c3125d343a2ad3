// The simulated machine has no COM: shortcuts are written by our own writer.
#include "platform/Ui.h"

namespace tarvex::platform {

ComApartment::ComApartment() {}
ComApartment::~ComApartment() {}

} // namespace tarvex::platform
