#pragma once
// A worker thread, a mutex and a condition variable. The Windows build uses
// kernel32's threads, critical sections and events, which every Win32 system
// has: std::thread and its kin would bring the pthreads layer (about 30 KiB)
// into setup.exe, and slim locks and condition variables start at Vista. The portable build uses the standard library's. Mutex and
// ConditionVariable follow the standard names, so std::lock_guard and
// std::unique_lock work with them.
#include <functional>
#include <memory>
#include <mutex>

#if !TARVEX_WIN32
#include <condition_variable>
#endif

namespace tarvex::platform {

class Thread {
public:
    Thread();
    // Starts a thread that runs body. An exception that leaves body is
    // handed to the main thread and rethrown there, in a handed-over call.
    explicit Thread(std::function<void()> body);
    // Waits for a started thread that has not been joined.
    ~Thread();
    Thread(Thread&&) noexcept;
    Thread& operator=(Thread&&) noexcept;

    bool Joinable() const;
    void Join();
    // THREAD_PRIORITY_* of a started thread; ignored by the portable build.
    void SetPriority(int priority);

private:
    struct Running;
    std::unique_ptr<Running> running_;
};

// THREAD_PRIORITY_* for the calling thread; ignored by the portable build.
void SetCurrentThreadPriority(int priority);

class Mutex {
public:
    Mutex();
    ~Mutex();
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;
    void lock();
    void unlock();

private:
    friend class ConditionVariable;
#if TARVEX_WIN32
    void* section_; // a CRITICAL_SECTION
#else
    std::mutex mutex_;
#endif
};

class ConditionVariable {
public:
    ConditionVariable();
    ~ConditionVariable();
    ConditionVariable(const ConditionVariable&) = delete;
    ConditionVariable& operator=(const ConditionVariable&) = delete;
    void notify_all();
    // Releases the lock while waiting; may wake without a notification.
    void wait(std::unique_lock<Mutex>& lock);
    template <typename Predicate>
    void wait(std::unique_lock<Mutex>& lock, Predicate done)
    {
        while (!done()) wait(lock);
    }

private:
#if TARVEX_WIN32
    void* condition_; // a portable::Condition
#else
    std::condition_variable_any variable_;
#endif
};

} // namespace tarvex::platform
