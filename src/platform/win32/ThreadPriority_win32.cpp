#include "platform/ThreadPriority.h"

#include <pthread.h>
#include <windows.h>

namespace tarvex::platform {

void SetThreadPriority(std::thread& thread, int priority)
{
    // std::thread runs on winpthreads here; its Windows handle comes from there.
    if (!thread.joinable()) return;
    ::SetThreadPriority(static_cast<HANDLE>(pthread_gethandle(thread.native_handle())), priority);
}

void SetCurrentThreadPriority(int priority) { ::SetThreadPriority(GetCurrentThread(), priority); }

} // namespace tarvex::platform
