// Test helpers of the start-up tests: a fixture that puts the process-wide
// state (current directory, settings, start-up record) back after each test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace startup {

class StartupStateTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A fresh folder under the temp folder, removed after the test.
    std::filesystem::path makeTempFolder(const std::string& name);

private:
    std::string savedDirectory_;
    std::filesystem::path tempRoot_;
};

// Compares two folder paths without regard to ASCII case or a trailing separator.
bool sameFolder(std::string a, std::string b);

}  // namespace startup
