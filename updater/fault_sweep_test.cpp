// Write faults swept over a whole run. A small installation (several
// companies, memos, structural indexes, a TDiaNic, linked journals) is run
// once to count its file-modifying calls; then every one of those calls (or
// an even sample of them) is made to fail: once as a write fault, once for
// good (a full disk from there on), and as a refusal (a file in use, access
// denied); then every open for writing is refused the same two ways. Every
// run that stops (exit code 1) must have written its Error.log, unless the
// disk stays full for it too. Each faulted run is
// followed by a run without faults, after which the installation must hold exactly the files of one
// clean run and no backup; a faulted run that ends with exit code 0 must already have left exactly
// that.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "os/fault.h"
#include "os/fs.h"
#include "updater/demo_installation.h"
#include "updater/installation_testutil.h"
#include "updater/recording_progress_testutil.h"

namespace updater {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

#if defined(_WIN32) || defined(SANITIZED_BUILD)
// Every file call costs ten times more under emulation; every run is many
// times slower under the sanitizers.
constexpr size_t kMaxPoints = 60;
#else
constexpr size_t kMaxPoints = 400;
#endif
constexpr long kRows = 8;  // row 7 of the linked journals is one the run marks

struct Outcome {
    std::vector<std::string> files;
    std::map<std::string, testing::TableDump> tables;
    bool operator==(const Outcome&) const = default;
};

Outcome outcomeOf(const std::string& root) {
    return {testing::fileList(root), testing::snapshot(root)};
}

void freshCopy(const std::string& pristine, const std::string& work) {
    fs::remove_all(work);
    fs::copy(pristine, work, fs::copy_options::recursive);
}

// What a faulted run and the run after it did.
struct PointResult {
    int firstCode = 0;
    bool firstClean = false;   // the faulted run alone left the clean outcome
    bool secondClean = false;  // after the run without faults
    int secondCode = 0;
    bool logWritten = false;                               // the faulted run left an Error.log
    std::vector<std::string> firstSummary, secondSummary;  // what each run's end listed
};

struct Fault {
    uint32_t code;
    bool persistent;
    const char* name;
};
constexpr Fault kFaults[] = {{os::kErrWriteFault, false, "once"},
                             {os::kErrDiskFull, true, "from there on"},
                             {os::kErrSharingViolation, false, "refused"},
                             {os::kErrAccessDenied, false, "denied"}};
constexpr Fault kOpenFaults[] = {{os::kErrSharingViolation, false, "open refused"},
                                 {os::kErrAccessDenied, false, "open denied"}};

std::string errorLog() {
    return (fs::path(os::programFileName().value()).parent_path() / "Error.log").string();
}

PointResult runPoint(const std::string& pristine, const std::string& work, const Outcome& clean,
                     uint64_t nth, const Fault& fault, bool open = false) {
    freshCopy(pristine, work);
    fs::remove(errorLog());
    PointResult r;
    {
        RecordingProgress progress;
        if (open)
            os::armOpenFault(static_cast<uint32_t>(nth), fault.code);
        else
            os::armWriteFault(static_cast<uint32_t>(nth), fault.code, fault.persistent);
        r.firstCode = testing::runInProcess(work, progress);
        os::disarmWriteFault();
        os::armOpenFault(0);
        r.firstSummary = progress.summary;
    }
    r.logWritten = fs::exists(errorLog());
    r.firstClean = outcomeOf(work) == clean;
    RecordingProgress progress;
    r.secondCode = testing::runInProcess(work, progress);
    r.secondClean = outcomeOf(work) == clean;
    r.secondSummary = progress.summary;
    return r;
}

TEST(FaultSweepTest, EveryWriteFailureIsRecoverableAndNeverReportedAsSuccess) {
    TempFolder tmp("", testing::memoryFolder());
    std::string pristine = tmp.path() + "/pristine";
    std::string work = tmp.path() + "/work";
    // Made where the runs work and kept aside: the key tables hold the
    // absolute path of the journals they link, so an installation made
    // elsewhere and copied here would have the original's journals marked.
    demo::makeDemo(work, kRows);
    fs::copy(work, pristine, fs::copy_options::recursive);
    uint64_t before = os::writeCallCount();
    RecordingProgress cleanProgress;
    ASSERT_EQ(testing::runInProcess(work, cleanProgress), 0);
    uint64_t calls = os::writeCallCount() - before;
    Outcome clean = outcomeOf(work);
    ASSERT_EQ(testing::leftoverBackups(work), std::vector<std::string>{});
    ASSERT_GT(calls, 20u);

    std::vector<uint64_t> points;
    size_t wanted = std::min<uint64_t>(calls, kMaxPoints);
    for (size_t i = 0; i < wanted; ++i) points.push_back(1 + i * calls / wanted);

    uint64_t opensBefore = os::writeOpenCount();
    {
        freshCopy(pristine, work);
        RecordingProgress again;
        ASSERT_EQ(testing::runInProcess(work, again), 0);
    }
    uint64_t opens = os::writeOpenCount() - opensBefore;
    std::vector<uint64_t> openPoints;
    size_t wantedOpens = std::min<uint64_t>(opens, kMaxPoints / 2);
    for (size_t i = 0; i < wantedOpens; ++i) openPoints.push_back(1 + i * opens / wantedOpens);

    auto start = std::chrono::steady_clock::now();
    int stopped = 0, leftAsIs = 0, unharmed = 0, runs = 0;
    auto check = [&](const PointResult& r, const std::string& where, const Fault& fault) {
        EXPECT_TRUE(r.secondClean) << where << ": the run after it did not give the clean result";
        EXPECT_EQ(r.secondCode, 0)
            << where << "\nfaulted run: " << ::testing::PrintToString(r.firstSummary)
            << "\nrun after it: " << ::testing::PrintToString(r.secondSummary);
        if (r.firstCode == 0) {
            EXPECT_TRUE(r.firstClean) << where << ": exit code 0 for an unfinished run";
        }
        // A disk that stays full may refuse the log as well.
        if (r.firstCode == 1 && !fault.persistent) {
            EXPECT_TRUE(r.logWritten) << where << ": exit code 1 without an Error.log";
        }
        stopped += r.firstCode == 1;
        leftAsIs += r.firstCode == 2;
        unharmed += r.firstCode == 0;
        ++runs;
    };
    for (uint64_t nth : points) {
        for (const Fault& fault : kFaults) {
            PointResult r = runPoint(pristine, work, clean, nth, fault);
            check(r,
                  "fault at write call " + std::to_string(nth) + " of " + std::to_string(calls) +
                      " (" + fault.name + ")",
                  fault);
            if (::testing::Test::HasFailure()) return;
        }
    }
    for (uint64_t nth : openPoints) {
        for (const Fault& fault : kOpenFaults) {
            PointResult r = runPoint(pristine, work, clean, nth, fault, true);
            check(r,
                  "fault at open " + std::to_string(nth) + " of " + std::to_string(opens) + " (" +
                      fault.name + ")",
                  fault);
            if (::testing::Test::HasFailure()) return;
        }
    }
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf(
        "[ sweep    ] %zu fault points of %llu write calls (once, for good, refused, denied) and "
        "%zu of %llu opens for writing (refused, denied): %d faulted runs, each followed by a "
        "clean one: %d stopped (exit 1), %d left something (exit 2), %d finished (exit 0); "
        "%.1f s\n",
        points.size(), static_cast<unsigned long long>(calls), openPoints.size(),
        static_cast<unsigned long long>(opens), runs, stopped, leftAsIs, unharmed, seconds);
}

}  // namespace
}  // namespace updater
