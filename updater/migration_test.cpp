// The update run end to end on generated installations: register order,
// linking cases, marks, refills, TDiaNic by name, memos, structural indexes,
// resumption after an interruption and backups kept after a failed refill.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "errors/error_handler.h"
#include "errors/scripted_dialog.h"
#include "runtime/error.h"
#include "tables/workarea.h"
#include "updater/demo_installation.h"
#include "updater/installation_testutil.h"
#include "updater/recording_progress_testutil.h"
#include "updater/run.h"
#include "updater/run_state.h"

namespace updater {
namespace {

namespace fs = std::filesystem;
using testing::dumpTable;
using testing::leftoverBackups;
using testing::ruleHolds;
using testing::TableDump;
using testing::TempFolder;

constexpr long kRows = 120;

int runUpdater(const std::string& root, RecordingProgress& progress,
               errors::DialogAnswer answer = errors::DialogAnswer::Exit) {
    return testing::runInProcess(root, progress, answer);
}

std::vector<demo::Row> visible(const std::vector<demo::Row>& rows) {
    std::vector<demo::Row> out;
    for (const demo::Row& r : rows)
        if (!r.deleted) out.push_back(r);
    return out;
}

// The refilled table holds the undeleted rows in order, each marked as the
// rule says, with its memo text.
void expectRefilled(const std::string& path, const std::vector<demo::Row>& source, bool hasMemo) {
    TableDump d = dumpTable(path);
    ASSERT_EQ(d.error, "") << path;
    std::vector<demo::Row> rows = visible(source);
    ASSERT_EQ(d.records.size(), rows.size()) << path;
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(d.records[i][0], ' ') << path;
        EXPECT_EQ(std::stod(d.value(i, "NUMASIEN")), rows[i].number) << path << " record " << i;
        EXPECT_EQ(d.value(i, "L340"), ruleHolds(rows[i]) ? "T" : "F") << path << " record " << i;
        if (hasMemo) {
            EXPECT_EQ(d.value(i, "NOTAS"), rows[i].notas) << path << " record " << i;
        }
    }
}

class DemoRunTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new TempFolder("_demo");
        root_ = folder_->path();
        demo::makeDemo(root_, kRows);
        progress_ = new RecordingProgress;
        exitCode_ = runUpdater(root_, *progress_);
    }
    static void TearDownTestSuite() {
        delete progress_;
        delete folder_;
    }
    static std::string company(const std::string& code) { return demo::companyFolder(root_, code); }
    static const CompanyReport& report(const std::string& code) {
        for (const CompanyReport& r : progress_->reports)
            if (r.code == code) return r;
        static CompanyReport none;
        ADD_FAILURE() << "no report for " << code;
        return none;
    }

    static TempFolder* folder_;
    static std::string root_;
    static RecordingProgress* progress_;
    static int exitCode_;
};
TempFolder* DemoRunTest::folder_ = nullptr;
std::string DemoRunTest::root_;
RecordingProgress* DemoRunTest::progress_ = nullptr;
int DemoRunTest::exitCode_ = -1;

TEST_F(DemoRunTest, WalksVisibleCompaniesInRegisterOrder) {
    EXPECT_EQ(exitCode_, 0);
    EXPECT_EQ(progress_->only("start"),
              (std::vector<std::string>{"start 0 4", "start 001", "start 003", "start 005",
                                        "start 006"}));
    EXPECT_EQ(progress_->only("browse"),
              (std::vector<std::string>{"browse 0 4", "browse 001", "browse 003", "browse 005",
                                        "browse 006"}));
}

TEST_F(DemoRunTest, CompanyMeterCountsDeletedInTotalAndEndsFull) {
    std::vector<std::string> company = progress_->only("company");
    ASSERT_FALSE(company.empty());
    EXPECT_NE(std::find(company.begin(), company.end(), "company total 6"), company.end());
    EXPECT_NE(std::find(company.begin(), company.end(), "company caption ACTUALIZANDO EMPRESAS"),
              company.end());
    EXPECT_EQ(company.back(), "company value 6");
    EXPECT_NE(std::find(company.begin(), company.end(), "company value 5"), company.end());
    std::vector<std::string> file = progress_->only("file caption");
    EXPECT_EQ(file.at(1),
              "file caption 0 4 - TALLERES O\xD1"
              "ATE");  // upper case of the code page
}

TEST_F(DemoRunTest, RefilledTablesHoldUndeletedRowsMarkedWithMemos) {
    struct C {
        const char* code;
        long rows;
        uint32_t seed;
    } cs[] = {{"001", kRows, 1},
              {"003", kRows, 3},
              {"0 4", kRows / 2, 4},
              {"005", kRows / 2, 5},
              {"006", kRows / 2, 6}};
    for (const C& c : cs) {
        expectRefilled(company(c.code) + "TDiaNew.Dbf", demo::makeRows(c.rows, c.seed), true);
        expectRefilled(company(c.code) + "TempDia.Dbf", demo::makeRows(c.rows * 2 / 3, c.seed + 1),
                       false);
    }
    EXPECT_TRUE(fs::exists(root_ + "/DBF004/TDiaNew.Dbf"));  // the blank became a zero
}

TEST_F(DemoRunTest, StructuralIndexHoldsExactlyTheRefilledRecords) {
    TableDump d = dumpTable(company("001") + "TDiaNew.Dbf");
    ASSERT_EQ(d.error, "");
    EXPECT_EQ(d.keyCount, d.records.size());
    ASSERT_EQ(d.keyOrder.size(), d.records.size());
    for (size_t i = 1; i < d.keyOrder.size(); ++i) EXPECT_LT(d.keyOrder[i - 1], d.keyOrder[i]);
}

TEST_F(DemoRunTest, JournalsMarkedOnlyThroughValidLinks) {
    // 001 links 0001 and 0002; 0 4 has no accounting folder; 005 has only a
    // second code; 006's first journal is missing, so its second is not tried.
    for (auto [emp, rows, seed] :
         {std::tuple{"Emp0001", kRows, 101}, std::tuple{"Emp0002", kRows / 2, 102}}) {
        TableDump d = dumpTable(root_ + "/CONTA/" + emp + "/Diario.dbf");
        std::vector<demo::Row> src = demo::makeRows(rows, static_cast<uint32_t>(seed));
        ASSERT_EQ(d.records.size(), src.size());
        for (size_t i = 0; i < src.size(); ++i) {
            bool want = src[i].l340 || (!src[i].deleted && ruleHolds(src[i]));
            EXPECT_EQ(d.value(i, "L340"), want ? "T" : "F") << emp << " record " << i;
        }
    }
    EXPECT_EQ(report("001").journals.size(), 2u);
    EXPECT_TRUE(report("001").journals[1].visited);
    EXPECT_TRUE(report("0 4").journals.empty());
    EXPECT_TRUE(report("005").journals.empty());
    ASSERT_EQ(report("006").journals.size(), 1u);
    EXPECT_FALSE(report("006").journals[0].visited);
    // 003's first journal has no L340: visited, nothing marked, no error;
    // its second (0009) does not exist.
    ASSERT_EQ(report("003").journals.size(), 2u);
    EXPECT_TRUE(report("003").journals[0].visited);
    EXPECT_EQ(report("003").journals[0].marked, 0);
    EXPECT_FALSE(report("003").journals[1].visited);
}

TEST_F(DemoRunTest, TDiaNicRebuiltOnTemplateLayoutByName) {
    TableDump d = dumpTable(company("001") + "TDiaNic.dbf");
    ASSERT_EQ(d.error, "");
    EXPECT_EQ(d.fields, dumpTable(root_ + "/DBF/TempDia.Dbf").fields);
    std::vector<demo::Row> rows = visible(demo::makeRows(kRows / 4, 9));
    ASSERT_EQ(d.records.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(std::stod(d.value(i, "NUMASIEN")), rows[i].number);
        EXPECT_EQ(d.value(i, "SERIE").substr(0, rows[i].serie.size()), rows[i].serie);
        EXPECT_EQ(d.value(i, "L340"), "F");  // the rule is not applied here
        EXPECT_EQ(d.value(i, "NUMFRA340"), std::string(12, ' '));
    }
}

TEST_F(DemoRunTest, DeletedCompanyUntouchedAndNoBackupLeft) {
    EXPECT_EQ(leftoverBackups(root_), std::vector<std::string>{});
    TableDump d = dumpTable(company("002") + "TDiaNew.Dbf");
    EXPECT_EQ(d.fields.size(), 11u);  // still the old layout
    EXPECT_EQ(d.records.size(), static_cast<size_t>(kRows / 10));
}

// ---- Single-company installations ---------------------------------------------------

class CompanyTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::makeCompanySkeleton(root());
        demo::writeTable(folder() + "TDiaNew.Dbf", demo::kOldTDiaNewFields, rows_);
        demo::writeTable(folder() + "TempDia.Dbf", demo::kOldTempDiaFields, rows_);
    }
    std::string root() const { return tmp_.path(); }
    std::string folder() const { return demo::companyFolder(root(), "001"); }
    void move(const std::string& from, const std::string& to) {
        fs::rename(folder() + from, folder() + to);
    }

    TempFolder tmp_;
    std::vector<demo::Row> rows_ = demo::makeRows(80, 7);
    RecordingProgress progress_;
};

// An earlier run stopped after its backup pass and part of a refill: the
// backups hold the records, the tables beside them are half filled.
TEST_F(CompanyTest, ResumesFromExistingBackups) {
    move("TDiaNew.Dbf", "_TDiaNew.Dbf");
    move("TDiaNew.fpt", "_TDiaNew.fpt");
    move("TempDia.Dbf", "_TempDia.Dbf");
    demo::writeTable(folder() + "TDiaNew.Dbf", demo::kNewTDiaNewFields, demo::makeRows(10, 99));
    ASSERT_EQ(runUpdater(root(), progress_), 0);
    expectRefilled(folder() + "TDiaNew.Dbf", rows_, true);
    expectRefilled(folder() + "TempDia.Dbf", rows_, false);
    EXPECT_EQ(leftoverBackups(root()), std::vector<std::string>{});
}

// Stopped between moving TDiaNic to its backup and copying the template:
// the rebuild must go on from the backup.
TEST_F(CompanyTest, ResumesTDiaNicWhoseTableIsGone) {
    move("TDiaNew.Dbf", "_TDiaNew.Dbf");
    move("TDiaNew.fpt", "_TDiaNew.fpt");
    move("TempDia.Dbf", "_TempDia.Dbf");
    demo::writeTable(folder() + "_TDiaNic.dbf", demo::kOldTDiaNicFields, rows_);
    ASSERT_EQ(runUpdater(root(), progress_), 0);
    TableDump d = dumpTable(folder() + "TDiaNic.dbf");
    ASSERT_EQ(d.error, "");
    EXPECT_EQ(d.fields, dumpTable(root() + "/DBF/TempDia.Dbf").fields);
    EXPECT_EQ(d.records.size(), visible(rows_).size());
    EXPECT_EQ(leftoverBackups(root()), std::vector<std::string>{});
}

TEST_F(CompanyTest, LoneTDiaNicBackupLeftAloneWithoutInterruption) {
    demo::writeTable(folder() + "_TDiaNic.dbf", demo::kOldTDiaNicFields, rows_);
    ASSERT_EQ(runUpdater(root(), progress_), 0);
    EXPECT_FALSE(fs::exists(folder() + "TDiaNic.dbf"));
    EXPECT_EQ(leftoverBackups(root()), std::vector<std::string>{"DBF001/_TDiaNic.dbf"});
    EXPECT_EQ(dumpTable(folder() + "_TDiaNic.dbf").records.size(), rows_.size());
}

// A template that refuses the old values at their positions: every copy
// raises a data type error, answered with the default. The run stops after
// the company with exit code 1, and every backup of the company stays (also
// the one whose table was refilled) so that a later run with a sound template
// brings the records back.
TEST_F(CompanyTest, FailedRefillKeepsBackupsForNextRun) {
    std::string bad = "NUMASIEN,N,8,0;CUENTA,C,10,0;CONTRA,N,10,0;L340,L;";
    demo::writeTable(root() + "/DBF/TempDia.Dbf", bad.c_str(), {});
    ASSERT_EQ(runUpdater(root(), progress_, errors::DialogAnswer::Default), 1);
    EXPECT_EQ(leftoverBackups(root()),
              (std::vector<std::string>{"DBF001/_Actualiza.txt", "DBF001/_TDiaNew.Dbf",
                                        "DBF001/_TDiaNew.fpt", "DBF001/_TempDia.Dbf"}));
    ASSERT_EQ(progress_.reports.size(), 1u);
    EXPECT_TRUE(progress_.reports[0].tables[0].refilled);
    EXPECT_FALSE(progress_.reports[0].tables[1].refilled);
    EXPECT_TRUE(progress_.reports[0].tables[1].backupKept);

    demo::writeTable(root() + "/DBF/TempDia.Dbf", demo::kNewTempDiaFields, {});
    RecordingProgress again;
    ASSERT_EQ(runUpdater(root(), again), 0);
    expectRefilled(folder() + "TempDia.Dbf", rows_, false);
    expectRefilled(folder() + "TDiaNew.Dbf", rows_, true);
    EXPECT_EQ(leftoverBackups(root()), std::vector<std::string>{});
}

// A missing template is found before any file of the company moves: the
// run ends with exit code 1 and the company's tables are as they were.
TEST_F(CompanyTest, MissingTemplateEndsRunBeforeAnythingMoves) {
    TableDump before = dumpTable(folder() + "TempDia.Dbf");
    fs::rename(root() + "/DBF/TempDia.Dbf", root() + "/TempDia.saved");
    EXPECT_EQ(runUpdater(root(), progress_), 1);
    EXPECT_EQ(leftoverBackups(root()), std::vector<std::string>{});
    EXPECT_TRUE(dumpTable(folder() + "TempDia.Dbf") == before);
    fs::rename(root() + "/TempDia.saved", root() + "/DBF/TempDia.Dbf");
    RecordingProgress again;
    ASSERT_EQ(runUpdater(root(), again), 0);
    expectRefilled(folder() + "TempDia.Dbf", rows_, false);
    EXPECT_EQ(leftoverBackups(root()), std::vector<std::string>{});
}

// A journal whose L340 field is spelled in lower case is found and marked;
// only the first record of Claves decides the link.
TEST_F(CompanyTest, LowerCaseL340FieldIsMarked) {
    std::string conta = root() + "/CONTA/";
    fs::create_directories(conta + "Emp0001");
    std::string journal = conta + "Emp0001/Diario.dbf";
    demo::writeTable(journal, demo::kJournalFields, rows_);
    {  // L340 is the ninth field: its name starts at 32 + 8 * 32
        std::fstream f(journal, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(32 + 8 * 32);
        f.write("l340", 4);
    }
    demo::writeKeys(folder(), {{1, conta, "0001", ""}, {0, "", "", ""}});
    ASSERT_EQ(runUpdater(root(), progress_), 0);
    TableDump d = dumpTable(journal);
    long marked = 0;
    for (size_t i = 0; i < rows_.size(); ++i) {
        bool want = rows_[i].l340 || (!rows_[i].deleted && ruleHolds(rows_[i]));
        EXPECT_EQ(d.records[i].substr(d.records[i].size() - 2, 1), want ? "T" : "F") << i;
        marked += !rows_[i].deleted && ruleHolds(rows_[i]);
    }
    ASSERT_EQ(progress_.reports.at(0).journals.size(), 1u);
    EXPECT_EQ(progress_.reports[0].journals[0].marked, marked);
    EXPECT_GT(marked, 0);
}

// Only link type 1 reaches the journals, and only the first Claves record counts.
TEST_F(CompanyTest, OtherLinkTypeVisitsNoJournal) {
    std::string conta = root() + "/CONTA/";
    fs::create_directories(conta + "Emp0001");
    std::string journal = conta + "Emp0001/Diario.dbf";
    demo::writeTable(journal, demo::kJournalFields, rows_);
    TableDump before = dumpTable(journal);
    demo::writeKeys(folder(), {{2, conta, "0001", "0001"}, {1, conta, "0001", ""}});
    ASSERT_EQ(runUpdater(root(), progress_), 0);
    EXPECT_TRUE(dumpTable(journal) == before);
    EXPECT_TRUE(progress_.reports.at(0).journals.empty());
}

// Whether the error dialog is left through its end button or "&Defecto",
// a run that never started does not end as a success.
TEST_F(CompanyTest, MissingPathArgumentEndsWithExitCodeOne) {
    for (auto answer : {errors::DialogAnswer::Exit, errors::DialogAnswer::Default}) {
        resetRunState();
        errors::setErrorDialog(std::make_shared<errors::ScriptedDialog>(answer));
        errors::ERRORSYS();
        int code = 0;
        try {
            MAIN(std::nullopt, std::nullopt, progress_);
            code = runState().exitCode;
        } catch (const runtime::ProgramExit& e) {
            code = e.code;
        }
        EXPECT_EQ(code, 1) << int(answer);
    }
    EXPECT_TRUE(progress_.reports.empty());
    EXPECT_TRUE(fs::exists(folder() + "TDiaNew.Dbf"));
    EXPECT_EQ(leftoverBackups(root()), std::vector<std::string>{});
    resetRunState();
}

}  // namespace
}  // namespace updater
