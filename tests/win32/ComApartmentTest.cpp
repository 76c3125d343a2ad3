// COM start and end on a thread of its own: every successful CoInitialize
// (S_FALSE too) is balanced, and a thread in the other apartment model is
// left as it was found.
#include <windows.h>
#include <objbase.h>

#include "platform/ComApartment.h"
#include "base/Exception.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace tarvex::platform {
namespace {

void OnNewThread(const std::function<void()>& body)
{
    std::thread thread(body);
    thread.join();
}

// True when COM is not started on this thread: a start then counts as the first.
bool ComIsStopped()
{
    const HRESULT result = CoInitialize(nullptr);
    if (SUCCEEDED(result)) CoUninitialize();
    return result == S_OK;
}

TEST(ComApartment, FreshStartEndsWithTheScope)
{
    OnNewThread([] {
        {
            ComApartment com;
            EXPECT_FALSE(ComIsStopped());
        }
        EXPECT_TRUE(ComIsStopped());
    });
}

TEST(ComApartment, SecondFreshStartThrowsAndLeavesTheCountBalanced)
{
    OnNewThread([] {
        {
            ComApartment outer;
            try {
                ComApartment inner;
                ADD_FAILURE() << "a second fresh start succeeded";
            } catch (const Exception& e) {
                EXPECT_STREQ("Shortcut error", e.what());
            }
            // Joining an apartment that is there counts as well, and is balanced.
            { ComApartment joined(ComApartment::Start::Join); }
            EXPECT_FALSE(ComIsStopped());
        }
        // Only the outer start was left to end: COM is stopped again.
        EXPECT_TRUE(ComIsStopped());
    });
}

TEST(ComApartment, OtherApartmentModelIsNotEndedByUs)
{
    OnNewThread([] {
        ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        { ComApartment joined(ComApartment::Start::Join); }
        EXPECT_THROW(ComApartment fresh, Exception);
        // Still the multithreaded apartment we started, once.
        EXPECT_EQ(S_FALSE, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        CoUninitialize();
        CoUninitialize();
        EXPECT_TRUE(ComIsStopped());
    });
}

} // namespace
} // namespace tarvex::platform
