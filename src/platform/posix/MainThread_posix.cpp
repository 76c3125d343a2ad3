#include "platform/MainThread.h"

#include <deque>
#include <exception>
#include <mutex>

namespace tarvex::platform {

namespace {

struct CallQueue {
    std::mutex mutex;
    std::deque<std::function<void()>> calls;
};

CallQueue& Queue()
{
    static CallQueue queue;
    return queue;
}

} // namespace

void BindMainThread() {}

bool PostToMainThread(std::function<void()> call)
{
    CallQueue& queue = Queue();
    std::lock_guard lock(queue.mutex);
    queue.calls.push_back(std::move(call));
    return true;
}

std::size_t RunMainThreadCalls()
{
    std::deque<std::function<void()>> due;
    {
        CallQueue& queue = Queue();
        std::lock_guard lock(queue.mutex);
        due.swap(queue.calls);
    }
    // Only the calls queued so far: one that queues another does not keep us here.
    std::exception_ptr failure;
    for (auto& call : due) {
        try {
            call();
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
    }
    if (failure) std::rethrow_exception(failure);
    return due.size();
}

} // namespace tarvex::platform
