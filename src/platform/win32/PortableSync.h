#pragma once
// A condition variable over what kernel32 exports on every Win32 system
// setup.exe starts on (Windows 98 and NT 4.0 on): an event and a critical
// section. Kernel32's own condition variables start at Vista.
#include <windows.h>

namespace tarvex::platform::portable {

// A condition variable by generations: a wake-up opens a manual-reset
// event for the threads that waited before it; the last of them to leave
// closes it again. Threads that came later keep waiting.
struct Condition {
    CRITICAL_SECTION guard;
    HANDLE open;
    int waiting;
    int toRelease;
    unsigned generation;
};

inline bool Create(Condition& condition)
{
    condition.open = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!condition.open) return false;
    InitializeCriticalSection(&condition.guard);
    condition.waiting = 0;
    condition.toRelease = 0;
    condition.generation = 0;
    return true;
}

inline void Destroy(Condition& condition)
{
    DeleteCriticalSection(&condition.guard);
    CloseHandle(condition.open);
}

// Called with the caller's lock held; unlock and relock release and take it.
template <typename Unlock, typename Relock>
void Wait(Condition& condition, Unlock unlock, Relock relock)
{
    EnterCriticalSection(&condition.guard);
    ++condition.waiting;
    const unsigned mine = condition.generation;
    LeaveCriticalSection(&condition.guard);

    unlock();
    for (;;) {
        WaitForSingleObject(condition.open, INFINITE);
        EnterCriticalSection(&condition.guard);
        const bool released = condition.toRelease > 0 && condition.generation != mine;
        LeaveCriticalSection(&condition.guard);
        if (released) break;
        // Open for an earlier generation: let its threads leave.
        Sleep(1);
    }
    relock();

    EnterCriticalSection(&condition.guard);
    --condition.waiting;
    // Inside the guard, so that a wake-up of a later generation stays open.
    if (--condition.toRelease == 0) ResetEvent(condition.open);
    LeaveCriticalSection(&condition.guard);
}

inline void WakeOne(Condition& condition)
{
    EnterCriticalSection(&condition.guard);
    if (condition.waiting > condition.toRelease) {
        SetEvent(condition.open);
        ++condition.toRelease;
        ++condition.generation;
    }
    LeaveCriticalSection(&condition.guard);
}

inline void WakeAll(Condition& condition)
{
    EnterCriticalSection(&condition.guard);
    if (condition.waiting > 0) {
        SetEvent(condition.open);
        condition.toRelease = condition.waiting;
        ++condition.generation;
    }
    LeaveCriticalSection(&condition.guard);
}

} // namespace tarvex::platform::portable
