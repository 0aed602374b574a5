// The program really ends: exit code 1 after "&Salir" on the console, and at
// once when a second error arrives while the dialog is up.
#include <gtest/gtest.h>

#include <filesystem>

#include "os/fs.h"
#include "os/process.h"

namespace {

class ProgramEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("errors_child_" + std::to_string(os::processId()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        previous_ = os::currentDirectory().value();
        ASSERT_TRUE(os::setCurrentDirectory(folder_.string()).ok());
    }
    void TearDown() override {
        (void)os::setCurrentDirectory(previous_);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    int runChild(const std::string& scenario) {
        auto child =
            os::Process::start(os::programFileName().value(), {"--errors-child=" + scenario});
        if (!child.ok()) {
            ADD_FAILURE() << "cannot start the child";
            return -1;
        }
        auto code = child->wait();
        return code.ok() ? code.value() : -1;
    }

    std::filesystem::path folder_;
    std::string previous_;
};

TEST_F(ProgramEndTest, ConsoleExitEndsWithCodeOneAfterWritingTheLog) {
    EXPECT_EQ(runChild("exit"), 1);
    EXPECT_TRUE(std::filesystem::exists(folder_ / "Error.log"));
}

TEST_F(ProgramEndTest, SecondErrorWhileDialogIsUpEndsAtOnce) {
    EXPECT_EQ(runChild("nested"), 1);
    EXPECT_TRUE(std::filesystem::exists(folder_ / "Error.log"));  // from the first error
    EXPECT_FALSE(std::filesystem::exists(folder_ / "returned.txt"));
}

}  // namespace
