#pragma once
// The system's millisecond clock.
#include <cstdint>

namespace tarvex::platform {

// Milliseconds since an arbitrary start, 32 bits, wrapping (timeGetTime).
std::uint32_t MillisecondClock();

// Lets the calling thread sleep for about ms milliseconds (SleepEx, not
// alertable).
void SleepMilliseconds(std::uint32_t ms);

// The local date and time, to the second.
struct LocalDateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
LocalDateTime LocalNow();

} // namespace tarvex::platform
