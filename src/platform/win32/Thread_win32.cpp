#include "platform/Thread.h"

#include "base/Exception.h"
#include "platform/win32/EntryGuard.h"
#include "platform/win32/PortableSync.h"
#include "platform/win32/UniqueResource.h"

#include <windows.h>

namespace tarvex::platform {

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

CRITICAL_SECTION* AsSection(void* storage) { return static_cast<CRITICAL_SECTION*>(storage); }
portable::Condition* AsCondition(void* storage) { return static_cast<portable::Condition*>(storage); }

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

Mutex::Mutex() : section_(new CRITICAL_SECTION) { InitializeCriticalSection(AsSection(section_)); }

Mutex::~Mutex()
{
    DeleteCriticalSection(AsSection(section_));
    delete AsSection(section_);
}

void Mutex::lock() { EnterCriticalSection(AsSection(section_)); }
void Mutex::unlock() { LeaveCriticalSection(AsSection(section_)); }

ConditionVariable::ConditionVariable() : condition_(new portable::Condition)
{
    if (!portable::Create(*AsCondition(condition_))) {
        delete AsCondition(condition_);
        throw Exception("Cannot start a thread");
    }
}

ConditionVariable::~ConditionVariable()
{
    portable::Destroy(*AsCondition(condition_));
    delete AsCondition(condition_);
}

void ConditionVariable::notify_all() { portable::WakeAll(*AsCondition(condition_)); }

void ConditionVariable::wait(std::unique_lock<Mutex>& lock)
{
    Mutex& mutex = *lock.mutex();
    portable::Wait(*AsCondition(condition_), [&] { mutex.unlock(); }, [&] { mutex.lock(); });
}

} // namespace tarvex::platform
