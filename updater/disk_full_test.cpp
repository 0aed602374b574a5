// A disk that fills up while the run marks the linked journals, and while it
// refills a fresh table: from that moment every write fails. The larger
// installation makes the first failing write fall inside a block of records
// that one engine call copies or marks. The run must
// stop with a runtime error (exit code 1) instead of walking on over records
// it cannot write, and a run after the disk has room again must finish the
// work from the backups the first one kept.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "os/fault.h"
#include "updater/demo_installation.h"
#include "updater/installation_testutil.h"
#include "updater/recording_progress_testutil.h"

namespace updater {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

// Fills the disk `afterWrites` write calls into the first step whose text
// begins with `stepPrefix`, once it reports `minDone` records done (0: as it
// starts); stops the process if the run then pumps on far longer than any
// finished run of this installation does (a loop).
class DiskFillingProgress : public RecordingProgress {
public:
    DiskFillingProgress(std::string stepPrefix, uint32_t afterWrites, long minDone,
                        bool persistent = true)
        : stepPrefix_(std::move(stepPrefix)),
          afterWrites_(afterWrites),
          minDone_(minDone),
          persistent_(persistent) {}

    void stepStarted(std::string_view what) override {
        RecordingProgress::stepStarted(what);
        if (armed_) return;
        inStep_ = what.substr(0, stepPrefix_.size()) == stepPrefix_;
        if (inStep_ && minDone_ == 0) arm();
    }
    void stepProgress(long done, long total) override {
        RecordingProgress::stepProgress(done, total);
        if (inStep_ && !armed_ && done >= minDone_) arm();
    }
    void pump() override {
        RecordingProgress::pump();
        if (armed_ && ++pumpsSinceArmed_ > kLoopPumps) {
            std::fprintf(stderr, "the run goes on pumping with a full disk: it loops\n");
            std::abort();
        }
    }
    bool armed() const { return armed_; }

private:
    void arm() {
        armed_ = true;
        os::armWriteFault(afterWrites_, os::kErrDiskFull, persistent_);
    }
    static constexpr long kLoopPumps = 1000000;
    std::string stepPrefix_;
    uint32_t afterWrites_;
    long minDone_;
    bool persistent_;
    bool inStep_ = false;
    bool armed_ = false;
    long pumpsSinceArmed_ = 0;
};

std::string firstDifference(const testing::TableDump& got, const testing::TableDump& want) {
    for (size_t i = 0; i < std::min(got.records.size(), want.records.size()); ++i)
        if (got.records[i] != want.records[i])
            return "; record " + std::to_string(i + 1) + ": " + got.records[i] + " instead of " +
                   want.records[i];
    return "";
}

// The step the disk fills in, the records it must have done by then, and
// the rows of the installation.
struct DiskFullCase {
    const char* step;
    long minDone;
    long rows;
    const char* name;
};

class DiskFullTest : public ::testing::TestWithParam<DiskFullCase> {
protected:
    // The installation is made afresh in place rather than copied: its key
    // tables hold the absolute path of the journals they link, so a copy
    // would mark the original's journals.
    void freshCopy() {
        fs::remove_all(work());
        demo::makeDemo(work(), GetParam().rows);
    }
    std::string work() const { return tmp_.path() + "/work"; }

    TempFolder tmp_{"", testing::memoryFolder()};
};

TEST_P(DiskFullTest, RunStopsWithAnErrorAndTheNextRunFinishes) {
    RecordingProgress cleanProgress;
    freshCopy();
    ASSERT_EQ(testing::runInProcess(work(), cleanProgress), 0);
    auto clean = testing::snapshot(work());
    auto cleanFiles = testing::fileList(work());

    // The larger installations also see a single write fail (a disk that
    // has room again at once): that failure must not pass for the end of
    // the records either.
    const bool large = GetParam().rows > 1000;
    for (int attempt = 0; attempt < 4; ++attempt) {
        const uint32_t afterWrites = large ? 1 + attempt % 2 : std::array{1u, 2u, 5u, 20u}[attempt];
        const bool persistent = !large || attempt < 2;
        SCOPED_TRACE(std::string(GetParam().step) +
                     (persistent ? ", disk full after " : ", write ") +
                     std::to_string(afterWrites) + (persistent ? " writes" : " fails"));
        freshCopy();
        DiskFillingProgress full(GetParam().step, afterWrites, GetParam().minDone, persistent);
        int code = testing::runInProcess(work(), full);
        uint32_t failed = os::injectedFaultCount();
        os::disarmWriteFault();
        ASSERT_TRUE(full.armed()) << "the run never reached the step";
        if (large) ASSERT_GT(failed, 0u) << "no write failed in the middle of the step";
        if (failed == 0) continue;  // the step wrote less than that: nothing failed
        // Exit code 1 is the error handler's end of the program (the disk is
        // still full then, so its Error.log may not be written either).
        EXPECT_EQ(code, 1) << "a run whose writes failed did not stop on an error";

        RecordingProgress again;
        EXPECT_EQ(testing::runInProcess(work(), again), 0);
        EXPECT_EQ(testing::leftoverBackups(work()), std::vector<std::string>{});
        auto after = testing::snapshot(work());
        // Every table, the linked journals' marks included.
        for (const auto& [name, table] : clean) {
            const testing::TableDump& got = after[name];
            EXPECT_TRUE(got == table)
                << name << " differs from the clean run's" << (got.error.empty() ? "" : ": ")
                << got.error << " (" << got.records.size() << " records, " << got.keyOrder.size()
                << " keys walked)" << firstDifference(got, table);
        }
        EXPECT_EQ(testing::fileList(work()), cleanFiles);
    }
}

// Armed after the first thousand records of the step, the disk fills at a
// write made inside a block call: with 8,000 rows the first journal takes
// several read blocks (a block of marks goes out as the next is read), and
// with 20,000 the first fresh TDiaNew to pass a thousand records (a company
// of half as many rows) appends more than the megabyte that is written out
// while the refill goes on.
INSTANTIATE_TEST_SUITE_P(
    Steps, DiskFullTest,
    ::testing::Values(DiskFullCase{"marcando", 0, 40, "JournalMarking"},
                      DiskFullCase{"rellenando", 0, 40, "Refill"},
                      DiskFullCase{"marcando", 1000, 8000, "JournalMarkingMidBlock"},
                      DiskFullCase{"rellenando", 1000, 20000, "RefillMidBlock"}),
    [](const ::testing::TestParamInfo<DiskFullCase>& c) { return std::string(c.param.name); });

}  // namespace
}  // namespace updater
