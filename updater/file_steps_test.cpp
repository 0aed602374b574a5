// Tests of the file step: paths, memo companions travelling with their
// tables, and the backup and template passes of COPIAEMP.
#include "updater/file_steps.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "updater/recording_progress_testutil.h"
#include "updater/run_state.h"

namespace updater {
namespace {

namespace fs = std::filesystem;

TEST(PathsTest, RootTemplateAndCompanyFolders) {
    EXPECT_EQ(installRoot("C:\\PROG\\EXE"), "C:\\PROG");
    EXPECT_EQ(templateFolderOf("C:\\PROG"), "C:\\PROG\\DBF\\");
    EXPECT_EQ(companyFolderOf("C:\\PROG", "0 1"), "C:\\PROG\\DBF001\\");
    EXPECT_EQ(companyFolderOf("C:\\PROG", " 1 "), "C:\\PROG\\DBF010\\");  // not trimmed
    EXPECT_EQ(installRoot("abc"), "");
    EXPECT_EQ(memoFileOf("C:\\X\\TDiaNew.Dbf"), "C:\\X\\TDiaNew.fpt");
    EXPECT_EQ(memoFileOf("C:\\X.Y\\Tabla"), "C:\\X.Y\\Tabla.fpt");
}

// A company folder and a template folder in a fresh temporary directory.
class FileStepTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("updater_files_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                 "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "DBF");
        fs::create_directories(root_ / "DBF001");
        resetRunState();
        runState().dialog = &progress_;
    }
    void TearDown() override {
        resetRunState();
        fs::remove_all(root_);
    }
    void write(const std::string& rel, const std::string& text) {
        std::ofstream(root_ / rel, std::ios::binary) << text;
    }
    std::string read(const std::string& rel) {
        std::ifstream in(root_ / rel, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    bool has(const std::string& rel) { return fs::exists(root_ / rel); }
    std::string company() { return (root_ / "DBF001").string() + "/"; }
    std::string root() { return root_.string(); }

    fs::path root_;
    RecordingProgress progress_;
};

TEST_F(FileStepTest, MemoTravelsWithItsTable) {
    write("DBF001/TDiaNew.Dbf", "old table");
    write("DBF001/TDiaNew.fpt", "old memo");
    moveToBackup(company(), "TDiaNew.Dbf");
    EXPECT_EQ(read("DBF001/_TDiaNew.Dbf"), "old table");
    EXPECT_EQ(read("DBF001/_TDiaNew.fpt"), "old memo");
    EXPECT_FALSE(has("DBF001/TDiaNew.Dbf"));
    EXPECT_FALSE(has("DBF001/TDiaNew.fpt"));
    eraseBackup(company(), "TDiaNew.Dbf");
    EXPECT_FALSE(has("DBF001/_TDiaNew.Dbf"));
    EXPECT_FALSE(has("DBF001/_TDiaNew.fpt"));
}

// A run stopped between moving the memo and moving the table: the backup
// memo is the table's real memo and must survive the next move.
TEST_F(FileStepTest, InterruptedMoveKeepsMovedMemo) {
    write("DBF001/TDiaNew.Dbf", "table");
    write("DBF001/_TDiaNew.fpt", "real memo");
    moveToBackup(company(), "TDiaNew.Dbf");
    EXPECT_EQ(read("DBF001/_TDiaNew.Dbf"), "table");
    EXPECT_EQ(read("DBF001/_TDiaNew.fpt"), "real memo");
}

// A clean-up stopped between erasing the backup table and its memo leaves a
// stale memo; the next move must replace it with the live one.
TEST_F(FileStepTest, StaleBackupMemoIsReplaced) {
    write("DBF001/TDiaNew.Dbf", "table");
    write("DBF001/TDiaNew.fpt", "live memo");
    write("DBF001/_TDiaNew.fpt", "stale memo");
    moveToBackup(company(), "TDiaNew.Dbf");
    EXPECT_EQ(read("DBF001/_TDiaNew.fpt"), "live memo");
}

TEST_F(FileStepTest, TemplateMemoCopiedWhenTemplateHasOne) {
    write("DBF/TDiaNew.Dbf", "template");
    write("DBF/TDiaNew.fpt", "template memo");
    write("DBF/TempDia.Dbf", "template 2");
    copyTemplate(root() + "/DBF/", "TDiaNew.Dbf", company(), "TDiaNew.Dbf");
    copyTemplate(root() + "/DBF/", "TempDia.Dbf", company(), "TempDia.Dbf");
    EXPECT_EQ(read("DBF001/TDiaNew.fpt"), "template memo");
    EXPECT_EQ(read("DBF001/TempDia.Dbf"), "template 2");
    EXPECT_FALSE(has("DBF001/TempDia.fpt"));
}

TEST_F(FileStepTest, CopiaempMovesCopiesAndCountsSteps) {
    write("DBF/TDiaNew.Dbf", "new layout A");
    write("DBF/TempDia.Dbf", "new layout B");
    write("DBF001/TDiaNew.Dbf", "records A");
    write("DBF001/TempDia.Dbf", "records B");
    COPIAEMP(root(), "0 1", migrationList());
    EXPECT_EQ(read("DBF001/_TDiaNew.Dbf"), "records A");
    EXPECT_EQ(read("DBF001/_TempDia.Dbf"), "records B");
    EXPECT_EQ(read("DBF001/TDiaNew.Dbf"), "new layout A");
    EXPECT_EQ(read("DBF001/TempDia.Dbf"), "new layout B");
    EXPECT_FALSE(runState().resumed);
    EXPECT_EQ(progress_.only("file"),
              (std::vector<std::string>{"file total 2", "file value 1", "file value 2", "file value 1",
                                        "file value 2"}));
    EXPECT_EQ(runState().meterCounters[1], 2);
}

// An existing backup comes from an interrupted run: the table beside it is
// a partly refilled template, replaced again; the backup is kept as it is.
TEST_F(FileStepTest, ExistingBackupIsNotOverwritten) {
    write("DBF/TDiaNew.Dbf", "new layout A");
    write("DBF/TempDia.Dbf", "new layout B");
    write("DBF001/_TDiaNew.Dbf", "records A");
    write("DBF001/TDiaNew.Dbf", "half refilled");
    write("DBF001/TempDia.Dbf", "records B");
    COPIAEMP(root(), "001", migrationList());
    EXPECT_TRUE(runState().resumed);
    EXPECT_EQ(read("DBF001/_TDiaNew.Dbf"), "records A");
    EXPECT_EQ(read("DBF001/TDiaNew.Dbf"), "new layout A");
    EXPECT_EQ(read("DBF001/_TempDia.Dbf"), "records B");
}

// When a table cannot be moved to its backup it still holds the only copy
// of its records, so the template must not be copied over it.
TEST_F(FileStepTest, TableThatCouldNotMoveIsNotOverwritten) {
    write("DBF/TDiaNew.Dbf", "new layout A");
    write("DBF/TempDia.Dbf", "new layout B");
    write("DBF001/TDiaNew.Dbf", "records A");
    write("DBF001/TempDia.Dbf", "records B");
    fs::create_directories(root_ / "DBF001" / "_TDiaNew.Dbf" / "in the way");
    fs::remove(root_ / "DBF001" / "_TDiaNew.Dbf" / "in the way");
    // "_TDiaNew.Dbf" is a folder: not a backup file, and the move fails.
    COPIAEMP(root(), "001", migrationList());
    EXPECT_EQ(read("DBF001/TDiaNew.Dbf"), "records A");
    EXPECT_EQ(read("DBF001/TempDia.Dbf"), "new layout B");
}

}  // namespace
}  // namespace updater
