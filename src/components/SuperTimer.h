#pragma once
// TSuperTimer: a timer whose ticks come from a worker thread of its own
// (TTimerThread) that sleeps for most of each interval and then polls the
// millisecond clock; each tick is handed to the main thread, where OnTimer
// runs while the worker waits.
#include "platform/Thread.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace tarvex {

// A flag shared by a timer and the calls it has queued for the main thread:
// copied on the worker thread, read, cleared and dropped on the main thread.
// What std::shared_ptr<bool> would do, without the library's shared pointer
// support that setup.exe would otherwise link.
class SharedFlag {
public:
    SharedFlag() : state_(new State) {}
    SharedFlag(const SharedFlag& other) noexcept : state_(other.state_)
    {
        state_->refs.fetch_add(1, std::memory_order_relaxed);
    }
    SharedFlag& operator=(const SharedFlag&) = delete;
    ~SharedFlag()
    {
        if (state_->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete state_;
    }
    bool& operator*() const noexcept { return state_->value; }

private:
    struct State {
        std::atomic<int> refs{1};
        bool value = true;
    };
    State* state_;
};

enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// THREAD_PRIORITY_* value of a priority.
int WindowsThreadPriority(TThreadPriority priority);

// Clock values are 32-bit and wrap; a tick is due when the clock, compared
// as a signed number, is not less than the due time. Near 2^31 that makes
// one tick come early, which the timer has always done.
bool TickDue(std::uint32_t now, std::uint32_t nextTickAt);

// TimeCount at clock value now: the base plus (or minus, counting down) the
// milliseconds since baseClock, in wrapping 32-bit arithmetic.
std::int32_t RunningTime(bool countDown, std::int32_t baseTime, std::uint32_t baseClock, std::uint32_t now);

// TimeCount div Interval, truncating toward zero; 0 for a zero interval.
std::int32_t TickCount(std::int32_t timeCount, std::uint16_t interval);

// The stop test after a tick. A zero interval means a stopped timer, so the
// run ends there instead of dividing by it.
bool KeepsRunning(bool countDown, std::uint16_t interval, std::int32_t timeCount, std::int32_t tickLimit);

// The worker's millisecond clock.
class TimerClock {
public:
    virtual ~TimerClock() = default;
    virtual std::uint32_t Now() = 0;
    // Lets up to ms milliseconds pass; may return sooner (the worker reads
    // the clock again).
    virtual void Sleep(std::uint32_t ms) = 0;
    // Between two readings of the busy wait at the end of an interval.
    virtual void Spin() {}
};

// Runs calls on the main thread, later, while it processes its messages.
class MainThreadDispatcher {
public:
    virtual ~MainThreadDispatcher() = default;
    // False when the call could not be queued; it is then dropped.
    virtual bool Post(std::function<void()> call) = 0;
};

// timeGetTime and real sleeps.
TimerClock& SystemTimerClock();
// The platform's hand-off to the main thread; the first use must happen on
// the main thread, which it binds.
MainThreadDispatcher& MainThreadHandOff();

class TSuperTimer;
using TNotifyEvent = std::function<void(TSuperTimer& sender)>;

class TTimerThread {
public:
    // Created paused: no thread runs until the timer is first enabled.
    explicit TTimerThread(TSuperTimer& timer);
    // Stops the worker where it is and waits for it to leave (at most one
    // sleep slice); it delivers no further tick.
    ~TTimerThread();
    TTimerThread(const TTimerThread&) = delete;
    TTimerThread& operator=(const TTimerThread&) = delete;

    TSuperTimer& Timer;

    // True while the worker is held by a pause (or has not started) and
    // nothing has resumed it yet.
    bool Parked() const;

private:
    friend class TSuperTimer;

    void Start();
    void ApplyPriority(int priority);
    void Execute();
    bool WaitUntilEnabled(std::unique_lock<platform::Mutex>& lock);
    bool SleepFor(std::uint32_t ms);
    bool PollUntil(std::uint32_t nextTickAt, std::uint32_t generation, std::uint32_t& now);

    platform::Thread thread_;
};

class TSuperTimer {
public:
    TSuperTimer();
    TSuperTimer(TimerClock& clock, MainThreadDispatcher& dispatcher);
    ~TSuperTimer();
    TSuperTimer(const TSuperTimer&) = delete;
    TSuperTimer& operator=(const TSuperTimer&) = delete;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    std::uint16_t Interval() const { return interval_; }
    void SetInterval(std::uint16_t interval);
    TThreadPriority ThreadPriority() const { return priority_; }
    void SetThreadPriority(TThreadPriority priority);
    bool CountDown() const { return countDown_; }
    void SetCountDown(bool countDown);

    std::int32_t TimeCount() const { return timeCount_; }
    void SetTimeCount(std::int32_t timeCount) { timeCount_ = timeCount; }
    std::int32_t TickLimit() const { return tickLimit_; }
    void SetTickLimit(std::int32_t tickLimit) { tickLimit_ = tickLimit; }
    std::int32_t Ticks() const;

    std::uint32_t NextTickAt() const;
    std::uint32_t BaseClock() const;

    TTimerThread& Thread() { return *thread_; }

    TNotifyEvent OnTimer;
    TNotifyEvent OnStop;

    // One tick on the main thread: OnTimer, then the stop test.
    void DoTick();

private:
    friend class TTimerThread;

    void DeliverTick(std::uint32_t generation);

    TimerClock& clock_;
    MainThreadDispatcher& dispatcher_;

    // Written by the main thread under mutex_, read by the worker under it.
    mutable platform::Mutex mutex_;
    platform::ConditionVariable wake_;
    bool enabled_ = false;
    std::uint16_t interval_ = 1000;
    TThreadPriority priority_ = TThreadPriority::tpHigher;
    bool countDown_ = false;
    std::int32_t baseTime_ = 0;
    std::uint32_t baseClock_ = 0;
    std::uint32_t nextTickAt_ = 0;
    // Bumped by every enabling, disabling and the termination: a tick
    // computed under an older generation is on its way from a past run.
    std::atomic<std::uint32_t> generation_{0};
    std::atomic<bool> terminated_{false};
    bool parked_ = true;
    // The one tick handed to the main thread and not yet run there.
    bool inFlight_ = false;
    std::int32_t pendingTimeCount_ = 0;
    std::uint32_t pendingGeneration_ = 0;

    // Main thread only.
    std::int32_t timeCount_ = 0;
    std::int32_t tickLimit_ = -1;
    // Tells calls still queued for the main thread that the timer is gone.
    SharedFlag alive_;

    std::unique_ptr<TTimerThread> thread_;
};

} // namespace tarvex
