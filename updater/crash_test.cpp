// Kills the updater at many moments of a run (every pass of every company,
// inside refills and inside the TDiaNic rebuild), runs it again to the end
// each time, and checks that the installation then holds exactly what one
// clean run gives, with no backup left.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "os/clock.h"
#include "os/fs.h"
#include "os/process.h"
#include "updater/demo_installation.h"
#include "updater/installation_testutil.h"

namespace updater {
namespace {

namespace fs = std::filesystem;
using testing::leftoverBackups;
using testing::snapshot;
using testing::TempFolder;

#if defined(_WIN32) || defined(SANITIZED_BUILD)
// Process starts are slow under emulation, and every run is under the sanitizers.
constexpr int kExtraKills = 6;
constexpr long kRows = 150;
constexpr size_t kGapStep = 3;
constexpr int kMinKills = 20;
#else
constexpr int kExtraKills = 12;
constexpr long kRows = 400;
constexpr size_t kGapStep = 1;
constexpr int kMinKills = 30;
#endif

std::vector<std::string> linesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

size_t linesIn(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    size_t n = 0;
    for (char c; in.get(c);)
        if (c == '\n') ++n;
    return n;
}

// Starts a run in a child process. A start the system refuses is tried
// again a few times (under Wine a start right after a kill is now and then
// refused): what is tested is the run, not the start. An invalid Process
// when every try failed.
os::Process startUpdater(const std::string& root, const std::string& log) {
    auto self = os::programFileName();
    EXPECT_TRUE(self.ok());
    if (!self.ok()) return os::Process();
    for (int attempt = 1;; ++attempt) {
        auto p = os::Process::start(self.value(), {"--run-updater", root, log});
        if (p.ok()) return std::move(p.value());
        if (attempt == 5) {
            ADD_FAILURE() << p.status().message();
            return os::Process();
        }
        os::sleepMs(200);
    }
}

// The moments (ms after start) at which each progress line appeared in one
// complete run; the last entry is the end of the run.
std::vector<uint64_t> timeline(const std::string& root, const std::string& log) {
    os::Process p = startUpdater(root, log);
    uint64_t start = os::monotonicMs();
    std::vector<uint64_t> times;
    if (!p.valid()) return times;
    for (;;) {
        auto done = p.waitFor(1);
        if (!done.ok()) {
            ADD_FAILURE() << done.status().message();
            break;
        }
        size_t lines = linesIn(log);
        while (times.size() < lines) times.push_back(os::monotonicMs() - start);
        if (done.ok() && done.value()) {
            EXPECT_EQ(*done.value(), 0);
            break;
        }
    }
    times.push_back(os::monotonicMs() - start);
    return times;
}

// Starts a run and kills it `delayMs` after its progress line `line` shows.
// True when the kill came before the run ended on its own.
bool killAt(const std::string& root, const std::string& log, size_t line, uint64_t delayMs) {
    os::Process p = startUpdater(root, log);
    if (!p.valid()) return false;
    while (linesIn(log) <= line) {
        auto done = p.waitFor(0);
        if (!done.ok()) {
            ADD_FAILURE() << done.status().message();
            return false;
        }
        if (done.value()) return false;
        os::sleepMs(0);
    }
    if (delayMs) os::sleepMs(static_cast<uint32_t>(delayMs));
    EXPECT_TRUE(p.kill().ok());
    auto code = p.wait();
    return code.ok() && code.value() == os::kKilledExitCode;
}

int runToEnd(const std::string& root, const std::string& log) {
    os::Process p = startUpdater(root, log);
    if (!p.valid()) return -1;
    auto code = p.wait();
    return code.ok() ? code.value() : -1;
}

// Snapshots compared without the key tables, whose accounting path names
// the installation's own folder.
std::map<std::string, testing::TableDump> comparable(const std::string& root) {
    auto all = snapshot(root);
    for (auto it = all.begin(); it != all.end();)
        it = it->first.ends_with("claves.dbf") ? all.erase(it) : std::next(it);
    return all;
}

TEST(CrashTest, KilledRunsResumeToTheCleanResult) {
    TempFolder tmp;
    std::string clean = tmp.path() + "/clean";
    demo::makeDemo(clean, kRows);
    std::vector<uint64_t> times = timeline(clean, tmp.path() + "/clean.log");
    auto expected = comparable(clean);
    ASSERT_EQ(leftoverBackups(clean), std::vector<std::string>{});
    ASSERT_GT(times.size(), 10u);

    // Half-way through every gap between two progress lines, then random moments.
    std::vector<std::pair<size_t, uint64_t>> plan;
    // The TDiaNic rebuild, short as it is, gets several moments of its own.
    std::vector<std::string> lines = linesOf(tmp.path() + "/clean.log");
    auto nicGap = [&](size_t k) {
        return k < lines.size() && lines[k].find("rellenando TDiaNic") != std::string::npos;
    };
    for (size_t k = 0; k + 1 < times.size(); ++k) {
        uint64_t gap = times[k + 1] - times[k];
        if (nicGap(k)) {
            for (uint64_t tenths : {0, 3, 6, 9}) plan.push_back({k, gap * tenths / 10});
        } else if (k % kGapStep == 0) {
            plan.push_back({k, gap / 2});
        }
    }
    std::mt19937 random(12345);
    for (int i = 0; i < kExtraKills; ++i) {
        size_t k = random() % (times.size() - 1);
        plan.push_back({k, random() % (times[k + 1] - times[k] + 1)});
    }

    int kills = 0;
    int nicKills = 0;
    for (size_t i = 0; i < plan.size(); ++i) {
        std::string root = tmp.path() + "/run" + std::to_string(i);
        demo::makeDemo(root, kRows);
        bool killed = killAt(root, root + ".log", plan[i].first, plan[i].second);
        kills += killed;
        nicKills += killed && nicGap(plan[i].first);
        ASSERT_EQ(runToEnd(root, root + ".again.log"), 0) << "kill " << i;
        EXPECT_EQ(leftoverBackups(root), std::vector<std::string>{}) << "kill " << i;
        auto got = comparable(root);
        ASSERT_EQ(got.size(), expected.size()) << "kill " << i;
        for (const auto& [name, dump] : expected)
            EXPECT_TRUE(got[name] == dump)
                << "kill " << i << " after line " << plan[i].first << ": " << name;
        fs::remove_all(root);
    }
    std::printf(
        "[ crash    ] %d kills before the run's end out of %zu attempts (%d inside the "
        "TDiaNic rebuild); clean run %llu ms\n",
        kills, plan.size(), nicKills, static_cast<unsigned long long>(times.back()));
    EXPECT_GE(nicKills, 1);
    EXPECT_GE(kills, kMinKills);
}

}  // namespace
}  // namespace updater
