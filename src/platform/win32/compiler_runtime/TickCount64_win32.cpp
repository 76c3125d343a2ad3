// GetTickCount64 for the tool's threads library (winpthreads), whose timed
// waits import it although it starts at Vista: defining the import's
// address slot here keeps kernel32's from being linked, so tarvex.exe
// starts on Windows XP. Vista and later answer through their own.
#include <windows.h>

#include <atomic>
#include <cstdint>

namespace {

// The wraps of the 32-bit count in the high half, its last value in the low.
std::atomic<std::uint64_t> g_extended{0};

ULONGLONG WINAPI ExtendedTickCount()
{
    std::uint64_t seen = g_extended.load();
    for (;;) {
        const DWORD now = GetTickCount();
        std::uint64_t wraps = seen >> 32;
        if (now < static_cast<DWORD>(seen)) ++wraps;
        const std::uint64_t next = wraps << 32 | now;
        if (g_extended.compare_exchange_weak(seen, next)) return next;
    }
}

ULONGLONG WINAPI FirstTickCount64();

using TickCount64 = ULONGLONG(WINAPI*)();
std::atomic<TickCount64> g_chosen{FirstTickCount64};

ULONGLONG WINAPI FirstTickCount64()
{
    auto system = reinterpret_cast<TickCount64>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetTickCount64")));
    const TickCount64 chosen = system ? system : ExtendedTickCount;
    g_chosen.store(chosen);
    return chosen();
}

ULONGLONG WINAPI ChosenTickCount64() { return g_chosen.load()(); }

} // namespace

// The slot a dllimport call of GetTickCount64 jumps through.
extern "C" ULONGLONG(WINAPI* const tarvexTickCount64Slot)() __asm__("__imp__GetTickCount64@0");
extern "C" ULONGLONG(WINAPI* const tarvexTickCount64Slot)() = ChosenTickCount64;
