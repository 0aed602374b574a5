// Whole runs around the migration record: what the user does after a run
// that could not erase a backup, a stray TDiaNic backup through every
// interruption, a record that cannot be read, a refill that does not match
// its backup, a journal that cannot be written, and the folder's names made
// durable after the moves and the erasures.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "engine/engine.h"
#include "os/fault.h"
#include "os/file.h"
#include "os/fs.h"
#include "updater/demo_installation.h"
#include "updater/installation_testutil.h"
#include "updater/migration_record.h"
#include "updater/recording_progress_testutil.h"

namespace updater {
namespace {

namespace fs = std::filesystem;
using testing::fileBytes;
using testing::leftoverBackups;
using testing::mentions;
using testing::runInProcess;
using testing::TempFolder;

#if defined(_WIN32) || defined(SANITIZED_BUILD)
constexpr size_t kPointStep = 3;  // every run is slower there
#else
constexpr size_t kPointStep = 1;
#endif

void freshCopy(const std::string& pristine, const std::string& work) {
    fs::remove_all(work);
    fs::copy(pristine, work, fs::copy_options::recursive);
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The migrated tables of every company (not the templates), lower-case names.
std::vector<std::string> migratedTables(const std::string& root) {
    std::vector<std::string> found;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        std::string name = lower(e.path().filename().string());
        std::string folder = lower(e.path().parent_path().filename().string());
        if (folder.size() > 3 && folder.rfind("dbf", 0) == 0 &&
            (name == "tdianew.dbf" || name == "tempdia.dbf" || name == "tdianic.dbf"))
            found.push_back(e.path().string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

// What the product does when the user enters a journal line: a new record
// with its CONTRA, the table's index kept.
void appendRow(const std::string& table, const std::string& contra) {
    engine::Handle h = 0;
    ASSERT_EQ(engine::openTable(table, "", engine::kTypeCdx, engine::kOpenExclusive, &h),
              engine::kOk)
        << table;
    int field = 0;
    ASSERT_EQ(engine::fieldNumber(h, "CONTRA", &field), engine::kOk);
    ASSERT_EQ(engine::append(h), engine::kOk);
    ASSERT_EQ(engine::setString(h, field, contra), engine::kOk);
    ASSERT_EQ(engine::closeTable(h), engine::kOk);
}

// The counted file calls of a run, in order.
struct CallLog {
    std::vector<std::pair<std::string, std::string>> calls;  // operation, path
    CallLog() {
        os::setWriteCallObserver(
            [this](const char* op, const std::string& path) { calls.emplace_back(op, path); });
    }
    ~CallLog() { os::setWriteCallObserver({}); }
};

std::string fileNameOf(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

class DemoFixture : public ::testing::Test {
protected:
    void SetUp() override {
        demo::makeDemo(work(), 8);
        fs::copy(work(), pristine(), fs::copy_options::recursive);
    }
    std::string pristine() const { return tmp_.path() + "/pristine"; }
    std::string work() const { return tmp_.path() + "/work"; }

    TempFolder tmp_{"", testing::memoryFolder()};
};

// After a backup the clean-up could not erase, the user does what the
// summary says (erases exactly the files it names) and goes back to work in
// the product; the next run must keep every row entered in between and
// leave no backup. Tried at every erasure of a backup in the run.
TEST_F(DemoFixture, UserErasesWhatTheSummaryNamesAndGoesOnWorking) {
    std::vector<uint64_t> erasures;
    {
        CallLog log;
        uint64_t first = os::writeCallCount();
        RecordingProgress progress;
        ASSERT_EQ(runInProcess(work(), progress), 0);
        for (size_t i = 0; i < log.calls.size(); ++i)
            if (log.calls[i].first == "erase" && fileNameOf(log.calls[i].second)[0] == '_' &&
                fileNameOf(log.calls[i].second) != kRecordName)
                erasures.push_back(i + 1);
        ASSERT_EQ(os::writeCallCount() - first, log.calls.size());
    }
    ASSERT_GT(erasures.size(), 10u);
    size_t tried = 0;
    for (size_t k = 0; k < erasures.size(); k += kPointStep, ++tried) {
        uint64_t nth = erasures[k];
        std::string where = "erasure refused at call " + std::to_string(nth);
        freshCopy(pristine(), work());
        RecordingProgress refused;
        os::armWriteFault(static_cast<uint32_t>(nth), os::kErrSharingViolation);
        int code = runInProcess(work(), refused);
        os::disarmWriteFault();
        ASSERT_EQ(code, 2) << where;
        // Paths as the run writes them, with either separator.
        auto normal = [](std::string p) {
            std::replace(p.begin(), p.end(), '\\', '/');
            return lower(fs::path(p).lexically_normal().string());
        };
        std::set<std::string> named;
        for (const CompanyReport& r : refused.reports)
            for (const std::string& f : r.filesLeft) {
                named.insert(normal(f));
                EXPECT_TRUE(mentions(refused.summary, f)) << where << ": " << f;
            }
        ASSERT_FALSE(named.empty()) << where;
        // Every backup left is named; the user erases exactly those.
        for (const std::string& rel : leftoverBackups(work())) {
            if (fileNameOf(rel) == kRecordName) continue;
            EXPECT_TRUE(named.count(normal(work() + "/" + rel)))
                << where << ": " << rel << " left but not named; summary:\n"
                << ::testing::PrintToString(refused.summary);
        }
        for (const CompanyReport& r : refused.reports)
            for (const std::string& f : r.filesLeft) ASSERT_TRUE(os::eraseFile(f).ok()) << f;
        std::vector<std::string> tablesNow = migratedTables(work());
        std::map<std::string, size_t> rowsBefore;
        for (const std::string& t : tablesNow) {
            appendRow(t, "FILA NUEVA");
            rowsBefore[t] = testing::dumpTable(t).records.size();
        }
        RecordingProgress again;
        EXPECT_EQ(runInProcess(work(), again), 0) << where;
        EXPECT_EQ(leftoverBackups(work()), std::vector<std::string>{}) << where;
        for (const std::string& t : tablesNow) {
            testing::TableDump d = testing::dumpTable(t);
            ASSERT_EQ(d.records.size(), rowsBefore[t]) << where << ": " << t;
            EXPECT_NE(d.value(d.records.size() - 1, "CONTRA").find("FILA NUEVA"), std::string::npos)
                << where << ": the row entered after the run is gone from " << t;
        }
        if (::testing::Test::HasFailure()) return;
    }
    std::printf("[ next step] %zu refused erasures, each followed by the user's next step\n",
                tried);
}

// The names the run changes reach the disk: the folder is flushed after the
// backup pass's moves, and after the clean-up's erasures.
TEST_F(DemoFixture, FolderNamesAreFlushedAfterMovesAndErasures) {
    CallLog log;
    RecordingProgress progress;
    ASSERT_EQ(runInProcess(work(), progress), 0);
    auto& calls = log.calls;
    auto inCompany = [&](size_t i) {
        return lower(calls[i].second).find("dbf001") != std::string::npos;
    };
    auto isFolderFlush = [&](size_t i) { return calls[i].first == "flush folder" && inCompany(i); };
    // Every rename and every erasure of this company is followed by a flush
    // of its folder before the next copy of a template or the company's end.
    bool pending = false;
    int flushes = 0, moves = 0, erasures = 0;
    for (size_t i = 0; i < calls.size(); ++i) {
        if (!inCompany(i)) continue;
        const std::string& op = calls[i].first;
        if (op == "rename" || (op == "erase" && fileNameOf(calls[i].second)[0] == '_')) {
            pending = true;
            (op == "rename" ? moves : erasures)++;
        } else if (isFolderFlush(i)) {
            pending = false;
            ++flushes;
        } else if (op == "copy") {
            EXPECT_FALSE(pending) << "a template copied before the moved names were flushed";
        }
    }
    EXPECT_FALSE(pending) << "names changed and never flushed";
    EXPECT_GT(moves, 0);
    EXPECT_GT(erasures, 0);
    EXPECT_GE(flushes, 2);
}

// A company interrupted at any file call with an old _TDiaNic.dbf beside
// it (and no TDiaNic.dbf) ends as a clean run leaves it: that file untouched.
TEST(ResumeTest, LoneOldTDiaNicBackupSurvivesEveryInterruption) {
    TempFolder tmp("", testing::memoryFolder());
    std::string pristine = tmp.path() + "/pristine", work = tmp.path() + "/work";
    testing::makeCompanySkeleton(work);
    std::string folder = demo::companyFolder(work, "001");
    demo::writeTable(folder + "TDiaNew.Dbf", demo::kOldTDiaNewFields, 30, 5);
    demo::indexByNumber(folder + "TDiaNew.Dbf");
    demo::writeTable(folder + "TempDia.Dbf", demo::kOldTempDiaFields, 20, 6);
    demo::writeTable(folder + "_TDiaNic.dbf", demo::kOldTDiaNicFields, 10, 7);
    fs::copy(work, pristine, fs::copy_options::recursive);
    std::string stray = fileBytes(work, false)["dbf001/_tdianic.dbf"];
    ASSERT_FALSE(stray.empty());

    uint64_t before = os::writeCallCount();
    RecordingProgress clean;
    ASSERT_EQ(runInProcess(work, clean), 0);
    uint64_t calls = os::writeCallCount() - before;
    auto cleanFiles = fileBytes(work, false);
    ASSERT_EQ(cleanFiles["dbf001/_tdianic.dbf"], stray);
    for (uint64_t nth = 1; nth <= calls; nth += kPointStep) {
        freshCopy(pristine, work);
        RecordingProgress faulted;
        os::armWriteFault(static_cast<uint32_t>(nth));
        runInProcess(work, faulted);
        os::disarmWriteFault();
        RecordingProgress again;
        EXPECT_EQ(runInProcess(work, again), 0) << "fault at call " << nth;
        EXPECT_TRUE(fileBytes(work, false) == cleanFiles)
            << "fault at call " << nth << ": not the clean result";
        if (::testing::Test::HasFailure()) return;
    }
}

class RecordScenarioTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::makeCompanySkeleton(root());
        demo::writeTable(folder() + "TDiaNew.Dbf", demo::kOldTDiaNewFields, 40, 3);
        demo::indexByNumber(folder() + "TDiaNew.Dbf");
        demo::writeTable(folder() + "TempDia.Dbf", demo::kOldTempDiaFields, 30, 4);
        demo::writeTable(folder() + "TDiaNic.dbf", demo::kOldTDiaNicFields, 20, 5);
    }
    std::string root() const { return tmp_.path(); }
    std::string folder() const { return demo::companyFolder(root(), "001"); }

    TempFolder tmp_;
};

// A record that cannot be followed leaves the company byte for byte.
TEST_F(RecordScenarioTest, UnreadableRecordLeavesTheCompanyAsItIs) {
    for (const char* text :
         {"", "ACTUALIZACION DE EMPRESA 1\r\nTABLA TDiaNew.Dbf TDiaNew.Dbf\r\n",
          "ACTUALIZACION DE EMPRESA 7\r\nTABLA TDiaNew.Dbf TDiaNew.Dbf\r\nFIN\r\n"}) {
        std::ofstream(folder() + kRecordName, std::ios::binary) << text;
        auto before = fileBytes(root());
        RecordingProgress progress;
        EXPECT_EQ(runInProcess(root(), progress), 2) << text;
        EXPECT_TRUE(fileBytes(root()) == before) << text;
        EXPECT_TRUE(mentions(progress.summary, kRecordName)) << text;
    }
    fs::remove(folder() + kRecordName);
    RecordingProgress progress;
    EXPECT_EQ(runInProcess(root(), progress), 0);
    EXPECT_EQ(leftoverBackups(root()), std::vector<std::string>{});
}

// A refilled table that no longer matches its backup when read back (here
// changed behind the run's back just before the check) stops the run with
// its Error.log and every backup kept; the next run gives the clean result.
TEST_F(RecordScenarioTest, RefillThatDiffersFromItsBackupStopsTheRun) {
    TempFolder cleanTmp("clean");
    std::string clean = cleanTmp.path() + "/inst";
    fs::copy(root(), clean, fs::copy_options::recursive);
    RecordingProgress cleanProgress;
    ASSERT_EQ(runInProcess(clean, cleanProgress), 0);

    struct Tampering : RecordingProgress {
        std::string table;
        bool tampered = false;
        void stepStarted(std::string_view what) override {
            RecordingProgress::stepStarted(what);
            // Once, before the check starts: the step is announced again
            // when the run comes to wait for a check still reading, and
            // opening the table then would only lock the check out.
            if (what == "comprobando TempDia.Dbf" && !tampered) {
                tampered = true;
                engine::Handle h = 0;
                if (!engine::openTable(table, "", engine::kTypeCdx, engine::kOpenExclusive, &h)
                         .ok())
                    return;
                (void)engine::gotoRecord(h, 3);
                (void)engine::setString(h, 3, "CAMBIADO");
                (void)engine::closeTable(h);
            }
        }
    } progress;
    progress.table = folder() + "TempDia.Dbf";
    std::string log =
        (fs::path(os::programFileName().value()).parent_path() / "Error.log").string();
    fs::remove(log);
    EXPECT_EQ(runInProcess(root(), progress), 1);
    EXPECT_TRUE(fs::exists(log)) << "no Error.log";
    std::ifstream in(log, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("no coincide con su copia"), std::string::npos);
    EXPECT_NE(text.find("el campo CONTRA del registro 3"), std::string::npos) << text;
    EXPECT_TRUE(fs::exists(folder() + "_TempDia.Dbf"));
    EXPECT_TRUE(fs::exists(folder() + "_TDiaNew.Dbf"));
    RecordingProgress again;
    EXPECT_EQ(runInProcess(root(), again), 0);
    EXPECT_TRUE(testing::snapshot(root()) == testing::snapshot(clean));
    EXPECT_EQ(leftoverBackups(root()), std::vector<std::string>{});
}

// A record that says every table was refilled: the next run erases the
// backups it lists and refills nothing, so the rows entered since stay.
TEST_F(RecordScenarioTest, CompanyRecordedAsRefilledIsNeverRefilledAgain) {
    HoldingProgress progress("comprobando TDiaNic", folder() + "_TDiaNew.Dbf");
    ASSERT_EQ(runInProcess(root(), progress), 2);
    progress.held = os::File();
    ASSERT_TRUE(fs::exists(folder() + kRecordName));
    ASSERT_TRUE(fs::exists(folder() + "_TDiaNew.Dbf"));
    appendRow(folder() + "TDiaNew.Dbf", "FILA NUEVA");
    auto liveTables = [this] {
        auto all = testing::snapshot(root());
        std::erase_if(
            all, [](const auto& t) { return fs::path(t.first).filename().string()[0] == '_'; });
        return all;
    };
    auto tables = liveTables();
    RecordingProgress again;
    EXPECT_EQ(runInProcess(root(), again), 0);
    EXPECT_TRUE(liveTables() == tables) << "a table was touched";
    EXPECT_EQ(leftoverBackups(root()), std::vector<std::string>{});
    ASSERT_EQ(again.reports.size(), 1u);
    EXPECT_TRUE(mentions(again.reports[0].notes, "ya se rellen"));
}

// A linked journal that cannot be opened for writing (read-only, no rights,
// held) is skipped with its cause: the company is migrated, the run ends
// with exit code 2, and a later run marks it.
TEST_F(DemoFixture, JournalThatCannotBeWrittenIsSkippedWithItsCause) {
    RecordingProgress cleanProgress;
    uint64_t first = os::writeOpenCount();
    ASSERT_EQ(runInProcess(work(), cleanProgress), 0);
    uint64_t opens = os::writeOpenCount() - first;
    auto cleanTables = testing::snapshot(work());
    bool found = false;
    for (uint64_t nth = 1; nth <= opens && !found; ++nth) {
        freshCopy(pristine(), work());
        RecordingProgress progress;
        os::armOpenFault(static_cast<uint32_t>(nth), os::kErrAccessDenied);
        int code = runInProcess(work(), progress);
        os::armOpenFault(0);
        for (const CompanyReport& r : progress.reports)
            for (const JournalReport& j : r.journals)
                if (j.why.find("acceso denegado") != std::string::npos) {
                    found = true;
                    EXPECT_EQ(code, 2) << ::testing::PrintToString(progress.summary);
                    EXPECT_TRUE(mentions(progress.summary, j.path));
                    EXPECT_TRUE(r.filesLeft.empty());
                }
        if (!found) continue;
        RecordingProgress again;
        EXPECT_EQ(runInProcess(work(), again), 0);
        EXPECT_TRUE(testing::snapshot(work()) == cleanTables) << "the journal was not marked later";
    }
    EXPECT_TRUE(found) << "no open of a journal was refused";
}

}  // namespace
}  // namespace updater
