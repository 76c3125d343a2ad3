#pragma once
// A machine to test against. Natively a fresh machine root in a scratch
// folder; under Windows the real machine, where tests write only below keys
// of their own that are removed afterwards.
#include "TestSupport.h"

#include "platform/MachineRoot.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

namespace tarvex::test {

// Removes a test key with everything below it (nothing to do natively).
void DeleteTestKey(platform::RootKey root, const std::string& keyPath);

class MachineSandbox : public ::testing::Test {
protected:
    void SetUp() override { platform::SetMachineRoot(RootDir()); }
    void TearDown() override
    {
        for (const auto& [root, key] : testKeys_) DeleteTestKey(root, key);
        platform::SetMediumFolder("");
        platform::SetMachineRoot("");
    }

    std::string RootDir() const { return (scratch_.Path() / "machine").string(); }

    // A key path of our own below the root (and below under), starting with
    // a backslash.
    std::string TestKey(platform::RootKey root, const std::string& under = "")
    {
        std::random_device rd;
        std::string key = under + "\\Software\\TarvexTest-" + std::to_string(rd());
        testKeys_.emplace_back(root, key.substr(1));
        return key;
    }

    ScratchDir scratch_;

private:
    std::vector<std::pair<platform::RootKey, std::string>> testKeys_;
};

} // namespace tarvex::test
