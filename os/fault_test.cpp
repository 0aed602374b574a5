// Tests of write-fault injection: the armed call fails without touching the
// disk, other calls go through, and every kind of modifying call counts.
#include "os/fault.h"

#include <gtest/gtest.h>

#include "os/file.h"
#include "os/fs.h"
#include "os/os_testutil.h"

namespace os {
namespace {

class FaultTest : public ::testing::Test {
protected:
    void TearDown() override { disarmWriteFault(); }
    test::TempFolder dir_;
};

TEST_F(FaultTest, NthWriteFailsAndLeavesTheFileAlone) {
    Result<File> f =
        File::open(dir_.file("T.DBF"), Access::ReadWrite, Share::Exclusive, Disposition::CreateNew);
    ASSERT_TRUE(f.ok());
    armWriteFault(2);
    EXPECT_TRUE(f->write(0, "aaaa", 4).ok());
    Status failed = f->write(4, "bbbb", 4);
    EXPECT_EQ(failed.code(), kErrWriteFault);
    EXPECT_EQ(*f->size(), 4u);
    EXPECT_TRUE(f->write(4, "cccc", 4).ok());  // a one-shot fault
    EXPECT_EQ(injectedFaultCount(), 1u);
}

TEST_F(FaultTest, PersistentFaultKeepsFailingUntilDisarmed) {
    test::writeWholeFile(dir_.file("A.DBF"), "a");
    armWriteFault(1, kErrDiskFull, true);
    EXPECT_EQ(copyFile(dir_.file("A.DBF"), dir_.file("B.DBF")).code(), kErrDiskFull);
    EXPECT_EQ(renameFile(dir_.file("A.DBF"), dir_.file("C.DBF")).code(), kErrDiskFull);
    EXPECT_EQ(eraseFile(dir_.file("A.DBF")).code(), kErrDiskFull);
    EXPECT_EQ(makeFolder(dir_.file("SUB")).code(), kErrDiskFull);
    EXPECT_EQ(injectedFaultCount(), 4u);
    EXPECT_EQ(test::folderNames(dir_.path()), std::vector<std::string>{"A.DBF"});
    disarmWriteFault();
    EXPECT_TRUE(copyFile(dir_.file("A.DBF"), dir_.file("B.DBF")).ok());
}

TEST_F(FaultTest, EachCallOfAScenarioCanBeFaultedInTurn) {
    auto scenario = [this]() -> Status {
        Result<File> f = File::open(dir_.file("S.DBF"), Access::ReadWrite, Share::Exclusive,
                                    Disposition::CreateAlways);
        if (!f.ok()) return f.status();
        Status s = f->write(0, "head", 4);
        if (s.ok()) s = f->truncate(8);
        if (s.ok()) s = f->write(8, "tail", 4);
        if (s.ok()) s = f->flush();
        return s;
    };
    uint64_t before = writeCallCount();
    ASSERT_TRUE(scenario().ok());
    uint64_t calls = writeCallCount() - before;
    EXPECT_EQ(calls, 4u);
    for (uint32_t nth = 1; nth <= calls; ++nth) {
        armWriteFault(nth);
        EXPECT_FALSE(scenario().ok()) << "call " << nth;
        EXPECT_EQ(injectedFaultCount(), 1u);
    }
}

// A flush with nothing written since the last one has nothing to force: it
// succeeds even on a failing disk, so a table that was only read closes
// cleanly there. One after a write reaches the system (and its fault).
TEST_F(FaultTest, FlushWithNothingWrittenNeedsNoDisk) {
    Result<File> f = File::open(dir_.file("F.DBF"), Access::ReadWrite, Share::Exclusive,
                                Disposition::CreateAlways);
    ASSERT_TRUE(f.ok());
    armWriteFault(1, kErrWriteFault, true);
    EXPECT_TRUE(f->flush().ok());
    EXPECT_FALSE(f->write(0, "x", 1).ok());
    EXPECT_FALSE(f->flush().ok());
    disarmWriteFault();
    EXPECT_TRUE(f->flush().ok());
    EXPECT_TRUE(f->flush().ok());
}

TEST(StatusTest, MessageNamesTheOperationAndTheSystemText) {
    EXPECT_EQ(Status().message(), "OK");
    EXPECT_EQ(Status(kErrSharingViolation, "open EMPRESA.DBF").message(),
              "open EMPRESA.DBF: The process cannot access the file because it is being used by "
              "another process. (code 32)");
    EXPECT_EQ(errorText(99999), "Unknown error 99999.");
}

}  // namespace
}  // namespace os
