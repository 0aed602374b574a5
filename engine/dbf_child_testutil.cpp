// Child roles of the two-process table tests (see dbf_child_testutil.h).
#include "engine/dbf_child_testutil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "engine/dbf_testutil.h"
#include "engine/engine.h"
#include "os/clock.h"
#include "os/fs.h"

namespace engine::test {
namespace {

int exitFor(const Status& r) {
    return r == kOk ? 0 : (r == kLocked ? 1 : 2);
}

Status takeLock(Handle h, const std::string& what) {
    if (what == "table") return lockTable(h);
    if (what == "append") return append(h);
    if (what.rfind("record:", 0) == 0) return lockRecord(h, uint32_t(std::stoul(what.substr(7))));
    return Status(kInvalidArgument, "unknown lock " + what);
}

int roleOpen(const std::vector<std::string>& a) {
    Handle h = 0;
    Status r = openTable(a[1], "", kTypeCdx, a[2] == "shared" ? kOpenShared : kOpenExclusive, &h);
    if (r == kOk) {
        EXPECT_EQ(closeTable(h), kOk);
    }
    return exitFor(r);
}

int roleTry(const std::vector<std::string>& a) {
    Handle h = 0;
    if (Status r = openTable(a[1], "", kTypeCdx, kOpenShared, &h); !r.ok()) return exitFor(r) + 10;
    Status r = takeLock(h, a[2]);
    EXPECT_EQ(closeTable(h), kOk);
    return exitFor(r);
}

int roleHold(const std::vector<std::string>& a) {
    Handle h = 0;
    bool exclusive = a[2] == "exclusive";
    if (openTable(a[1], "", kTypeCdx, exclusive ? kOpenExclusive : kOpenShared, &h) != kOk)
        return 2;
    if (!exclusive && takeLock(h, a[2]) != kOk) return 2;
    writeFile(a[3], "ready");
    bool released = waitForFile(a[4]);
    EXPECT_EQ(closeTable(h), kOk);
    return released ? 0 : 2;
}

// Exit code 2 for a failed step, which is told on standard error.
int failedStep(const char* step, const Status& r) {
    std::fprintf(stderr, "engine child: %s failed: %d %s\n", step, r.code(), r.message().c_str());
    return 2;
}

int roleAppend(const std::vector<std::string>& a) {
    Handle h = 0;
    if (Status r = openTable(a[1], "", kTypeCdx, kOpenShared, &h); !r.ok())
        return failedStep("open", r);
    int n = std::stoi(a[2]);
    for (int i = 0; i < n; ++i) {
        Status r = append(h);
        // The other process appends: try again for up to about 5 s, since a
        // loaded machine can keep it descheduled while it holds the lock.
        for (int tries = 0; r == kLocked && tries < 5000; ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            r = append(h);
        }
        if (!r.ok()) return failedStep("append", r);
        uint32_t recno = 0;
        EXPECT_EQ(recordNumber(h, &recno), kOk);
        if (r = lockRecord(h, recno); !r.ok()) return failedStep("lock", r);
        if (r = setString(h, 1, a[3] + std::to_string(i)); !r.ok()) return failedStep("name", r);
        if (r = setString(h, 3, "memo " + a[3] + std::to_string(i)); !r.ok())
            return failedStep("memo", r);
        if (r = unlockRecord(h, recno); !r.ok()) return failedStep("unlock", r);
    }
    Status r = closeTable(h);
    return r.ok() ? 0 : failedStep("close", r);
}

// Creates a tag in the structural bag of a table opened shared.
int roleTag(const std::vector<std::string>& a) {
    Handle h = 0;
    if (openTable(a[1], "", kTypeCdx, kOpenShared, &h) != kOk) return 2;
    int order = 0;
    if (createIndex(h, "", a[2], a[3], "", 0, nullptr, &order) != kOk) return 2;
    return closeTable(h) == kOk ? 0 : 2;
}

}  // namespace

int runEngineChild(const std::vector<std::string>& a) {
    if (a.size() >= 3 && a[0] == "open") return roleOpen(a);
    if (a.size() >= 3 && a[0] == "try") return roleTry(a);
    if (a.size() >= 5 && a[0] == "hold") return roleHold(a);
    if (a.size() >= 4 && a[0] == "append") return roleAppend(a);
    if (a.size() >= 4 && a[0] == "tag") return roleTag(a);
    return 3;
}

bool waitForFile(const std::string& path) {
    uint64_t start = os::monotonicMs();
    while (!os::fileExists(path)) {
        if (os::monotonicMs() - start > 60000) return false;
        os::sleepMs(10);
    }
    return true;
}

os::Process startEngineChild(const std::vector<std::string>& args) {
    std::vector<std::string> all{kEngineChildFlag};
    all.insert(all.end(), args.begin(), args.end());
    auto self = os::programFileName();
    EXPECT_TRUE(self.ok());
    auto p = os::Process::start(self.value(), all);
    EXPECT_TRUE(p.ok()) << p.status().message();
    return p.ok() ? std::move(p.value()) : os::Process();
}

int runEngineChildToEnd(const std::vector<std::string>& args) {
    os::Process p = startEngineChild(args);
    if (!p.valid()) return -1;
    auto code = p.waitFor(60000);
    if (!code.ok() || !code.value().has_value()) return -1;
    return *code.value();
}

}  // namespace engine::test
