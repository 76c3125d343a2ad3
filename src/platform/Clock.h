#pragma once
// The system's millisecond clock.
#include <cstdint>

namespace tarvex::platform {

// Milliseconds since an arbitrary start, 32 bits, wrapping (timeGetTime).
std::uint32_t MillisecondClock();

} // namespace tarvex::platform
