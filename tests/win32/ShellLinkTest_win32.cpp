// The shell link object's own failure: without COM on the calling thread
// there is no link object to make.
#include "TestSupport.h"

#include "base/Exception.h"
#include "platform/ShellLink.h"

#include <filesystem>
#include <string>
#include <thread>

#include <gtest/gtest.h>

namespace {

TEST(ShellLinkWin32, WithoutComNoLinkObjectIsMade)
{
    tarvex::test::ScratchDir dir;
    const std::string link = dir.File("Demo.LNK");
    std::string message;
    // A new thread: it has joined no COM apartment, whatever this one did.
    std::thread([&] {
        try {
            tarvex::platform::CreateShellLink(link, "Demo", "C:\\x.exe", "", "");
        } catch (const tarvex::Exception& e) {
            message = e.Message();
        }
    }).join();
    EXPECT_EQ(message, "Error creating IShellLnk");
    EXPECT_FALSE(std::filesystem::exists(link));
}

} // namespace
