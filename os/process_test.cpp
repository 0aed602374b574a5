// Tests of child processes, and the two-process tests of sharing and locks:
// a helper child (this test program re-launched) holds a file or a range.
#include "os/process.h"

#include <gtest/gtest.h>

#include <vector>

#include "os/clock.h"

#include "os/file.h"
#include "os/os_testutil.h"

namespace os {
namespace {

using test::HelperChild;
using test::startChild;

TEST(ProcessTest, ExitCodeReachesTheParent) {
    Result<Process> child = startChild({"exit-with", "7"});
    ASSERT_TRUE(child.ok()) << child.status().message();
    EXPECT_NE(child->id(), processId());
    Result<int> code = child->wait();
    ASSERT_TRUE(code.ok());
    EXPECT_EQ(*code, 7);
    EXPECT_EQ(*child->wait(), 7);  // a second wait gives the same answer
}

TEST(ProcessTest, ArgumentsSurviveQuoting) {
    test::TempFolder dir;
    std::vector<std::string> args = {
        "plain", "two words", "quote\"inside", "trailing\\", "back\\\\slash\\\"quote", ""};
    std::vector<std::string> all = {"write-args", dir.file("ARGS.TXT")};
    all.insert(all.end(), args.begin(), args.end());
    Result<Process> child = startChild(all);
    ASSERT_TRUE(child.ok());
    ASSERT_EQ(*child->wait(), 0);
    std::string expected;
    for (const std::string& a : args) expected += a + "\n";
    EXPECT_EQ(test::readWholeFile(dir.file("ARGS.TXT")), expected);
}

TEST(ProcessTest, KillEndsARunningChild) {
    test::TempFolder dir;
    Result<Process> child = startChild({"sleep", dir.file("marker")});
    ASSERT_TRUE(child.ok());
    Result<std::optional<int>> early = child->waitFor(50);
    ASSERT_TRUE(early.ok());
    EXPECT_FALSE(early->has_value());  // still running
    ASSERT_TRUE(child->kill().ok());
    EXPECT_EQ(*child->wait(), kKilledExitCode);
    EXPECT_TRUE(child->kill().ok());  // killing an ended child is harmless
}

// The figures come in the units their names promise: a busy loop's
// processor time cannot outrun the wall clock, and memory touched shows in
// the peak at its size in bytes.
TEST(ProcessTest, UseIsCountedInMicrosecondsAndBytes) {
    ProcessUse before = processUse();
    uint64_t wallStart = monotonicMs();
    volatile uint64_t spin = 0;
    while (processUse().cpuMicros < before.cpuMicros + 30000 && monotonicMs() - wallStart < 10000)
        for (int i = 0; i < 100000; ++i) spin = spin + i;
    uint64_t wallMicros = (monotonicMs() - wallStart + 20) * 1000;
    uint64_t spent = processUse().cpuMicros - before.cpuMicros;
    EXPECT_GE(spent, 30000u);
    EXPECT_LE(spent, wallMicros);

    const size_t size = size_t(64) << 20;
    std::vector<char> touched(size);
    for (size_t i = 0; i < size; i += 4096) touched[i] = char(i);
    uint64_t peak = processUse().peakResidentBytes;
    EXPECT_GE(peak, size);
    EXPECT_LT(peak, uint64_t(64) << 30);
}

TEST(ProcessTest, MissingProgramIsFileNotFound) {
    test::TempFolder dir;
    EXPECT_EQ(Process::start(dir.file("none.exe"), {}).code(), kErrFileNotFound);
}

class TwoProcessTest : public ::testing::Test {
protected:
    void SetUp() override { test::writeWholeFile(path_, "shared data"); }
    Result<File> open(Share share) {
        return File::open(path_, Access::ReadWrite, share, Disposition::OpenExisting);
    }
    test::TempFolder dir_;
    std::string path_ = dir_.file("TABLE.DBF");
    std::string marker_ = dir_.file("child");
};

TEST_F(TwoProcessTest, ExclusiveOpenInAnotherProcessIsASharingViolation) {
    HelperChild child;
    ASSERT_TRUE(child.start(marker_, {"hold-exclusive", path_}));
    EXPECT_EQ(open(Share::Shared).code(), kErrSharingViolation);
    EXPECT_EQ(open(Share::Exclusive).code(), kErrSharingViolation);
    EXPECT_EQ(child.release(), 0);
    EXPECT_TRUE(open(Share::Exclusive).ok());  // free again once the child has gone
}

TEST_F(TwoProcessTest, SharedOpensCoexistAcrossProcesses) {
    HelperChild child;
    ASSERT_TRUE(child.start(marker_, {"hold-shared", path_}));
    EXPECT_TRUE(open(Share::Shared).ok());
    EXPECT_EQ(open(Share::Exclusive).code(), kErrSharingViolation);
    EXPECT_EQ(child.release(), 0);
}

TEST_F(TwoProcessTest, ByteRangeLockedInAnotherProcess) {
    const uint64_t kOffset = 0x7FFFFFFEull - 3;
    HelperChild child;
    ASSERT_TRUE(child.start(marker_, {"lock-range", path_, std::to_string(kOffset), "1"}));
    Result<File> f = open(Share::Shared);
    ASSERT_TRUE(f.ok());
    EXPECT_EQ(f->lock(kOffset, 1).code(), kErrLockViolation);
    EXPECT_EQ(f->lock(kOffset - 10, 20).code(), kErrLockViolation);
    EXPECT_TRUE(f->lock(kOffset + 1, 1).ok());
    EXPECT_EQ(child.release(), 0);
    EXPECT_TRUE(f->lock(kOffset, 1).ok());  // the child's exit released its lock
}

TEST_F(TwoProcessTest, KilledChildReleasesItsOpenAndLocks) {
    HelperChild child;
    ASSERT_TRUE(child.start(marker_, {"hold-exclusive", path_}));
    ASSERT_TRUE(child.process().kill().ok());
    EXPECT_EQ(*child.process().wait(), kKilledExitCode);
    EXPECT_TRUE(open(Share::Exclusive).ok());
}

}  // namespace
}  // namespace os
