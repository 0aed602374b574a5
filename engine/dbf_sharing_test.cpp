// Two processes on one table: exclusive opens, record locks, the table lock
// and the append lock are honoured by another process running the engine.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <thread>
#include <vector>

#include "engine/dbf_child_testutil.h"
#include "engine/dbf_testutil.h"
#include "engine/engine.h"

namespace engine {
namespace {
using test::runEngineChildToEnd;

class SharingTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.file("shared.dbf");
        ASSERT_EQ(createTable(path_, "NAME,C,12,0;QTY,N,5,0;NOTE,M", kTypeCdx, 0), kOk);
        Handle h = test::openOrDie(path_);
        for (int i = 0; i < 5; ++i) EXPECT_EQ(append(h), kOk);
        int order = 0;
        ASSERT_EQ(createIndex(h, "", "NAME", "NAME", "", 0, nullptr, &order), kOk);
        EXPECT_EQ(closeTable(h), kOk);
    }
    void TearDown() override { EXPECT_EQ(shutdown(), kOk); }
    // Starts a child holding `what` and waits until it holds it.
    os::Process hold(const std::string& what) {
        ready_ = dir_.file("ready" + std::to_string(serial_));
        release_ = dir_.file("release" + std::to_string(serial_++));
        os::Process p = test::startEngineChild({"hold", path_, what, ready_, release_});
        EXPECT_TRUE(test::waitForFile(ready_));
        return p;
    }
    int release(os::Process& p) {
        test::writeFile(release_, "go");
        auto code = p.waitFor(60000);
        return code.ok() && code.value() ? **code : -1;
    }
    test::ScratchDir dir_;
    std::string path_, ready_, release_;
    int serial_ = 0;
};

// A tag another process creates while we hold the bag open is seen without
// reopening: the order list grows, the controlling order stays, and a record
// we were changing at that moment gets its right key in the new tag (the
// other process indexed the record as it was on disk).
TEST_F(SharingTest, TagsAnotherProcessCreatesAreSeenWithoutReopening) {
    Handle h = test::openOrDie(path_, kOpenShared);
    int orders = 0;
    ASSERT_EQ(orderCount(h, &orders), kOk);
    ASSERT_EQ(orders, 1);
    ASSERT_EQ(setOrderByName(h, "NAME"), kOk);
    ASSERT_EQ(gotoRecord(h, 2), kOk);
    ASSERT_EQ(lockRecord(h, 2), kOk);
    ASSERT_EQ(setString(h, 2, "7"), kOk);  // not written yet
    ASSERT_EQ(runEngineChildToEnd({"tag", path_, "BYQTY", "QTY"}), 0);
    ASSERT_EQ(unlockRecord(h, 2), kOk) << test::lastErrorString();
    ASSERT_EQ(orderCount(h, &orders), kOk);
    EXPECT_EQ(orders, 2);
    int current = 0;
    ASSERT_EQ(currentOrder(h, &current), kOk);
    std::string tag;
    ASSERT_EQ(orderName(h, current, &tag), kOk);
    EXPECT_EQ(tag, "NAME");
    ASSERT_EQ(setOrderByName(h, "BYQTY"), kOk) << test::lastErrorString();
    uint32_t keys = 0;
    ASSERT_EQ(keyCount(h, &keys), kOk);
    EXPECT_EQ(keys, 5u) << "one key per record: the old key of record 2 is gone";
    std::vector<uint32_t> walked;
    bool eof = false;
    for ((void)goTop(h); atEof(h, &eof) == kOk && !eof; (void)skip(h, 1)) {
        uint32_t n = 0;
        EXPECT_EQ(recordNumber(h, &n), kOk);
        walked.push_back(n);
    }
    EXPECT_EQ(walked, (std::vector<uint32_t>{1, 3, 4, 5, 2}));
    EXPECT_EQ(closeTable(h), kOk);
}

TEST_F(SharingTest, ExclusiveOpenKeepsTheOtherProcessOut) {
    Handle h = test::openOrDie(path_, kOpenExclusive);
    EXPECT_EQ(runEngineChildToEnd({"open", path_, "shared"}), 1);
    EXPECT_EQ(runEngineChildToEnd({"open", path_, "exclusive"}), 1);
    EXPECT_EQ(closeTable(h), kOk);
    h = test::openOrDie(path_, kOpenShared);
    EXPECT_EQ(runEngineChildToEnd({"open", path_, "shared"}), 0);
    EXPECT_EQ(runEngineChildToEnd({"open", path_, "exclusive"}), 1);
    EXPECT_EQ(closeTable(h), kOk);
    os::Process child = hold("exclusive");
    Handle other = 0;
    EXPECT_EQ(openTable(path_, "", kTypeCdx, kOpenShared, &other), kLocked);
    EXPECT_EQ(release(child), 0);
    EXPECT_EQ(runEngineChildToEnd({"open", path_, "exclusive"}), 0);
}

TEST_F(SharingTest, RecordLockIsHonouredBothWays) {
    Handle h = test::openOrDie(path_, kOpenShared);
    ASSERT_EQ(lockRecord(h, 2), kOk);
    EXPECT_EQ(runEngineChildToEnd({"try", path_, "record:2"}), 1);
    EXPECT_EQ(runEngineChildToEnd({"try", path_, "record:3"}), 0);
    EXPECT_EQ(runEngineChildToEnd({"try", path_, "table"}), 1);
    ASSERT_EQ(gotoRecord(h, 5), kOk);
    EXPECT_EQ(runEngineChildToEnd({"try", path_, "append"}), 0);  // appends do not need record 2
    EXPECT_EQ(skip(h, 1), kOk);  // the other process's new record is seen
    uint32_t recno = 0;
    EXPECT_EQ(recordNumber(h, &recno), kOk);
    EXPECT_EQ(recno, 6u);
    ASSERT_EQ(unlockRecord(h, 2), kOk);
    EXPECT_EQ(runEngineChildToEnd({"try", path_, "record:2"}), 0);
    os::Process child = hold("record:4");
    EXPECT_EQ(lockRecord(h, 4), kLocked);
    EXPECT_EQ(lockRecord(h, 5), kOk);
    EXPECT_EQ(lockTable(h), kLocked);
    EXPECT_EQ(release(child), 0);
    EXPECT_EQ(lockRecord(h, 4), kOk);
}

TEST_F(SharingTest, TableLockKeepsOutRecordLocksAndAppends) {
    Handle h = test::openOrDie(path_, kOpenShared);
    ASSERT_EQ(lockRecord(h, 1), kOk);
    ASSERT_EQ(lockTable(h), kOk);
    EXPECT_EQ(runEngineChildToEnd({"try", path_, "record:1"}), 1);
    EXPECT_EQ(runEngineChildToEnd({"try", path_, "record:5"}), 1);
    EXPECT_EQ(runEngineChildToEnd({"try", path_, "table"}), 1);
    EXPECT_EQ(runEngineChildToEnd({"try", path_, "append"}), 1);
    ASSERT_EQ(unlockTable(h), kOk);
    EXPECT_EQ(runEngineChildToEnd({"try", path_, "table"}), 0);
    os::Process child = hold("table");
    EXPECT_EQ(lockRecord(h, 3), kLocked);
    EXPECT_EQ(append(h), kLocked);
    uint32_t n = 0;
    EXPECT_EQ(recordCount(h, &n), kOk);
    EXPECT_EQ(n, 5u);
    EXPECT_EQ(release(child), 0);
    EXPECT_EQ(append(h), kOk);
}

TEST_F(SharingTest, ConcurrentAppendsLoseNoRecord) {
    Handle h = test::openOrDie(path_, kOpenShared);
    ASSERT_EQ(setOrder(h, 1), kOk);
    os::Process child = test::startEngineChild({"append", path_, "300", "child"});
    for (int i = 0; i < 300; ++i) {
        Status r = append(h);
        // See the child's loop: the other process may hold the lock a while.
        for (int tries = 0; r == kLocked && tries < 5000; ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            r = append(h);
        }
        ASSERT_EQ(r, kOk) << test::lastErrorString();
        uint32_t recno = 0;
        EXPECT_EQ(recordNumber(h, &recno), kOk);
        ASSERT_EQ(lockRecord(h, recno), kOk);
        ASSERT_EQ(setString(h, 1, "parent" + std::to_string(i)), kOk);
        ASSERT_EQ(setString(h, 3, "memo parent" + std::to_string(i)), kOk);
        ASSERT_EQ(unlockRecord(h, recno), kOk);
    }
    auto code = child.waitFor(60000);
    ASSERT_TRUE(code.ok() && code.value());
    EXPECT_EQ(**code, 0);
    std::set<std::string> names;
    uint32_t n = 0;
    EXPECT_EQ(recordCount(h, &n), kOk);
    EXPECT_EQ(n, 605u);
    for (uint32_t r = 6; r <= n; ++r) {
        EXPECT_EQ(gotoRecord(h, r), kOk);
        std::string s, memo;
        EXPECT_EQ(getString(h, 1, &s), kOk);
        names.insert(s);
        ASSERT_EQ(getMemo(h, 3, &memo), kOk) << test::lastErrorString();
        EXPECT_EQ("memo " + s.substr(0, s.find(' ')), memo);  // memos did not overwrite each other
    }
    EXPECT_EQ(names.size(), 600u);  // every record written once, none blank
    // The index took every key from both processes, in order.
    uint32_t keys = 0;
    EXPECT_EQ(keyCount(h, &keys), kOk);
    EXPECT_EQ(keys, 605u);
    std::string prev, cur;
    bool eof = false;
    for ((void)goTop(h), (void)atEof(h, &eof); !eof; (void)skip(h, 1), (void)atEof(h, &eof)) {
        EXPECT_EQ(getString(h, 1, &cur), kOk);
        EXPECT_LE(prev, cur);
        prev = cur;
    }
}

}  // namespace
}  // namespace engine
