#include "platform/Clock.h"

#include <cerrno>
#include <time.h>

namespace tarvex::platform {

std::uint32_t MillisecondClock()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    // Wraps every 2^32 ms like timeGetTime: the unsigned truncation is the point.
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                                      static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u);
}

void SleepMilliseconds(std::uint32_t ms)
{
    timespec ts{static_cast<time_t>(ms / 1000u), static_cast<long>(ms % 1000u) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

LocalDateTime LocalNow()
{
    time_t now = ::time(nullptr);
    struct tm t {};
    ::localtime_r(&now, &t);
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

} // namespace tarvex::platform
