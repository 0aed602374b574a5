// A disk that fills up while the run marks the linked journals, and while it
// refills a fresh table: from that moment every write fails. The run must
// stop with a runtime error (exit code 1) instead of walking on over records
// it cannot write, and a run after the disk has room again must finish the
// work from the backups the first one kept.
#include <gtest/gtest.h>

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
// begins with `stepPrefix`; stops the process if the run then pumps on far
// longer than any finished run of this installation does (a loop).
class DiskFillingProgress : public RecordingProgress {
public:
    DiskFillingProgress(std::string stepPrefix, uint32_t afterWrites)
        : stepPrefix_(std::move(stepPrefix)), afterWrites_(afterWrites) {}

    void stepStarted(std::string_view what) override {
        RecordingProgress::stepStarted(what);
        if (armed_ || what.substr(0, stepPrefix_.size()) != stepPrefix_) return;
        armed_ = true;
        os::armWriteFault(afterWrites_, os::kErrDiskFull, /*persistent=*/true);
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
    static constexpr long kLoopPumps = 1000000;
    std::string stepPrefix_;
    uint32_t afterWrites_;
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

class DiskFullTest : public ::testing::TestWithParam<const char*> {
protected:
    // The installation is made afresh in place rather than copied: its key
    // tables hold the absolute path of the journals they link, so a copy
    // would mark the original's journals.
    void freshCopy() {
        fs::remove_all(work());
        demo::makeDemo(work(), kRows);
    }
    std::string work() const { return tmp_.path() + "/work"; }

    static constexpr long kRows = 40;
    TempFolder tmp_{"", testing::memoryFolder()};
};

TEST_P(DiskFullTest, RunStopsWithAnErrorAndTheNextRunFinishes) {
    RecordingProgress cleanProgress;
    freshCopy();
    ASSERT_EQ(testing::runInProcess(work(), cleanProgress), 0);
    auto clean = testing::snapshot(work());
    auto cleanFiles = testing::fileList(work());

    for (uint32_t afterWrites : {1u, 2u, 5u, 20u}) {
        SCOPED_TRACE(std::string(GetParam()) + ", disk full after " + std::to_string(afterWrites) +
                     " writes");
        freshCopy();
        DiskFillingProgress full(GetParam(), afterWrites);
        int code = testing::runInProcess(work(), full);
        uint32_t failed = os::injectedFaultCount();
        os::disarmWriteFault();
        ASSERT_TRUE(full.armed()) << "the run never reached the step";
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

INSTANTIATE_TEST_SUITE_P(Steps, DiskFullTest, ::testing::Values("marcando", "rellenando"),
                         [](const ::testing::TestParamInfo<const char*>& step) {
                             return std::string(step.param) == "marcando" ? "JournalMarking"
                                                                          : "Refill";
                         });

}  // namespace
}  // namespace updater
