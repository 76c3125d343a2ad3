#include "platform/Thread.h"

#include "base/Exception.h"
#include "platform/win32/EntryGuard.h"
#include "platform/win32/UniqueResource.h"

#include <windows.h>

namespace tarvex::platform {

static_assert(sizeof(void*) == sizeof(SRWLOCK) && sizeof(void*) == sizeof(CONDITION_VARIABLE));

struct Thread::Running {
    std::function<void()> body;
    UniqueHandle handle;
};

namespace {

DWORD WINAPI RunBody(void* parameter)
{
    try {
        static_cast<std::function<void()>*>(parameter)->operator()();
    } catch (...) {
        HandEscapedExceptionToMainThread();
    }
    return 0;
}

SRWLOCK* AsLock(void** storage) { return reinterpret_cast<SRWLOCK*>(storage); }
CONDITION_VARIABLE* AsVariable(void** storage) { return reinterpret_cast<CONDITION_VARIABLE*>(storage); }

} // namespace

Thread::Thread() = default;

Thread::Thread(std::function<void()> body) : running_(std::make_unique<Running>())
{
    running_->body = std::move(body);
    running_->handle = UniqueHandle(CreateThread(nullptr, 0, RunBody, &running_->body, 0, nullptr));
    if (!running_->handle) throw Exception("Cannot start a thread");
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
    WaitForSingleObject(running_->handle.Get(), INFINITE);
    running_.reset();
}

void Thread::SetPriority(int priority)
{
    if (running_) ::SetThreadPriority(running_->handle.Get(), priority);
}

void SetCurrentThreadPriority(int priority) { ::SetThreadPriority(GetCurrentThread(), priority); }

void Mutex::lock() { AcquireSRWLockExclusive(AsLock(&lock_)); }
void Mutex::unlock() { ReleaseSRWLockExclusive(AsLock(&lock_)); }

void ConditionVariable::notify_all() { WakeAllConditionVariable(AsVariable(&variable_)); }

void ConditionVariable::wait(std::unique_lock<Mutex>& lock)
{
    SleepConditionVariableSRW(AsVariable(&variable_), AsLock(&lock.mutex()->lock_), INFINITE, 0);
}

} // namespace tarvex::platform
