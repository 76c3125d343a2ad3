// The thread timer's contract, driven by a clock and a main thread that the
// test controls, plus one run on the real clock and the real hand-off.
#include "components/SuperTimer.h"
#include "platform/MainThread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tarvex {
namespace {

using namespace std::chrono_literals;

// Time moves only when the test says so. The worker blocks in Sleep and Spin
// until it does (or briefly, so that it can notice it is being destroyed).
class FakeClock : public TimerClock {
public:
    explicit FakeClock(std::uint32_t start) : now_(start), mainThread_(std::this_thread::get_id()) {}

    std::uint32_t Now() override
    {
        std::lock_guard lock(mutex_);
        if (std::this_thread::get_id() != mainThread_) workerSeen_ = epoch_;
        return now_;
    }
    void Sleep(std::uint32_t) override { Wait(); }
    void Spin() override { Wait(); }

    void Advance(std::uint32_t ms)
    {
        std::lock_guard lock(mutex_);
        now_ += ms;
        ++epoch_;
        changed_.notify_all();
    }
    std::uint32_t Current()
    {
        std::lock_guard lock(mutex_);
        return now_;
    }
    // The worker has read the current time and waits for more.
    bool WorkerWaiting()
    {
        std::lock_guard lock(mutex_);
        return waiting_ && workerSeen_ == epoch_;
    }

private:
    void Wait()
    {
        std::unique_lock lock(mutex_);
        waiting_ = true;
        changed_.wait_for(lock, 2ms, [&] { return epoch_ != workerSeen_; });
        waiting_ = false;
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint32_t now_;
    std::uint64_t epoch_ = 0;
    std::uint64_t workerSeen_ = ~std::uint64_t{0};
    bool waiting_ = false;
    std::thread::id mainThread_;
};

class QueueDispatcher : public MainThreadDispatcher {
public:
    bool Post(std::function<void()> call) override
    {
        std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
        return true;
    }
    std::size_t Pending()
    {
        std::lock_guard lock(mutex_);
        return calls_.size();
    }
    void Pump()
    {
        std::deque<std::function<void()>> due;
        {
            std::lock_guard lock(mutex_);
            due.swap(calls_);
        }
        for (auto& call : due) call();
    }

private:
    std::mutex mutex_;
    std::deque<std::function<void()>> calls_;
};

struct Event {
    bool stop;
    std::int32_t timeCount;
    std::uint32_t clock;
};

class SuperTimerContract : public ::testing::Test {
protected:
    static constexpr std::uint32_t kStart = 5000;

    explicit SuperTimerContract(std::uint32_t start = kStart) : clock(start) { MakeTimer(); }

    void MakeTimer()
    {
        timer = std::make_unique<TSuperTimer>(clock, mainThread);
        timer->OnTimer = [this](TSuperTimer& sender) {
            events.push_back({false, sender.TimeCount(), clock.Current()});
        };
        timer->OnStop = [this](TSuperTimer& sender) { events.push_back({true, sender.TimeCount(), clock.Current()}); };
    }

    // Waits until the worker can do nothing more without the test: it waits
    // for time to pass, for its tick to run on the main thread, or in a pause.
    void Settle()
    {
        if (!timer) return;
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!(mainThread.Pending() > 0 || clock.WorkerWaiting() || timer->Thread().Parked())) {
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "timer worker never came to rest";
                return;
            }
            std::this_thread::sleep_for(100us);
        }
    }

    // Lets ms milliseconds pass one at a time, the main thread running its
    // calls after each.
    void Run(std::uint32_t ms)
    {
        Settle();
        for (std::uint32_t i = 0; i < ms; ++i) {
            clock.Advance(1);
            Settle();
            mainThread.Pump();
            Settle();
        }
    }

    std::size_t TimerEvents() const
    {
        std::size_t count = 0;
        for (const Event& e : events) count += e.stop ? 0 : 1;
        return count;
    }

    FakeClock clock;
    QueueDispatcher mainThread;
    std::unique_ptr<TSuperTimer> timer;
    std::vector<Event> events;
};

TEST_F(SuperTimerContract, StartsDisabledWithDefaults)
{
    EXPECT_FALSE(timer->Enabled());
    EXPECT_EQ(timer->Interval(), 1000);
    EXPECT_EQ(timer->ThreadPriority(), TThreadPriority::tpHigher);
    EXPECT_FALSE(timer->CountDown());
    EXPECT_EQ(timer->TimeCount(), 0);
    EXPECT_EQ(timer->TickLimit(), -1);
    Run(2500);
    EXPECT_TRUE(events.empty());
}

TEST_F(SuperTimerContract, FirstTickOneIntervalAfterEnablingThenRegular)
{
    timer->SetInterval(100);
    Run(300);
    timer->SetEnabled(true);
    const std::uint32_t enabledAt = clock.Current();
    EXPECT_EQ(timer->BaseClock(), enabledAt);
    EXPECT_EQ(timer->NextTickAt(), enabledAt + 100);

    Run(99);
    EXPECT_TRUE(events.empty());
    Run(1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].clock, enabledAt + 100);
    EXPECT_EQ(events[0].timeCount, 100);

    // Enabling again changes nothing: no re-basing.
    Run(40);
    timer->SetEnabled(true);
    EXPECT_EQ(timer->BaseClock(), enabledAt);

    // Counting up with no tick limit never stops.
    Run(360);
    ASSERT_EQ(events.size(), 5u);
    for (std::size_t i = 0; i < events.size(); ++i) {
        EXPECT_FALSE(events[i].stop);
        EXPECT_EQ(events[i].clock, enabledAt + 100 * (i + 1));
        EXPECT_EQ(events[i].timeCount, static_cast<std::int32_t>(100 * (i + 1)));
    }
    EXPECT_EQ(timer->Ticks(), 5);
    EXPECT_TRUE(timer->Enabled());
}

TEST_F(SuperTimerContract, ShortIntervalsPollTheWholeInterval)
{
    timer->SetInterval(20);
    timer->SetEnabled(true);
    Run(61);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].clock, kStart + 20);
    EXPECT_EQ(events[2].clock, kStart + 60);
    EXPECT_EQ(events[2].timeCount, 60);
}

TEST_F(SuperTimerContract, ZeroIntervalDisables)
{
    timer->SetInterval(100);
    timer->SetEnabled(true);
    Run(150);
    ASSERT_EQ(TimerEvents(), 1u);
    timer->SetInterval(0);
    EXPECT_FALSE(timer->Enabled());
    EXPECT_EQ(timer->Interval(), 0);
    EXPECT_EQ(timer->Ticks(), 0);
    Run(500);
    EXPECT_EQ(events.size(), 1u);
    EXPECT_TRUE(timer->Thread().Parked());
}

TEST_F(SuperTimerContract, ZeroIntervalNeverDividesAndEndsTheRun)
{
    // Enabled with a zero interval: due at once, reported, then stopped.
    timer->SetInterval(0);
    timer->SetEnabled(true);
    Run(5);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_FALSE(events[0].stop);
    EXPECT_TRUE(events[1].stop);
    EXPECT_FALSE(timer->Enabled());

    // A handler that zeroes the interval stops the timer from inside its tick.
    events.clear();
    timer->SetInterval(30);
    timer->OnTimer = [this](TSuperTimer& sender) {
        events.push_back({false, sender.TimeCount(), clock.Current()});
        sender.SetInterval(0);
    };
    timer->SetEnabled(true);
    Run(200);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_TRUE(events[1].stop);
    EXPECT_FALSE(timer->Enabled());
}

TEST_F(SuperTimerContract, CountDownFromThousandStopsAfterTenTicks)
{
    timer->SetTimeCount(1000);
    timer->SetInterval(100);
    timer->SetCountDown(true);
    timer->SetEnabled(true);
    Run(1300);
    ASSERT_EQ(events.size(), 11u);
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_FALSE(events[i].stop);
        EXPECT_EQ(events[i].timeCount, 1000 - 100 * static_cast<std::int32_t>(i + 1));
    }
    EXPECT_TRUE(events[10].stop);
    EXPECT_EQ(events[10].timeCount, 0);
    EXPECT_FALSE(timer->Enabled());
    EXPECT_TRUE(timer->Thread().Parked());
}

TEST_F(SuperTimerContract, CountDownFromZeroTicksOnceThenStops)
{
    timer->SetInterval(100);
    timer->SetCountDown(true);
    timer->SetEnabled(true);
    Run(400);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_FALSE(events[0].stop);
    EXPECT_EQ(events[0].timeCount, -100);
    EXPECT_TRUE(events[1].stop);
    EXPECT_FALSE(timer->Enabled());
}

TEST_F(SuperTimerContract, CountDownSwitchTurnsAroundFromTheLastTick)
{
    timer->SetInterval(35);
    timer->SetTimeCount(965);
    timer->SetEnabled(true);
    Run(35);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].timeCount, 1000);

    // 15 ms after that tick; the next comes 20 ms after the switch.
    Run(15);
    timer->SetCountDown(true);
    Run(20);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].timeCount, 980);
    Run(35);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[2].timeCount, 945);

    // Switching to the current direction does not re-base.
    const std::uint32_t baseClock = timer->BaseClock();
    Run(5);
    timer->SetCountDown(true);
    EXPECT_EQ(timer->BaseClock(), baseClock);
}

TEST_F(SuperTimerContract, CountDownSwitchCountsATickAlreadyHandedOver)
{
    timer->SetInterval(35);
    timer->SetTimeCount(965);
    timer->SetEnabled(true);
    // The tick is due but the main thread is busy: it waits in the queue.
    Settle();
    clock.Advance(35);
    Settle();
    ASSERT_EQ(mainThread.Pending(), 1u);
    clock.Advance(15);
    timer->SetCountDown(true);
    mainThread.Pump();
    Settle();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].timeCount, 1000);
    Run(20);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].timeCount, 980);
}

TEST_F(SuperTimerContract, DisableAndReEnableKeepTimeCountAndRestartTheInterval)
{
    timer->SetInterval(100);
    timer->SetEnabled(true);
    Run(130);
    ASSERT_EQ(events.size(), 1u);
    timer->SetEnabled(false);
    Run(500);
    EXPECT_EQ(events.size(), 1u);
    EXPECT_TRUE(timer->Thread().Parked());
    EXPECT_EQ(timer->TimeCount(), 100);

    timer->SetEnabled(true);
    const std::uint32_t enabledAt = clock.Current();
    Run(99);
    EXPECT_EQ(events.size(), 1u);
    Run(1);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].clock, enabledAt + 100);
    // The 30 ms before the pause and the pause itself are not counted.
    EXPECT_EQ(events[1].timeCount, 200);
}

TEST_F(SuperTimerContract, TickOnItsWayWhenDisabledNeverRuns)
{
    timer->SetInterval(60);
    timer->SetEnabled(true);
    Settle();
    clock.Advance(60);
    Settle();
    ASSERT_EQ(mainThread.Pending(), 1u);
    // Disabled and enabled again before the main thread gets to the tick.
    clock.Advance(5);
    timer->SetEnabled(false);
    timer->SetEnabled(true);
    const std::uint32_t enabledAt = clock.Current();
    mainThread.Pump();
    Settle();
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(timer->TimeCount(), 0);

    Run(59);
    EXPECT_TRUE(events.empty());
    Run(1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].clock, enabledAt + 60);
    EXPECT_EQ(events[0].timeCount, 60);
}

TEST_F(SuperTimerContract, DestroyedTimerDeliversNothingMore)
{
    timer->SetInterval(80);
    timer->SetEnabled(true);
    Settle();
    clock.Advance(80);
    Settle();
    ASSERT_EQ(mainThread.Pending(), 1u);
    timer.reset();
    mainThread.Pump();
    Run(300);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(mainThread.Pending(), 0u);
}

TEST_F(SuperTimerContract, DestroyedWhileSleepingOrPaused)
{
    timer->SetInterval(1000);
    timer->SetEnabled(true);
    Run(300);
    timer.reset(); // the worker is in its sleep
    Run(1000);
    EXPECT_TRUE(events.empty());

    MakeTimer();
    timer->SetInterval(100);
    timer->SetEnabled(true);
    Run(50);
    timer->SetEnabled(false);
    Run(100);
    timer.reset(); // the worker is parked
    Run(200);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(mainThread.Pending(), 0u);
}

TEST_F(SuperTimerContract, DestroyedFromItsOwnTick)
{
    timer->SetInterval(40);
    timer->OnTimer = [this](TSuperTimer&) {
        events.push_back({false, 0, clock.Current()});
        timer.reset();
    };
    timer->SetEnabled(true);
    for (int i = 0; i < 100 && timer; ++i) {
        clock.Advance(1);
        Settle();
        mainThread.Pump();
    }
    EXPECT_FALSE(timer);
    EXPECT_EQ(events.size(), 1u);
}

class SuperTimerNearSignBit : public SuperTimerContract {
protected:
    SuperTimerNearSignBit() : SuperTimerContract(0x7FFFFFC0u) {}
};

TEST_F(SuperTimerNearSignBit, DueTimePastTwoToThe31FiresEarlyOnce)
{
    timer->SetInterval(100);
    timer->SetEnabled(true);
    // Due at 2^31 + 36, which compares below the clock: the tick comes as
    // soon as the sleep is over.
    Run(50);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].timeCount, 50);
    // The clock has crossed too: regular again.
    Run(99);
    EXPECT_EQ(events.size(), 1u);
    Run(1);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].timeCount, 150);
    EXPECT_EQ(events[1].clock, 0x7FFFFFC0u + 150);
}

class SuperTimerNearWrap : public SuperTimerContract {
protected:
    SuperTimerNearWrap() : SuperTimerContract(0xFFFFFFC0u) {}
};

TEST_F(SuperTimerNearWrap, ClockWrappingToZeroKeepsTicksRegular)
{
    timer->SetInterval(100);
    timer->SetEnabled(true);
    Run(99);
    EXPECT_TRUE(events.empty());
    Run(101);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].clock, 0x24u);
    EXPECT_EQ(events[0].timeCount, 100);
    EXPECT_EQ(events[1].timeCount, 200);
}

TEST(SuperTimerArithmetic, SignedDueTest)
{
    EXPECT_TRUE(TickDue(5, 5));
    EXPECT_FALSE(TickDue(4, 5));
    EXPECT_FALSE(TickDue(0xFFFFFFF0u, 0x54u));      // -16 < 84
    EXPECT_TRUE(TickDue(0x7FFFFFF2u, 0x80000024u)); // positive >= negative
    EXPECT_FALSE(TickDue(0x80000024u, 0x80000056u));
}

TEST(SuperTimerArithmetic, RunningTimeWraps)
{
    EXPECT_EQ(RunningTime(false, 100, 1000, 1250), 350);
    EXPECT_EQ(RunningTime(true, 100, 1000, 1250), -150);
    EXPECT_EQ(RunningTime(true, 1000, 0xFFFFFFF0u, 0x10u), 968);
    EXPECT_EQ(RunningTime(false, 0x7FFFFFFF, 0, 1), INT32_MIN);
}

TEST(SuperTimerArithmetic, TicksAndTheStopTest)
{
    EXPECT_EQ(TickCount(250, 100), 2);
    EXPECT_EQ(TickCount(-250, 100), -2);
    EXPECT_EQ(TickCount(12345, 0), 0);

    // Counting up: the limit stops it, a limit of 0 or less never does.
    EXPECT_TRUE(KeepsRunning(false, 100, 1000000, -1));
    EXPECT_TRUE(KeepsRunning(false, 100, 1000000, 0));
    EXPECT_TRUE(KeepsRunning(false, 100, 299, 3));
    EXPECT_FALSE(KeepsRunning(false, 100, 300, 3));

    // Counting down: above the limit and above zero.
    EXPECT_TRUE(KeepsRunning(true, 100, 1, -1));
    EXPECT_FALSE(KeepsRunning(true, 100, 0, -1));
    EXPECT_FALSE(KeepsRunning(true, 100, -99, -1));
    EXPECT_TRUE(KeepsRunning(true, 100, 300, 2));
    EXPECT_FALSE(KeepsRunning(true, 100, 299, 2));

    EXPECT_FALSE(KeepsRunning(false, 0, 500, -1));
    EXPECT_FALSE(KeepsRunning(true, 0, 500, -1));
}

// The real clock and the platform's hand-off: only loose facts, no durations.
TEST(SuperTimerRealClock, CountsDownAndStopsThroughTheMainThread)
{
    TSuperTimer timer;
    std::vector<std::int32_t> ticks;
    int stops = 0;
    const std::thread::id mainThread = std::this_thread::get_id();
    bool onMainThread = true;
    timer.OnTimer = [&](TSuperTimer& sender) {
        ticks.push_back(sender.TimeCount());
        onMainThread = onMainThread && std::this_thread::get_id() == mainThread;
    };
    timer.OnStop = [&](TSuperTimer&) { ++stops; };
    timer.SetThreadPriority(TThreadPriority::tpNormal);
    timer.SetInterval(20);
    timer.SetTimeCount(200);
    timer.SetCountDown(true);
    timer.SetEnabled(true);

    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (stops == 0 && std::chrono::steady_clock::now() < deadline) {
        platform::RunMainThreadCalls();
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_EQ(stops, 1);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_TRUE(onMainThread);
    ASSERT_GE(ticks.size(), 1u);
    EXPECT_LE(ticks.size(), 10u);
    EXPECT_LE(ticks.back(), 0);
    for (std::size_t i = 1; i < ticks.size(); ++i) EXPECT_LT(ticks[i], ticks[i - 1]);

    // Stopped: nothing more arrives.
    const std::size_t count = ticks.size();
    for (int i = 0; i < 50; ++i) {
        platform::RunMainThreadCalls();
        std::this_thread::sleep_for(2ms);
    }
    EXPECT_EQ(ticks.size(), count);
}

TEST(SuperTimerRealClock, DestroyedRunningTimerIsSilent)
{
    int ticks = 0;
    {
        TSuperTimer timer;
        timer.OnTimer = [&](TSuperTimer&) { ++ticks; };
        timer.SetInterval(10);
        timer.SetEnabled(true);
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (ticks == 0 && std::chrono::steady_clock::now() < deadline) {
            platform::RunMainThreadCalls();
            std::this_thread::sleep_for(1ms);
        }
        ASSERT_GE(ticks, 1);
        // Let the worker hand over its next tick, then go.
        std::this_thread::sleep_for(30ms);
    }
    const int before = ticks;
    for (int i = 0; i < 50; ++i) {
        platform::RunMainThreadCalls();
        std::this_thread::sleep_for(2ms);
    }
    EXPECT_EQ(ticks, before);
}

} // namespace
} // namespace tarvex
