#include "platform/Thread.h"

#include "platform/MainThread.h"

#include <exception>
#include <thread>

namespace tarvex::platform {

struct Thread::Running {
    std::thread thread;
};

Thread::Thread() = default;

Thread::Thread(std::function<void()> body) : running_(std::make_unique<Running>())
{
    running_->thread = std::thread([body = std::move(body)] {
        try {
            body();
        } catch (...) {
            // As in the Windows build: the main thread rethrows it.
            try {
                PostToMainThread([failure = std::current_exception()] { std::rethrow_exception(failure); });
            } catch (...) {
            }
        }
    });
}

Thread::~Thread() { Join(); }

Thread::Thread(Thread&&) noexcept = default;

Thread& Thread::operator=(Thread&& other) noexcept
{
    Join();
    running_ = std::move(other.running_);
    return *this;
}

bool Thread::Joinable() const { return running_ != nullptr; }

void Thread::Join()
{
    if (!running_) return;
    running_->thread.join();
    running_.reset();
}

void Thread::SetPriority(int) {}

void SetCurrentThreadPriority(int) {}

Mutex::Mutex() = default;
Mutex::~Mutex() = default;
void Mutex::lock() { mutex_.lock(); }
void Mutex::unlock() { mutex_.unlock(); }

ConditionVariable::ConditionVariable() = default;
ConditionVariable::~ConditionVariable() = default;
void ConditionVariable::notify_all() { variable_.notify_all(); }
void ConditionVariable::wait(std::unique_lock<Mutex>& lock) { variable_.wait(lock); }

} // namespace tarvex::platform
