// Tests of the file step: a table's set of files (table, memo, index) moved,
// replaced and erased together.
#include "updater/file_steps.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "updater/company_plan.h"
#include "updater/recording_progress_testutil.h"
#include "updater/run_state.h"
#include "updater/table_files.h"

namespace updater {
namespace {

namespace fs = std::filesystem;

// A company folder and a template folder in a fresh temporary directory.
class FileStepTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ =
            fs::temp_directory_path() /
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

TEST_F(FileStepTest, SetTravelsTogetherAndIsErasedTableFirst) {
    write("DBF001/TDiaNew.Dbf", "old table");
    write("DBF001/TDiaNew.fpt", "old memo");
    write("DBF001/TDiaNew.cdx", "old index");
    TableFiles live = tableFiles(company(), "TDiaNew.Dbf");
    TableFiles backup = backupFiles(company(), "TDiaNew.Dbf");
    EXPECT_EQ(live.memo, company() + "TDiaNew.fpt");
    EXPECT_EQ(backup.index, company() + "_TDiaNew.cdx");
    ASSERT_TRUE(moveSet(live, backup).ok);
    EXPECT_EQ(read("DBF001/_TDiaNew.Dbf"), "old table");
    EXPECT_EQ(read("DBF001/_TDiaNew.fpt"), "old memo");
    EXPECT_EQ(read("DBF001/_TDiaNew.cdx"), "old index");
    EXPECT_FALSE(has("DBF001/TDiaNew.Dbf") || has("DBF001/TDiaNew.fpt") ||
                 has("DBF001/TDiaNew.cdx"));
    ASSERT_TRUE(eraseSet(backup).ok);
    EXPECT_FALSE(has("DBF001/_TDiaNew.Dbf") || has("DBF001/_TDiaNew.fpt") ||
                 has("DBF001/_TDiaNew.cdx"));
}

// A run stopped between moving the memo and moving the table: the backup
// memo is the table's real memo and must survive the next move. A clean-up
// stopped between the backup table and its memo leaves a stale memo that
// the next move replaces.
TEST_F(FileStepTest, InterruptedMovesAndCleanUpsResolve) {
    write("DBF001/TDiaNew.Dbf", "table");
    write("DBF001/_TDiaNew.fpt", "real memo");
    ASSERT_TRUE(
        moveSet(tableFiles(company(), "TDiaNew.Dbf"), backupFiles(company(), "TDiaNew.Dbf")).ok);
    EXPECT_EQ(read("DBF001/_TDiaNew.Dbf"), "table");
    EXPECT_EQ(read("DBF001/_TDiaNew.fpt"), "real memo");

    write("DBF001/TempDia.Dbf", "table");
    write("DBF001/TempDia.fpt", "live memo");
    write("DBF001/_TempDia.fpt", "stale memo");
    ASSERT_TRUE(
        moveSet(tableFiles(company(), "TempDia.Dbf"), backupFiles(company(), "TempDia.Dbf")).ok);
    EXPECT_EQ(read("DBF001/_TempDia.fpt"), "live memo");
}

// The table's move fails after its memo and index moved: both go back, and
// the result names the file and the cause.
TEST_F(FileStepTest, FailedMovePutsTheSetBack) {
    write("DBF001/TDiaNew.Dbf", "table");
    write("DBF001/TDiaNew.fpt", "memo");
    write("DBF001/TDiaNew.cdx", "index");
    fs::create_directories(root_ / "DBF001" / "_TDiaNew.Dbf" / "in the way");
    SetResult r =
        moveSet(tableFiles(company(), "TDiaNew.Dbf"), backupFiles(company(), "TDiaNew.Dbf"));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.restored);
    EXPECT_EQ(r.file, company() + "TDiaNew.Dbf");
    EXPECT_NE(r.why.find("TDiaNew.Dbf"), std::string::npos) << r.why;
    EXPECT_EQ(read("DBF001/TDiaNew.fpt"), "memo");
    EXPECT_EQ(read("DBF001/TDiaNew.cdx"), "index");
    EXPECT_EQ(read("DBF001/TDiaNew.Dbf"), "table");
    EXPECT_FALSE(has("DBF001/_TDiaNew.fpt") || has("DBF001/_TDiaNew.cdx"));
}

// The fresh set is the template's; without an index of its own the table
// keeps the company's, and a stale companion that nothing replaces goes.
TEST_F(FileStepTest, TemplateSetReplacesTheTable) {
    write("DBF/TDiaNew.Dbf", "template");
    write("DBF/TDiaNew.fpt", "template memo");
    write("DBF/TempDia.Dbf", "template 2");
    write("DBF001/_TempDia.cdx", "company index");
    write("DBF001/TempDia.fpt", "stale memo");
    std::string templates = root() + "/DBF/";
    ASSERT_TRUE(copySet(tableFiles(templates, "TDiaNew.Dbf"), tableFiles(company(), "TDiaNew.Dbf"),
                        backupFiles(company(), "TDiaNew.Dbf").index)
                    .ok);
    ASSERT_TRUE(copySet(tableFiles(templates, "TempDia.Dbf"), tableFiles(company(), "TempDia.Dbf"),
                        backupFiles(company(), "TempDia.Dbf").index)
                    .ok);
    EXPECT_EQ(read("DBF001/TDiaNew.fpt"), "template memo");
    EXPECT_EQ(read("DBF001/TDiaNew.Dbf"), "template");
    EXPECT_FALSE(has("DBF001/TDiaNew.cdx"));
    EXPECT_EQ(read("DBF001/TempDia.Dbf"), "template 2");
    EXPECT_EQ(read("DBF001/TempDia.cdx"), "company index");
    EXPECT_FALSE(has("DBF001/TempDia.fpt"));
    SetResult missing =
        copySet(tableFiles(templates, "Nada.Dbf"), tableFiles(company(), "Nada.Dbf"), "");
    EXPECT_FALSE(missing.ok);
    EXPECT_FALSE(isRefusal(missing.code));
}

TEST(CompanyCodeTest, OnlyPlainFolderNamesAreSafe) {
    for (const char* good : {"001", "0 1", "A-1", "   "})
        EXPECT_TRUE(safeCompanyCode(good)) << good;
    for (const char* bad : {"", "\\.\\", "..", "a/b", "C:", "x*", "1.", "a\tb"})
        EXPECT_FALSE(safeCompanyCode(bad)) << bad;
}

}  // namespace
}  // namespace updater
