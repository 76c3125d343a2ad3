#pragma once
// Thread scheduling priority in Windows terms (THREAD_PRIORITY_*). The
// portable build runs every thread at its normal priority.
#include <thread>

namespace tarvex::platform {

void SetThreadPriority(std::thread& thread, int priority);
void SetCurrentThreadPriority(int priority);

} // namespace tarvex::platform
