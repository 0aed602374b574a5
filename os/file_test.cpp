// Tests of os::File: open dispositions and their errors, positioned I/O,
// truncate, sharing between handles, and byte-range locks between handles.
#include "os/file.h"

#include <gtest/gtest.h>

#include "os/fs.h"
#include "os/os_testutil.h"

namespace os {
namespace {

class FileTest : public ::testing::Test {
protected:
    Result<File> open(Access access, Share share,
                      Disposition disposition = Disposition::OpenExisting) {
        return File::open(path_, access, share, disposition);
    }
    File openShared() {
        Result<File> f = open(Access::ReadWrite, Share::Shared, Disposition::OpenAlways);
        EXPECT_TRUE(f.ok()) << f.status().message();
        return std::move(f).value();
    }
    std::string read(File& f, uint64_t offset, size_t bytes) {
        std::string out(bytes, '?');
        Result<size_t> n = f.read(offset, out.data(), bytes);
        EXPECT_TRUE(n.ok()) << n.status().message();
        out.resize(n.ok() ? *n : 0);
        return out;
    }

    test::TempFolder dir_;
    std::string path_ = dir_.file("DATA.DBF");
};

TEST_F(FileTest, MissingFileAndMissingFolderGiveDistinctErrors) {
    EXPECT_EQ(open(Access::Read, Share::Shared).code(), kErrFileNotFound);
    Result<File> f = File::open(dir_.file("NOFOLDER\\X.DBF"), Access::Read, Share::Shared,
                                Disposition::OpenExisting);
    EXPECT_EQ(f.code(), kErrPathNotFound);
    f = File::open(dir_.file("NOFOLDER\\X.DBF"), Access::ReadWrite, Share::Shared,
                   Disposition::CreateAlways);
    EXPECT_EQ(f.code(), kErrPathNotFound);
    EXPECT_EQ(File::open("", Access::Read, Share::Shared, Disposition::OpenExisting).code(),
              kErrInvalidName);
    EXPECT_FALSE(fileExists(path_));  // nothing was created by the failures
}

TEST_F(FileTest, DispositionsCreateTruncateOrRefuse) {
    EXPECT_TRUE(open(Access::ReadWrite, Share::Exclusive, Disposition::CreateNew).ok());
    EXPECT_EQ(open(Access::ReadWrite, Share::Exclusive, Disposition::CreateNew).code(),
              kErrFileExists);
    test::writeWholeFile(path_, "abcdef");
    EXPECT_TRUE(open(Access::ReadWrite, Share::Exclusive, Disposition::OpenAlways).ok());
    EXPECT_EQ(test::readWholeFile(path_), "abcdef");  // OpenAlways keeps the contents
    EXPECT_TRUE(open(Access::ReadWrite, Share::Exclusive, Disposition::CreateAlways).ok());
    EXPECT_EQ(test::readWholeFile(path_), "");
}

TEST_F(FileTest, OpeningAFolderIsAccessDenied) {
    ASSERT_TRUE(makeFolder(dir_.file("SUB")).ok());
    Result<File> f =
        File::open(dir_.file("SUB"), Access::Read, Share::Shared, Disposition::OpenExisting);
    EXPECT_EQ(f.code(), kErrAccessDenied);
}

TEST_F(FileTest, ReadsAndWritesAtOffsets) {
    File f = openShared();
    ASSERT_TRUE(f.write(0, "0123456789", 10).ok());
    ASSERT_TRUE(f.write(4, "ab", 2).ok());
    EXPECT_EQ(read(f, 0, 10), "0123ab6789");
    EXPECT_EQ(read(f, 8, 10), "89");        // short read at the end
    EXPECT_EQ(read(f, 10, 4), "");          // at the end
    EXPECT_EQ(read(f, 1000, 4), "");        // past the end
    ASSERT_TRUE(f.write(14, "Z", 1).ok());  // a write past the end fills with zeros
    EXPECT_EQ(read(f, 8, 10), std::string("89\0\0\0\0Z", 7));
    EXPECT_EQ(*f.size(), 15u);
}

TEST_F(FileTest, TruncateShrinksAndExtendsWithZeros) {
    File f = openShared();
    ASSERT_TRUE(f.write(0, "abcdef", 6).ok());
    ASSERT_TRUE(f.truncate(3).ok());
    EXPECT_EQ(*f.size(), 3u);
    ASSERT_TRUE(f.truncate(5).ok());
    EXPECT_EQ(read(f, 0, 10), std::string("abc\0\0", 5));
    EXPECT_TRUE(f.flush().ok());
}

TEST_F(FileTest, ReadAccessRefusesChanges) {
    test::writeWholeFile(path_, "keep");
    Result<File> f = open(Access::Read, Share::Shared);
    ASSERT_TRUE(f.ok());
    EXPECT_EQ(f->write(0, "x", 1).code(), kErrAccessDenied);
    EXPECT_EQ(f->truncate(0).code(), kErrAccessDenied);
    EXPECT_EQ(test::readWholeFile(path_), "keep");
}

TEST_F(FileTest, ClosedAndMovedFromFilesReportInvalidHandle) {
    File f = openShared();
    File g = std::move(f);
    EXPECT_FALSE(f.isOpen());  // NOLINT: checking the moved-from state on purpose
    EXPECT_EQ(f.write(0, "x", 1).code(), kErrInvalidHandle);
    EXPECT_TRUE(g.isOpen());
    g.close();
    g.close();
    EXPECT_EQ(g.size().code(), kErrInvalidHandle);
}

TEST_F(FileTest, ExclusiveOpenConflictsWithEveryOtherOpen) {
    File first = openShared();
    first.close();
    {
        Result<File> exclusive = open(Access::ReadWrite, Share::Exclusive);
        ASSERT_TRUE(exclusive.ok());
        EXPECT_EQ(open(Access::Read, Share::Shared).code(), kErrSharingViolation);
        EXPECT_EQ(open(Access::ReadWrite, Share::Exclusive).code(), kErrSharingViolation);
    }
    File a = openShared();
    File b = openShared();  // shared opens coexist
    EXPECT_EQ(open(Access::ReadWrite, Share::Exclusive).code(), kErrSharingViolation);
    EXPECT_EQ(open(Access::Read, Share::Exclusive).code(), kErrSharingViolation);
}

TEST_F(FileTest, CreateAlwaysDoesNotTruncateAFileOpenElsewhere) {
    test::writeWholeFile(path_, "precious");
    Result<File> holder = open(Access::ReadWrite, Share::Exclusive);
    ASSERT_TRUE(holder.ok());
    EXPECT_EQ(open(Access::ReadWrite, Share::Exclusive, Disposition::CreateAlways).code(),
              kErrSharingViolation);
    holder->close();
    EXPECT_EQ(test::readWholeFile(path_), "precious");
}

TEST_F(FileTest, LocksConflictBetweenHandlesOfOneProcess) {
    File a = openShared();
    File b = openShared();
    ASSERT_TRUE(a.lock(100, 10).ok());
    EXPECT_EQ(b.lock(105, 1).code(), kErrLockViolation);
    EXPECT_EQ(b.lock(95, 6).code(), kErrLockViolation);  // overlaps the first byte
    EXPECT_TRUE(b.lock(110, 5).ok());                    // adjacent range is free
    ASSERT_TRUE(a.unlock(100, 10).ok());
    EXPECT_TRUE(b.lock(100, 10).ok());
}

TEST_F(FileTest, LocksAtFarOffsets) {
    File a = openShared();
    File b = openShared();
    const uint64_t kRecordLockBase =
        0x7FFFFFFEull;  // the table conventions lock downward from here
    ASSERT_TRUE(a.lock(kRecordLockBase - 5, 1).ok());
    EXPECT_EQ(b.lock(kRecordLockBase - 5, 1).code(), kErrLockViolation);
    EXPECT_TRUE(b.lock(kRecordLockBase - 4, 1).ok());
    const uint64_t kBeyond4G = 0x100000000ull + 7;  // must not alias byte 7
    ASSERT_TRUE(a.lock(kBeyond4G, 1).ok());
    EXPECT_TRUE(b.lock(7, 1).ok());
    EXPECT_EQ(b.lock(kBeyond4G, 1).code(), kErrLockViolation);
    EXPECT_EQ(*a.size(), 0u);  // locks beyond the end do not grow the file
}

TEST_F(FileTest, LockBookkeepingIsTheSameOnEveryPlatform) {
    File a = openShared();
    ASSERT_TRUE(a.lock(0, 10).ok());
    EXPECT_EQ(a.lock(5, 10).code(), kErrLockViolation);  // own overlapping range
    EXPECT_EQ(a.unlock(0, 5).code(), kErrNotLocked);     // not the range as locked
    EXPECT_EQ(a.unlock(50, 1).code(), kErrNotLocked);
    EXPECT_EQ(a.lock(20, 0).code(), kErrInvalidParameter);
    EXPECT_TRUE(a.unlock(0, 10).ok());
    EXPECT_EQ(a.unlock(0, 10).code(), kErrNotLocked);
}

TEST_F(FileTest, SharedLocksCoexistButExcludeExclusiveOnes) {
    File a = openShared();
    File b = openShared();
    ASSERT_TRUE(a.lock(0, 4, LockKind::Shared).ok());
    EXPECT_TRUE(b.lock(0, 4, LockKind::Shared).ok());
    File c = openShared();
    EXPECT_EQ(c.lock(2, 1).code(), kErrLockViolation);
}

TEST_F(FileTest, ClosingReleasesLocks) {
    File a = openShared();
    File b = openShared();
    ASSERT_TRUE(a.lock(40, 2).ok());
    a.close();
    EXPECT_TRUE(b.lock(40, 2).ok());
}

}  // namespace
}  // namespace os
