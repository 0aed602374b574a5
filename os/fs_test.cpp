// Tests of whole-file and folder operations: copy, rename, erase, folders,
// current directory, program name, short names and their error numbers.
#include "os/fs.h"

#include <gtest/gtest.h>

#include "os/fault.h"
#include "os/file.h"
#include "os/os_testutil.h"
#include "os/path.h"

namespace os {
namespace {

using test::readWholeFile;
using test::writeWholeFile;

class FsTest : public ::testing::Test {
protected:
    std::string at(const std::string& name) const { return dir_.file(name); }
    File openAt(const std::string& name, Share share) {
        Result<File> f = File::open(at(name), Access::ReadWrite, share, Disposition::OpenExisting);
        EXPECT_TRUE(f.ok()) << f.status().message();
        return std::move(f).value();
    }
    test::TempFolder dir_;
};

TEST_F(FsTest, CopyReplacesALongerTarget) {
    writeWholeFile(at("A.DBF"), "new");
    writeWholeFile(at("B.DBF"), "old and much longer");
    ASSERT_TRUE(copyFile(at("A.DBF"), at("B.DBF")).ok());
    EXPECT_EQ(readWholeFile(at("B.DBF")), "new");
    EXPECT_EQ(readWholeFile(at("A.DBF")), "new");
}

TEST_F(FsTest, CopyErrors) {
    writeWholeFile(at("A.DBF"), "data");
    EXPECT_EQ(copyFile(at("NONE.DBF"), at("B.DBF")).code(), kErrFileNotFound);
    EXPECT_EQ(copyFile(at("NOFOLDER\\A.DBF"), at("B.DBF")).code(), kErrPathNotFound);
    EXPECT_EQ(copyFile(at("A.DBF"), at("NOFOLDER\\B.DBF")).code(), kErrPathNotFound);
    EXPECT_FALSE(fileExists(at("B.DBF")));
}

TEST_F(FsTest, CopyRespectsOpenFiles) {
    writeWholeFile(at("A.DBF"), "source");
    writeWholeFile(at("B.DBF"), "target in use");
    {
        File held = openAt("B.DBF", Share::Exclusive);
        EXPECT_EQ(copyFile(at("A.DBF"), at("B.DBF")).code(), kErrSharingViolation);
    }
    EXPECT_EQ(readWholeFile(at("B.DBF")), "target in use");
    {
        File held = openAt("A.DBF", Share::Exclusive);
        EXPECT_EQ(copyFile(at("A.DBF"), at("C.DBF")).code(), kErrSharingViolation);
    }
    {
        File reader = openAt("A.DBF", Share::Shared);  // a shared reader does not stop a copy
        EXPECT_TRUE(copyFile(at("A.DBF"), at("C.DBF")).ok());
    }
    EXPECT_EQ(readWholeFile(at("C.DBF")), "source");
}

TEST_F(FsTest, CopyOntoItselfLosesNothing) {
    writeWholeFile(at("A.DBF"), "twelve bytes");
    EXPECT_FALSE(copyFile(at("A.DBF"), at("A.DBF")).ok());
    EXPECT_EQ(readWholeFile(at("A.DBF")), "twelve bytes");
}

TEST_F(FsTest, RenameMovesAndNeverReplaces) {
    writeWholeFile(at("A.DBF"), "a");
    writeWholeFile(at("B.DBF"), "b");
    ASSERT_TRUE(renameFile(at("A.DBF"), at("A.BAK")).ok());
    EXPECT_FALSE(fileExists(at("A.DBF")));
    EXPECT_EQ(readWholeFile(at("A.BAK")), "a");
    EXPECT_EQ(renameFile(at("A.BAK"), at("B.DBF")).code(), kErrAlreadyExists);
    EXPECT_EQ(readWholeFile(at("B.DBF")), "b");
    EXPECT_EQ(readWholeFile(at("A.BAK")), "a");
    EXPECT_EQ(renameFile(at("GONE.DBF"), at("C.DBF")).code(), kErrFileNotFound);
    EXPECT_EQ(renameFile(at("A.BAK"), at("NOFOLDER\\A.DBF")).code(), kErrPathNotFound);
}

TEST_F(FsTest, ReplaceTakesTheNameInOneStep) {
    writeWholeFile(at("R.TMP"), "new");
    ASSERT_TRUE(replaceFile(at("R.TMP"), at("R.TXT")).ok()) << "onto a free name";
    writeWholeFile(at("R.TMP"), "newer");
    ASSERT_TRUE(replaceFile(at("R.TMP"), at("R.TXT")).ok());
    EXPECT_FALSE(fileExists(at("R.TMP")));
    EXPECT_EQ(readWholeFile(at("R.TXT")), "newer");
    EXPECT_EQ(replaceFile(at("GONE.TMP"), at("R.TXT")).code(), kErrFileNotFound);
    writeWholeFile(at("R.TMP"), "held out");
    {
        File held = openAt("R.TXT", Share::Shared);
        uint32_t code = replaceFile(at("R.TMP"), at("R.TXT")).code();
        EXPECT_TRUE(code == kErrSharingViolation || code == kErrAccessDenied) << code;
    }
    EXPECT_EQ(readWholeFile(at("R.TXT")), "newer");
    ASSERT_TRUE(makeFolder(at("SUB")).ok());
    EXPECT_EQ(replaceFile(at("R.TMP"), at("SUB")).code(), kErrAccessDenied);
}

// A read-only file (Windows' attribute; no write bit on POSIX, for root as
// for anyone) is read, copied from and renamed, but never written, erased
// or replaced.
TEST_F(FsTest, ReadOnlyFilesAreNotWrittenErasedOrReplaced) {
    writeWholeFile(at("RO.DBF"), "kept");
    writeWholeFile(at("OTHER.DBF"), "other");
    EXPECT_FALSE(isReadOnly(at("RO.DBF")));
    ASSERT_TRUE(setReadOnly(at("RO.DBF"), true).ok());
    EXPECT_TRUE(isReadOnly(at("RO.DBF")));
    EXPECT_EQ(File::open(at("RO.DBF"), Access::ReadWrite, Share::Shared, Disposition::OpenExisting)
                  .status()
                  .code(),
              kErrAccessDenied);
    EXPECT_TRUE(
        File::open(at("RO.DBF"), Access::Read, Share::Shared, Disposition::OpenExisting).ok());
    EXPECT_EQ(eraseFile(at("RO.DBF")).code(), kErrAccessDenied);
    EXPECT_EQ(copyFile(at("OTHER.DBF"), at("RO.DBF")).code(), kErrAccessDenied);
    EXPECT_EQ(replaceFile(at("OTHER.DBF"), at("RO.DBF")).code(), kErrAccessDenied);
    EXPECT_EQ(readWholeFile(at("RO.DBF")), "kept");
    ASSERT_TRUE(renameFile(at("RO.DBF"), at("RO.BAK")).ok());
    EXPECT_TRUE(isReadOnly(at("RO.BAK")));
    ASSERT_TRUE(setReadOnly(at("RO.BAK"), false).ok());
    EXPECT_TRUE(eraseFile(at("RO.BAK")).ok());
}

TEST_F(FsTest, FlushFolderIsACountedFileCall) {
    std::vector<std::string> seen;
    setWriteCallObserver([&seen](const char* op, const std::string&) { seen.push_back(op); });
    EXPECT_TRUE(flushFolder(dir_.path()).ok());
    EXPECT_NE(flushFolder(at("MISSING")).code(), kErrNone);
    armWriteFault(1);
    EXPECT_EQ(flushFolder(dir_.path()).code(), kErrWriteFault);
    disarmWriteFault();
    setWriteCallObserver({});
    EXPECT_EQ(seen, (std::vector<std::string>{"flush folder", "flush folder"}));
}

TEST_F(FsTest, RenameChangingOnlyTheCase) {
    writeWholeFile(at("tdianew.dbf"), "x");
    ASSERT_TRUE(renameFile(at("tdianew.dbf"), at("TDiaNew.DBF")).ok());
    EXPECT_EQ(test::folderNames(dir_.path()), std::vector<std::string>{"TDiaNew.DBF"});
}

TEST_F(FsTest, OpenFilesCannotBeRenamedOrErased) {
    writeWholeFile(at("A.DBF"), "a");
    {
        File held = openAt("A.DBF", Share::Shared);
        EXPECT_EQ(renameFile(at("A.DBF"), at("B.DBF")).code(), kErrSharingViolation);
        EXPECT_EQ(eraseFile(at("A.DBF")).code(), kErrSharingViolation);
    }
    EXPECT_TRUE(eraseFile(at("A.DBF")).ok());
    EXPECT_FALSE(fileExists(at("A.DBF")));
}

// The space goes back a step at a time once the file is erased; a file
// open elsewhere is refused as by eraseFile and keeps every byte.
TEST_F(FsTest, EraseInStepsGivesTheSpaceBackOnceTheFileIsErased) {
    writeWholeFile(at("BIG.DBF"), std::string(1000, 'x'));
    int steps = 0;
    bool openableAtFirstStep = true;
    EXPECT_TRUE(eraseFileInSteps(
                    at("BIG.DBF"),
                    [&] {
                        if (steps++ == 0)
                            openableAtFirstStep =
                                File::open(at("BIG.DBF"), Access::Read, Share::Shared,
                                           Disposition::OpenExisting)
                                    .ok();
                    },
                    300)
                    .ok());
    EXPECT_EQ(steps, 4) << "1000 bytes in steps of 300";
    EXPECT_FALSE(openableAtFirstStep);
    EXPECT_FALSE(fileExists(at("BIG.DBF")));

    writeWholeFile(at("A.DBF"), "abc");
    {
        File held = openAt("A.DBF", Share::Shared);
        EXPECT_EQ(eraseFileInSteps(at("A.DBF"), [&] { ++steps; }).code(), kErrSharingViolation);
    }
    EXPECT_EQ(steps, 4);
    EXPECT_EQ(readWholeFile(at("A.DBF")), "abc");
    EXPECT_EQ(eraseFileInSteps(at("NONE.DBF"), {}).code(), kErrFileNotFound);
    ASSERT_TRUE(makeFolder(at("SUB")).ok());
    EXPECT_EQ(eraseFileInSteps(at("SUB"), {}).code(), kErrAccessDenied);
}

TEST_F(FsTest, EraseErrors) {
    EXPECT_EQ(eraseFile(at("NONE.DBF")).code(), kErrFileNotFound);
    EXPECT_EQ(eraseFile(at("NOFOLDER\\NONE.DBF")).code(), kErrPathNotFound);
    ASSERT_TRUE(makeFolder(at("SUB")).ok());
    EXPECT_EQ(eraseFile(at("SUB")).code(), kErrAccessDenied);
    EXPECT_TRUE(folderExists(at("SUB")));
}

TEST_F(FsTest, FoldersAndExistence) {
    ASSERT_TRUE(makeFolder(at("SUB")).ok());
    EXPECT_EQ(makeFolder(at("SUB")).code(), kErrAlreadyExists);
    EXPECT_EQ(makeFolder(at("NOFOLDER\\SUB")).code(), kErrPathNotFound);
    writeWholeFile(at("SUB\\F.TXT"), "12345");
    EXPECT_TRUE(folderExists(at("SUB")));
    EXPECT_FALSE(fileExists(at("SUB")));
    EXPECT_TRUE(fileExists(at("SUB\\F.TXT")));
    EXPECT_FALSE(folderExists(at("SUB\\F.TXT")));
    EXPECT_EQ(removeFolder(at("SUB")).code(), kErrDirNotEmpty);
    Result<std::vector<FolderEntry>> list = listFolder(at("SUB"));
    ASSERT_TRUE(list.ok());
    ASSERT_EQ(list->size(), 1u);
    EXPECT_EQ((*list)[0].name, "F.TXT");
    EXPECT_EQ((*list)[0].sizeBytes, 5u);
    EXPECT_FALSE((*list)[0].isFolder);
    EXPECT_EQ(listFolder(at("NOFOLDER")).code(), kErrPathNotFound);
    ASSERT_TRUE(eraseFile(at("SUB\\F.TXT")).ok());
    EXPECT_TRUE(removeFolder(at("SUB")).ok());
    EXPECT_FALSE(folderExists(at("SUB")));
}

TEST_F(FsTest, FreeDiskBytesOfAFolder) {
    Result<uint64_t> free = freeDiskBytes(dir_.path());
    ASSERT_TRUE(free.ok()) << free.status().message();
    EXPECT_GT(free.value(), 0u);
    ASSERT_TRUE(makeFolder(at("SUB")).ok());
    EXPECT_TRUE(freeDiskBytes(at("SUB")).ok());
    EXPECT_EQ(freeDiskBytes(at("NOFOLDER\\SUB")).code(), kErrPathNotFound);
}

TEST_F(FsTest, FileInUseWhileAnyOpenLasts) {
    writeWholeFile(at("A.DBF"), "data");
    EXPECT_FALSE(fileInUse(at("A.DBF")));
    EXPECT_FALSE(fileInUse(at("NONE.DBF")));
    for (Share share : {Share::Shared, Share::Exclusive}) {
        {
            File held = openAt("A.DBF", share);
            EXPECT_TRUE(fileInUse(at("a.dbf")));
        }
        EXPECT_FALSE(fileInUse(at("A.DBF")));
    }
    EXPECT_EQ(readWholeFile(at("A.DBF")), "data");
}

TEST_F(FsTest, CurrentDirectoryFollowsSetAndRelativePaths) {
    Result<std::string> before = currentDirectory();
    ASSERT_TRUE(before.ok());
    struct Restore {  // the temp folder goes away; later tests need a valid current directory
        std::string path;
        ~Restore() { (void)setCurrentDirectory(path); }
    } restore{*before};
    ASSERT_TRUE(makeFolder(at("WORK")).ok());
    ASSERT_TRUE(setCurrentDirectory(at("WORK")).ok());
    writeWholeFile("REL.TXT", "relative");
    EXPECT_TRUE(fileExists(at("WORK\\REL.TXT")));
    Result<std::string> now = currentDirectory();
    ASSERT_TRUE(now.ok());
    EXPECT_TRUE(now->size() > 4 && now->substr(now->size() - 4) == "WORK") << *now;
    EXPECT_EQ(setCurrentDirectory(at("NOFOLDER")).code(), kErrFileNotFound);
    EXPECT_EQ(setCurrentDirectory(at("NOFOLDER\\SUB")).code(), kErrPathNotFound);
}

TEST_F(FsTest, ProgramAndShortNamesNameExistingFiles) {
    Result<std::string> self = programFileName();
    ASSERT_TRUE(self.ok());
    EXPECT_TRUE(fileExists(*self)) << *self;
    writeWholeFile(at("LONGNAMEDFILE.TEXT"), "x");
    Result<std::string> shortName = shortPathName(at("LONGNAMEDFILE.TEXT"));
    ASSERT_TRUE(shortName.ok()) << shortName.status().message();
    EXPECT_EQ(readWholeFile(*shortName), "x");
    EXPECT_EQ(shortPathName(at("NONE.TXT")).code(), kErrFileNotFound);
}

TEST_F(FsTest, HandleCountGrantsWhatItReports) {
    uint32_t granted = setHandleCount(2000);
    EXPECT_GT(granted, 0u);
    EXPECT_LE(granted, 2000u);
    EXPECT_EQ(setHandleCount(granted), granted);
}

}  // namespace
}  // namespace os
