// Failures on their way to the main thread: a handed-over call, a worker
// thread and a timer tick that throw. In the Windows build each call runs
// inside a window procedure, so the exception must come back out of our
// own frames, not through DispatchMessage.
#include "components/SuperTimer.h"
#include "base/Exception.h"
#include "platform/MainThread.h"
#include "platform/Thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace tarvex {
namespace {

using namespace std::chrono_literals;

// Pumps until a call throws or the time is up; the exception's message, or
// nothing.
std::string PumpUntilFailure(std::chrono::seconds limit = 20s)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        try {
            platform::RunMainThreadCalls();
        } catch (const std::exception& e) {
            return e.what();
        }
        std::this_thread::sleep_for(1ms);
    }
    return {};
}

class MainThreadFailures : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::BindMainThread();
        // Nothing left over from other suites.
        while (platform::RunMainThreadCalls() > 0) {
        }
    }
};

TEST_F(MainThreadFailures, ThrowingCallDoesNotStopTheOthers)
{
    std::vector<int> ran;
    ASSERT_TRUE(platform::PostToMainThread([&] { ran.push_back(1); }));
    ASSERT_TRUE(platform::PostToMainThread([&] {
        ran.push_back(2);
        throw Exception("first failure");
    }));
    ASSERT_TRUE(platform::PostToMainThread([&] {
        ran.push_back(3);
        throw Exception("second failure");
    }));
    ASSERT_TRUE(platform::PostToMainThread([&] { ran.push_back(4); }));

    try {
        platform::RunMainThreadCalls();
        ADD_FAILURE() << "no exception came back";
    } catch (const Exception& e) {
        EXPECT_STREQ("first failure", e.what());
    }
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), ran);
    // Rethrown once: the next round is clean.
    EXPECT_EQ(0u, platform::RunMainThreadCalls());
}

TEST_F(MainThreadFailures, WorkerFailureIsRethrownOnTheMainThread)
{
    std::thread::id thrownOn;
    platform::Thread worker([&] {
        thrownOn = std::this_thread::get_id();
        throw Exception("worker failed");
    });
    worker.Join();
    EXPECT_NE(std::this_thread::get_id(), thrownOn);
    EXPECT_EQ("worker failed", PumpUntilFailure());
}

TEST_F(MainThreadFailures, ThrowingTickReachesThePumpAndTheTimerGoesOn)
{
    int ticks = 0;
    TSuperTimer timer;
    timer.OnTimer = [&](TSuperTimer&) {
        if (++ticks == 1) throw Exception("tick failed");
    };
    timer.SetInterval(10);
    timer.SetEnabled(true);
    EXPECT_EQ("tick failed", PumpUntilFailure());
    // The worker was let go although the tick threw: more ticks come.
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (ticks < 3 && std::chrono::steady_clock::now() < deadline) {
        platform::RunMainThreadCalls();
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_GE(ticks, 3);
}

} // namespace
} // namespace tarvex
