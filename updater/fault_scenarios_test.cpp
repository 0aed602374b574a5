// Whole runs against the faults an office meets: a backup name taken, a
// table or memo held open by another program, live data beside an old
// backup, a stray TDiaNic backup, a template field too narrow, a damaged
// register index, an unsafe company code, a path too long, records past the
// header's count and a backup that cannot be erased. Each run must leave the
// company's files exactly as they were (exit code 2), or stop with its
// backups kept (exit code 1) so that the next run finishes the work.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/engine.h"
#include "os/clock.h"
#include "os/file.h"
#include "os/fs.h"
#include "os/process.h"
#include "updater/demo_installation.h"
#include "updater/installation_check.h"
#include "updater/installation_testutil.h"
#include "updater/recording_progress_testutil.h"

namespace updater {
namespace {

namespace fs = std::filesystem;
using testing::fileBytes;
using testing::leftoverBackups;
using testing::mentions;
using testing::runInProcess;
using testing::TempFolder;

class FaultScenarioTest : public ::testing::Test {
protected:
    void SetUp() override { build(tmp_.path()); }

    void build(const std::string& root) {
        testing::makeCompanySkeleton(root);
        std::string folder = demo::companyFolder(root, "001");
        demo::writeTable(folder + "TDiaNew.Dbf", demo::kOldTDiaNewFields, rows_);
        demo::indexByNumber(folder + "TDiaNew.Dbf");
        demo::writeTable(folder + "TempDia.Dbf", demo::kOldTempDiaFields, rows_);
        demo::writeTable(folder + "TDiaNic.dbf", demo::kOldTDiaNicFields, rows_);
    }
    std::string root() const { return tmp_.path(); }
    std::string folder() const { return demo::companyFolder(root(), "001"); }

    // Runs, and expects the whole installation byte for byte as before and
    // exit code 2 with a summary line that mentions `why`.
    void expectLeftAsItWas(const std::string& why) {
        auto before = fileBytes(root());
        EXPECT_EQ(runInProcess(root(), progress_), 2);
        EXPECT_TRUE(fileBytes(root()) == before) << "files changed";
        EXPECT_TRUE(mentions(progress_.summary, why)) << "no summary line mentions " << why;
    }
    // After the obstacle is gone, a run migrates the company completely.
    void expectCleanRunAfter() {
        RecordingProgress again;
        EXPECT_EQ(runInProcess(root(), again), 0);
        EXPECT_EQ(leftoverBackups(root()), std::vector<std::string>{});
        EXPECT_EQ(testing::dumpTable(folder() + "TDiaNew.Dbf").records.size(), visibleRows());
    }
    size_t visibleRows() const {
        size_t n = 0;
        for (const demo::Row& r : rows_) n += !r.deleted;
        return n;
    }

    TempFolder tmp_;
    std::vector<demo::Row> rows_ = demo::makeRows(60, 11);
    RecordingProgress progress_;
};

TEST_F(FaultScenarioTest, BackupNameTakenByAFolder) {
    fs::create_directories(folder() + "_TempDia.Dbf");
    expectLeftAsItWas("_TempDia.Dbf");
    fs::remove(folder() + "_TempDia.Dbf");
    expectCleanRunAfter();
}

// Another program holds the table, or only its memo, while the run would
// move it: what moved already goes back, and nothing else is touched.
TEST_F(FaultScenarioTest, TableOrMemoHeldOpenByAnotherProgram) {
    for (const char* held : {"TempDia.Dbf", "TDiaNew.fpt", "TDiaNic.dbf"}) {
        SCOPED_TRACE(held);
        auto file = os::File::open(folder() + held, os::Access::Read, os::Share::Shared,
                                   os::Disposition::OpenExisting);
        ASSERT_TRUE(file.ok());
        auto before = fileBytes(root());
        RecordingProgress progress;
        EXPECT_EQ(runInProcess(root(), progress), 2);
        EXPECT_TRUE(fileBytes(root()) == before);
        EXPECT_TRUE(mentions(progress.summary, held));
    }
    expectCleanRunAfter();
}

// The same with a second process holding the table during the move.
TEST_F(FaultScenarioTest, TableHeldBySecondProcess) {
    std::string ready = root() + "/held";
    auto self = os::programFileName();
    ASSERT_TRUE(self.ok());
    auto holder = os::Process::start(self.value(), {"--hold", folder() + "TempDia.Dbf", ready});
    ASSERT_TRUE(holder.ok()) << holder.status().message();
    for (int i = 0; i < 2000 && !fs::exists(ready); ++i) os::sleepMs(10);
    ASSERT_TRUE(fs::exists(ready));
    fs::remove(ready);
    // The check sees the other process's open as well, and says so.
    InstallationCheck check = checkInstallation(root());
    EXPECT_EQ(check.exitCode, 2);
    EXPECT_TRUE(mentions(check.summary, "TempDia.Dbf est\xE1 en uso"));
    expectLeftAsItWas("TempDia.Dbf");
    EXPECT_TRUE(holder.value().kill().ok());
    (void)holder.value().wait();
    expectCleanRunAfter();
}

// TDiaNic.dbf beside an old _TDiaNic.dbf where no run was interrupted: both
// stay, and so does the rest of the company.
TEST_F(FaultScenarioTest, StrayTDiaNicBackupBesideLiveTable) {
    demo::writeTable(folder() + "_TDiaNic.dbf", demo::kOldTDiaNicFields, demo::makeRows(5, 3));
    expectLeftAsItWas("_TDiaNic.dbf");
}

// A table that still has the old layout beside an old backup of it is live
// data, not a half-made table.
TEST_F(FaultScenarioTest, OldLayoutTableBesideOldBackup) {
    demo::writeTable(folder() + "_TDiaNew.Dbf", demo::kOldTDiaNewFields, demo::makeRows(5, 3));
    expectLeftAsItWas("TDiaNew.Dbf");
}

TEST_F(FaultScenarioTest, RecordsPastTheHeaderCount) {
    {  // the header counts 50 of the 60 records
        std::fstream f(folder() + "TempDia.Dbf", std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(4);
        const char count[4] = {50, 0, 0, 0};
        f.write(count, 4);
    }
    expectLeftAsItWas("10 registros");
}

TEST_F(FaultScenarioTest, UnsafeCompanyCodeTouchesNothing) {
    fs::remove(root() + "/DBF/Empresa.cdx");
    demo::writeRegister(root(), {{"\\.\\", "Peligro"}, {"001", "Uno"}}, {});
    auto before = fileBytes(root());
    EXPECT_EQ(runInProcess(root(), progress_), 2);
    auto after = fileBytes(root());
    for (const auto& [name, bytes] : before)
        if (name.rfind("dbf/", 0) == 0) {
            EXPECT_TRUE(after[name] == bytes) << name;
        }
    EXPECT_TRUE(mentions(progress_.summary, "\\.\\"));
    EXPECT_EQ(testing::dumpTable(folder() + "TDiaNew.Dbf").records.size(), visibleRows());
}

// A company folder whose backup names would pass the platform's longest
// path: refused before anything moves (the tables themselves just fit).
TEST_F(FaultScenarioTest, PathTooLongForTheBackups) {
    std::string base = TempFolder("", testing::memoryFolder()).path() + "_long";
    size_t fixed = base.size() + std::string("\\DBF001\\TDiaNew.Dbf").size();
    ASSERT_LT(fixed + 8, os::maxPathLength());
    // Folders of at most 200 characters until the root has the length wanted.
    std::string longRoot = base;
    size_t remaining = os::maxPathLength() - fixed;
    size_t parts = (remaining + 200) / 201;
    for (size_t i = 0; i < parts; ++i) {
        size_t length = remaining / parts + (i < remaining % parts ? 1 : 0);
        longRoot += "/" + std::string(length - 1, 'd');
    }
    ASSERT_EQ(longRoot.size() + std::string("\\DBF001\\TDiaNew.Dbf").size(), os::maxPathLength());
    fs::create_directories(longRoot);
    build(longRoot);
    InstallationCheck check = checkInstallation(longRoot);
    EXPECT_EQ(check.exitCode, 2);
    EXPECT_TRUE(mentions(check.summary, "demasiado larga"));
    auto before = fileBytes(longRoot);
    RecordingProgress progress;
    EXPECT_EQ(runInProcess(longRoot, progress), 2);
    EXPECT_TRUE(fileBytes(longRoot) == before);
    EXPECT_TRUE(mentions(progress.summary, "demasiado larga"));
    fs::remove_all(base);
}

// A template whose text field is narrower than the company's values: the
// run stops with the records in the backups; a sound template finishes it.
TEST_F(FaultScenarioTest, ValueWiderThanItsNewField) {
    std::string narrow =
        "NUMASIEN,N,8,0;CUENTA,C,10,0;CONTRA,C,3,0;DEBE,N,12,2;FACTURA,N,8,0;"
        "NFACTICK,N,8,0;DOCUMENTO,C,10,0;SERIE,C,2,0;L340,L;NUMFRA340,C,12,0;";
    demo::writeTable(root() + "/DBF/TempDia.Dbf", narrow.c_str(), {});
    EXPECT_EQ(runInProcess(root(), progress_), 1);
    EXPECT_EQ(testing::dumpTable(folder() + "_TempDia.Dbf").records.size(), rows_.size());
    EXPECT_EQ(testing::dumpTable(folder() + "_TDiaNew.Dbf").records.size(), rows_.size());
    demo::writeTable(root() + "/DBF/TempDia.Dbf", demo::kNewTempDiaFields, {});
    expectCleanRunAfter();
    EXPECT_EQ(testing::dumpTable(folder() + "TempDia.Dbf").records.size(), visibleRows());
}

// A datetime column keeps its time of day through the refill; a template
// that gives it a date field would drop the time: the run stops with the
// records in the backup, and a template with the datetime field finishes it.
TEST_F(FaultScenarioTest, TimeOfDayIsKeptOrTheRunStops) {
    const std::string oldFields = std::string(demo::kOldTempDiaFields) + "MOMENTO,T;";
    const std::string tail = "L340,L;NUMFRA340,C,12,0;";
    demo::writeTable(folder() + "TempDia.Dbf", oldFields.c_str(), rows_);
    const int momento = 9;
    auto stamp = [](uint32_t recno) {
        return std::pair<int32_t, int32_t>(2461000 + int32_t(recno),
                                           int32_t(recno) * 1234567 % 86400000);
    };
    {
        engine::Handle h = 0;
        ASSERT_EQ(engine::openTable(folder() + "TempDia.Dbf", "", engine::kTypeCdx,
                                    engine::kOpenExclusive, &h),
                  engine::kOk);
        for (uint32_t r = 1; r <= rows_.size(); ++r) {
            ASSERT_EQ(engine::gotoRecord(h, r), engine::kOk);
            ASSERT_EQ(engine::setDateTime(h, momento, stamp(r).first, stamp(r).second),
                      engine::kOk);
        }
        ASSERT_EQ(engine::closeTable(h), engine::kOk);
    }
    std::string dateOnly = std::string(demo::kOldTempDiaFields) + "MOMENTO,D;" + tail;
    demo::writeTable(root() + "/DBF/TempDia.Dbf", dateOnly.c_str(), {});
    EXPECT_EQ(runInProcess(root(), progress_), 1);
    EXPECT_EQ(testing::dumpTable(folder() + "_TempDia.Dbf").records.size(), rows_.size());

    std::string withTime = std::string(demo::kOldTempDiaFields) + "MOMENTO,T;" + tail;
    demo::writeTable(root() + "/DBF/TempDia.Dbf", withTime.c_str(), {});
    expectCleanRunAfter();
    engine::Handle h = 0;
    ASSERT_EQ(engine::openTable(folder() + "TempDia.Dbf", "", engine::kTypeCdx,
                                engine::kOpenReadOnly, &h),
              engine::kOk);
    uint32_t count = 0;
    ASSERT_EQ(engine::recordCount(h, &count), engine::kOk);
    ASSERT_EQ(count, visibleRows());
    // The refill leaves deleted records out: the n-th record written is the
    // n-th visible record of the old table.
    uint32_t written = 0;
    for (uint32_t r = 1; r <= rows_.size(); ++r) {
        if (rows_[r - 1].deleted) continue;
        ++written;
        ASSERT_EQ(engine::gotoRecord(h, written), engine::kOk);
        int32_t day = 0, millis = 0;
        ASSERT_EQ(engine::getDateTime(h, momento, &day, &millis), engine::kOk);
        EXPECT_EQ(day, stamp(r).first) << "record " << written;
        EXPECT_EQ(millis, stamp(r).second) << "record " << written;
    }
    EXPECT_EQ(engine::closeTable(h), engine::kOk);
}

// The register's index no longer matches its records: the run stops before
// any company is touched, instead of walking for ever.
TEST_F(FaultScenarioTest, StaleRegisterIndexStopsBeforeAnyCompany) {
    fs::remove(root() + "/DBF/Empresa.cdx");
    demo::writeRegister(root(), {{"001", "Uno"}, {"002", "Dos"}, {"003", "Tres"}}, {});
    testing::recodeBehindRegisterIndex(root(), 3, "000");
    auto before = fileBytes(root());
    EXPECT_EQ(runInProcess(root(), progress_), 1);
    EXPECT_TRUE(fileBytes(root()) == before);
    EXPECT_TRUE(progress_.reports.empty());
}

// A file the run would have to write, or a company folder it may not write
// in, is found before anything moves: the company stays as it is.
TEST_F(FaultScenarioTest, ReadOnlyFileOrFolderIsFoundBeforeAnythingMoves) {
#ifdef _WIN32
    // Windows ignores the attribute on a folder: only files are read-only there.
    const char* const kCases[] = {"TDiaNew.cdx", "TDiaNew.fpt", "TempDia.Dbf"};
#else
    const char* const kCases[] = {"TDiaNew.cdx", "TDiaNew.fpt", "TempDia.Dbf", ""};
#endif
    for (std::string name : kCases) {
        SCOPED_TRACE(name);
        std::string path = name.empty() ? folder() : folder() + name;
        ASSERT_TRUE(os::setReadOnly(path, true).ok());
        expectLeftAsItWas("solo lectura");
        ASSERT_TRUE(os::setReadOnly(path, false).ok());
    }
    expectCleanRunAfter();
}

// A template that is read-only would give read-only tables: the run stops
// before any company is touched.
TEST_F(FaultScenarioTest, ReadOnlyTemplateStopsTheRunBeforeAnythingMoves) {
    std::string templ = root() + "/DBF/TempDia.Dbf";
    ASSERT_TRUE(os::setReadOnly(templ, true).ok());
    auto before = fileBytes(root());
    EXPECT_EQ(runInProcess(root(), progress_), 1);
    EXPECT_TRUE(fileBytes(root()) == before);
    ASSERT_TRUE(os::setReadOnly(templ, false).ok());
    expectCleanRunAfter();
}

#ifndef _WIN32
// Two names that differ only in case (possible where the file system tells
// them apart): the run would move one and open the other.
TEST_F(FaultScenarioTest, NamesThatDifferOnlyInCase) {
    fs::copy_file(folder() + "TempDia.Dbf", folder() + "TEMPDIA.DBF");
    expectLeftAsItWas("may\xFAsculas");
    fs::remove(folder() + "TEMPDIA.DBF");
    expectCleanRunAfter();
}
#endif

// The clean-up cannot erase a backup: the run says so (exit 2), names every
// file left and what to do; the next run erases them and refills nothing.
TEST_F(FaultScenarioTest, BackupThatCannotBeErasedIsReported) {
    // TDiaNic is the last table rebuilt: when its check starts, the journal
    // tables' checks have ended and their backups wait for the clean-up.
    HoldingProgress progress("comprobando TDiaNic", folder() + "_TempDia.Dbf");
    EXPECT_EQ(runInProcess(root(), progress), 2);
    ASSERT_TRUE(progress.held.isOpen());
    EXPECT_TRUE(fs::exists(folder() + "_TempDia.Dbf"));
    EXPECT_TRUE(mentions(progress.summary, "ya no hacen falta"));
    EXPECT_TRUE(mentions(progress.summary, "_TempDia.Dbf"));
    progress.held = os::File();
    expectCleanRunAfter();
}

}  // namespace
}  // namespace updater
