#pragma once
// The one guard for every place the system calls into us: window
// procedures (painting included), dialog, stream and enumeration
// callbacks, calls handed to the main thread, thread entry points. No
// exception may unwind through the system's frames. On the main thread the
// first one that escapes is kept, and our own code rethrows it once the
// system has returned to it: a modal loop after the message, the
// main-thread pump, the folder dialog's run. A worker's goes to the main
// thread.
#include <exception>

namespace tarvex::platform {

// Inside a catch block on the main thread: keeps the exception being
// handled unless one is kept already, and wakes the thread's message loop.
void KeepEscapedException() noexcept;
bool HasEscapedException() noexcept;
// Rethrows the kept exception, if any, and forgets it.
void RethrowEscapedException();
// Inside a catch block on a worker thread: the exception is rethrown on
// the main thread, under the guard of the procedure that runs handed-over
// calls. Dropped when no main thread is bound.
void HandEscapedExceptionToMainThread() noexcept;

// The body of an entry point on the main thread: call's result, or fallback
// when it threw (the exception is then kept).
template <typename Result, typename Call>
Result Guarded(Result fallback, Call&& call) noexcept
{
    try {
        return call();
    } catch (...) {
        KeepEscapedException();
        return fallback;
    }
}

} // namespace tarvex::platform
