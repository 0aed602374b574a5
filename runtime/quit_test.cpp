// Tests of ending the process at once with quitNow, in a child process.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "os/fs.h"
#include "os/process.h"

namespace {

TEST(QuitNowTest, EndsWithTheCodeAfterFlushingAndWithoutUnwinding) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("runtime_quit_" + std::to_string(os::processId()) + ".txt");
    auto self = os::programFileName();
    ASSERT_TRUE(self.ok());
    auto child = os::Process::start(*self, {"--quit-now-child", path.string()});
    ASSERT_TRUE(child.ok());
    auto code = child->wait();
    ASSERT_TRUE(code.ok());
    EXPECT_EQ(*code, 7);
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "flushed");  // buffered output kept, no destructor ran
    in.close();
    std::filesystem::remove(path);
}

}  // namespace
