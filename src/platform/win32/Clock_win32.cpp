#include "platform/Clock.h"

#include <windows.h>
#include <mmsystem.h>

namespace tarvex::platform {

std::uint32_t MillisecondClock() { return timeGetTime(); }

void SleepMilliseconds(std::uint32_t ms) { SleepEx(ms, FALSE); }

LocalDateTime LocalNow()
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

} // namespace tarvex::platform
