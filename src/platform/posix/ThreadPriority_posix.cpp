#include "platform/ThreadPriority.h"

namespace tarvex::platform {

void SetThreadPriority(std::thread&, int) {}
void SetCurrentThreadPriority(int) {}

} // namespace tarvex::platform
