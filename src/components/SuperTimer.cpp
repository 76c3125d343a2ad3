#include "components/SuperTimer.h"

#include "platform/Clock.h"
#include "platform/MainThread.h"

#include <algorithm>

namespace tarvex {

namespace {

// The last part of every interval is spent polling the clock.
constexpr std::uint32_t kPollMargin = 50;
// Sleeps are cut into slices so that destruction waits at most one of them.
constexpr std::uint32_t kSleepSlice = 20;

class SystemClock : public TimerClock {
public:
    std::uint32_t Now() override { return platform::MillisecondClock(); }
    void Sleep(std::uint32_t ms) override { platform::SleepMilliseconds(ms); }
};

class PlatformHandOff : public MainThreadDispatcher {
public:
    bool Post(std::function<void()> call) override { return platform::PostToMainThread(std::move(call)); }
};

// At namespace scope: function-local statics would bring guard code into
// setup.exe.
SystemClock systemClock;
PlatformHandOff platformHandOff;

} // namespace

int WindowsThreadPriority(TThreadPriority priority)
{
    switch (priority) {
    case TThreadPriority::tpIdle: return -15;
    case TThreadPriority::tpLowest: return -2;
    case TThreadPriority::tpLower: return -1;
    case TThreadPriority::tpNormal: return 0;
    case TThreadPriority::tpHigher: return 1;
    case TThreadPriority::tpHighest: return 2;
    case TThreadPriority::tpTimeCritical: return 15;
    }
    return 0;
}

bool TickDue(std::uint32_t now, std::uint32_t nextTickAt)
{
    return static_cast<std::int32_t>(now) >= static_cast<std::int32_t>(nextTickAt);
}

std::int32_t RunningTime(bool countDown, std::int32_t baseTime, std::uint32_t baseClock, std::uint32_t now)
{
    const std::uint32_t elapsed = now - baseClock;
    const std::uint32_t base = static_cast<std::uint32_t>(baseTime);
    return static_cast<std::int32_t>(countDown ? base - elapsed : base + elapsed);
}

std::int32_t TickCount(std::int32_t timeCount, std::uint16_t interval)
{
    return interval == 0 ? 0 : timeCount / static_cast<std::int32_t>(interval);
}

bool KeepsRunning(bool countDown, std::uint16_t interval, std::int32_t timeCount, std::int32_t tickLimit)
{
    if (interval == 0) return false;
    const std::int32_t ticks = TickCount(timeCount, interval);
    if (countDown) return ticks > tickLimit && timeCount > 0;
    return ticks < tickLimit || tickLimit <= 0;
}

TimerClock& SystemTimerClock() { return systemClock; }

MainThreadDispatcher& MainThreadHandOff()
{
    platform::BindMainThread();
    return platformHandOff;
}

// ---------------------------------------------------------------------------
// The worker

TTimerThread::TTimerThread(TSuperTimer& timer) : Timer(timer) {}

TTimerThread::~TTimerThread()
{
    {
        std::lock_guard lock(Timer.mutex_);
        Timer.terminated_ = true;
        ++Timer.generation_;
    }
    Timer.wake_.notify_all();
    thread_.Join();
}

bool TTimerThread::Parked() const
{
    std::lock_guard lock(Timer.mutex_);
    return Timer.parked_;
}

void TTimerThread::Start()
{
    if (!thread_.Joinable()) thread_ = platform::Thread([this] { Execute(); });
}

void TTimerThread::ApplyPriority(int priority) { thread_.SetPriority(priority); }

bool TTimerThread::WaitUntilEnabled(std::unique_lock<platform::Mutex>& lock)
{
    TSuperTimer& t = Timer;
    if (!t.enabled_ && !t.terminated_) {
        t.parked_ = true;
        t.wake_.wait(lock, [&] { return t.enabled_ || t.terminated_; });
    }
    return !t.terminated_;
}

bool TTimerThread::SleepFor(std::uint32_t ms)
{
    // Timed by the clock, not by the pauses: a worker paused during its sleep
    // finds it over (or shorter) when it is resumed.
    TimerClock& clock = Timer.clock_;
    const std::uint32_t start = clock.Now();
    for (;;) {
        if (Timer.terminated_) return false;
        const std::uint32_t elapsed = clock.Now() - start;
        if (elapsed >= ms) return true;
        clock.Sleep(std::min(ms - elapsed, kSleepSlice));
    }
}

bool TTimerThread::PollUntil(std::uint32_t nextTickAt, std::uint32_t generation, std::uint32_t& now)
{
    TimerClock& clock = Timer.clock_;
    for (;;) {
        now = clock.Now();
        if (TickDue(now, nextTickAt)) return true;
        if (Timer.generation_ != generation) return false;
        clock.Spin();
    }
}

void TTimerThread::Execute()
{
    TSuperTimer& t = Timer;
    std::unique_lock lock(t.mutex_);
    platform::SetCurrentThreadPriority(WindowsThreadPriority(t.priority_));
    for (;;) {
        if (!WaitUntilEnabled(lock)) return;
        const std::uint16_t interval = t.interval_;
        lock.unlock();
        if (interval > kPollMargin && !SleepFor(interval - kPollMargin)) return;
        lock.lock();

        // Poll until the tick is due in the current run; a pause met here
        // resumes polling toward the due time the re-enabling set.
        std::uint32_t now = 0;
        std::uint32_t generation = 0;
        for (;;) {
            if (!WaitUntilEnabled(lock)) return;
            generation = t.generation_;
            const std::uint32_t nextTickAt = t.nextTickAt_;
            lock.unlock();
            const bool due = PollUntil(nextTickAt, generation, now);
            lock.lock();
            if (t.terminated_) return;
            if (due && t.enabled_ && t.generation_ == generation) break;
        }

        // Base and direction are read together under the lock, so a
        // direction switch is either wholly before this tick or after it.
        t.nextTickAt_ = now + t.interval_;
        t.pendingTimeCount_ = RunningTime(t.countDown_, t.baseTime_, t.baseClock_, now);
        t.pendingGeneration_ = generation;
        t.inFlight_ = true;
        lock.unlock();
        const bool posted = t.dispatcher_.Post([timer = &t, alive = t.alive_, generation] {
            if (*alive) timer->DeliverTick(generation);
        });
        lock.lock();
        if (!posted) t.inFlight_ = false;
        t.wake_.wait(lock, [&] { return !t.inFlight_ || t.terminated_; });
        if (t.terminated_) return;
    }
}

// ---------------------------------------------------------------------------
// The timer

TSuperTimer::TSuperTimer() : TSuperTimer(SystemTimerClock(), MainThreadHandOff()) {}

TSuperTimer::TSuperTimer(TimerClock& clock, MainThreadDispatcher& dispatcher)
    : clock_(clock), dispatcher_(dispatcher), thread_(std::make_unique<TTimerThread>(*this))
{
}

TSuperTimer::~TSuperTimer()
{
    SetEnabled(false);
    thread_.reset();
    *alive_ = false;
}

void TSuperTimer::SetEnabled(bool enabled)
{
    {
        std::lock_guard lock(mutex_);
        if (enabled == enabled_) return;
        enabled_ = enabled;
        ++generation_;
        if (enabled) {
            baseTime_ = timeCount_;
            baseClock_ = clock_.Now();
            nextTickAt_ = baseClock_ + interval_;
            parked_ = false;
        }
    }
    wake_.notify_all();
    if (enabled) thread_->Start();
}

void TSuperTimer::SetInterval(std::uint16_t interval)
{
    if (interval == interval_) return;
    if (interval == 0) SetEnabled(false);
    std::lock_guard lock(mutex_);
    interval_ = interval;
}

void TSuperTimer::SetThreadPriority(TThreadPriority priority)
{
    std::lock_guard lock(mutex_);
    if (priority == priority_) return;
    priority_ = priority;
    thread_->ApplyPriority(WindowsThreadPriority(priority));
}

void TSuperTimer::SetCountDown(bool countDown)
{
    std::lock_guard lock(mutex_);
    if (countDown == countDown_) return;
    countDown_ = countDown;
    if (enabled_) {
        // Turn around from the last tick's value; a tick already handed over
        // counts as the last one.
        baseClock_ = clock_.Now();
        baseTime_ = inFlight_ && pendingGeneration_ == generation_ ? pendingTimeCount_ : timeCount_;
    }
}

std::int32_t TSuperTimer::Ticks() const { return TickCount(timeCount_, interval_); }

std::uint32_t TSuperTimer::NextTickAt() const
{
    std::lock_guard lock(mutex_);
    return nextTickAt_;
}

std::uint32_t TSuperTimer::BaseClock() const
{
    std::lock_guard lock(mutex_);
    return baseClock_;
}

void TSuperTimer::DeliverTick(std::uint32_t generation)
{
    const SharedFlag alive = alive_;
    bool current = false;
    {
        std::lock_guard lock(mutex_);
        current = inFlight_ && enabled_ && generation_ == generation;
        if (current) timeCount_ = pendingTimeCount_;
    }
    // The worker goes on once this call is over, even when OnTimer throws.
    struct Release {
        TSuperTimer* timer;
        const SharedFlag& alive;
        ~Release()
        {
            if (!*alive) return;
            {
                std::lock_guard lock(timer->mutex_);
                timer->inFlight_ = false;
            }
            timer->wake_.notify_all();
        }
    } release{this, alive};
    if (current) DoTick();
}

void TSuperTimer::DoTick()
{
    const SharedFlag alive = alive_;
    if (OnTimer) OnTimer(*this);
    if (!*alive) return;
    if (KeepsRunning(countDown_, interval_, timeCount_, tickLimit_)) return;
    SetEnabled(false);
    if (OnStop) OnStop(*this);
}

} // namespace tarvex
