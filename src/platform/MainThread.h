#pragma once
// Handing calls from worker threads to the main (user-interface) thread,
// which runs them while it processes its messages.
#include <cstddef>
#include <functional>

namespace tarvex::platform {

// Makes the calling thread the one that runs handed-over calls. Call it on
// the main thread before any worker hands a call over; later calls are no-ops.
void BindMainThread();

// Queues a call for the main thread and returns at once; false when it could
// not be queued (the call is then dropped).
bool PostToMainThread(std::function<void()> call);

// On the main thread: runs the calls queued so far. A message loop does this
// by itself in the Windows build; the portable build has none, so its tests
// pump here. Returns how many calls ran. A call that throws does not stop
// the others; the first exception is rethrown when they have run.
std::size_t RunMainThreadCalls();

} // namespace tarvex::platform
