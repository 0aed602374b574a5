// Appends in bulk: a fresh table opened exclusively keeps its appended keys
// aside and builds each tag once. The result must be the index that key-by-
// key inserts give, whatever order the keys come in, and it must pass the
// tree checker.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "engine/busy.h"
#include "engine/dbf_testutil.h"
#include "engine/engine.h"
#include "engine/key_worker.h"
#include "engine/table.h"
#include "os/fault.h"
#include "os/path_parts.h"

namespace engine {
namespace {

using test::lastErrorString;

constexpr const char* kFields = "NAME,C,12,0;QTY,N,8,0;DAY,D";

struct Row {
    std::string name;
    int qty;
    int32_t day;
};

std::vector<Row> randomRows(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<Row> rows;
    for (size_t i = 0; i < n; ++i) {
        std::string name;
        for (int k = 0, len = 1 + int(rng() % 10); k < len; ++k) name += char('A' + rng() % 6);
        rows.push_back({name, int(rng() % 500), int32_t(2451545 + rng() % 40)});
    }
    return rows;
}

class IndexBulkTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(shutdown(), kOk); }

    // A table with a structural bag of five tags: a number, a date plus a
    // number, a unique text, a text with FOR and a descending text whose
    // keys tie often; no records. `fromBytes`: five tags whose keys a
    // worker thread computes from the records' bytes instead (a number, a
    // date plus a number, a unique text, an upper-cased text, a date).
    std::string makeIndexed(const char* name, bool fromBytes = false) {
        std::string path = dir_.file(name);
        EXPECT_EQ(createTable(path, kFields, kTypeCdx, 0), kOk);
        Handle h = test::openOrDie(path);
        int order = 0;
        if (fromBytes) {
            for (auto [tag, key] : {std::pair{"QTY", "QTY"}, {"DAYQTY", "DTOS(DAY)+STR(QTY,8)"},
                                    {"UNAME", "NAME"}, {"UPNAME", "UPPER(NAME)"}, {"DAY", "DAY"}})
                EXPECT_EQ(createIndex(h, "", tag, key, "", std::string_view(tag) == "UNAME"
                                                                 ? kIndexUnique
                                                                 : 0,
                                      nullptr, &order),
                          kOk)
                    << lastErrorString();
            EXPECT_EQ(closeTable(h), kOk);
            return path;
        }
        EXPECT_EQ(createIndex(h, "", "QTY", "QTY", "", 0, nullptr, &order), kOk)
            << lastErrorString();
        EXPECT_EQ(createIndex(h, "", "DAYQTY", "DTOS(DAY)+STR(QTY,8)", "", 0, nullptr, &order),
                  kOk);
        EXPECT_EQ(createIndex(h, "", "UNAME", "NAME", "", kIndexUnique, nullptr, &order), kOk);
        EXPECT_EQ(createIndex(h, "", "BIG", "UPPER(NAME)", "QTY > 250", 0, nullptr, &order), kOk);
        EXPECT_EQ(createIndex(h, "", "DOWN", "LEFT(NAME,2)", "", kIndexDescending, nullptr, &order),
                  kOk);
        EXPECT_EQ(closeTable(h), kOk);
        return path;
    }
    static void put(Handle h, const Row& r) {
        ASSERT_EQ(append(h), kOk) << lastErrorString();
        ASSERT_EQ(setString(h, 1, r.name), kOk);
        ASSERT_EQ(setDouble(h, 2, r.qty), kOk);
        ASSERT_EQ(setJulian(h, 3, r.day), kOk);
    }
    // Builds the trees kept so far: from then on every append inserts its
    // keys one by one.
    static void readTrees(Handle h) {
        uint32_t keys = 0;
        ASSERT_EQ(setOrder(h, 1), kOk);
        ASSERT_EQ(keyCount(h, &keys), kOk);
        ASSERT_EQ(setOrder(h, 0), kOk);
    }
    // Appends `rows`: kept aside and built at close (`bulk`), or inserted
    // key by key after the first.
    void fill(const std::string& path, bool bulk, const std::vector<Row>& rows) {
        Handle h = test::openOrDie(path);
        for (const Row& r : rows) {
            put(h, r);
            if (!bulk && &r == &rows.front()) readTrees(h);
        }
        ASSERT_EQ(closeTable(h), kOk) << lastErrorString();
    }
    // Fills `byWorker` with the key worker (which must run once) and
    // `alone` without it; both index files must be the same bytes.
    void fillWithAndWithoutWorker(const std::string& byWorker, const std::string& alone,
                                  const std::vector<Row>& rows) {
        uint64_t runs = keyWorkerRuns();
        fill(byWorker, true, rows);
        EXPECT_EQ(keyWorkerRuns(), runs + 1);
        setKeyWorkerEnabled(false);
        fill(alone, true, rows);
        setKeyWorkerEnabled(true);
        EXPECT_EQ(keyWorkerRuns(), runs + 1);
        EXPECT_EQ(test::readFile(os::withExtension(byWorker, ".cdx")),
                  test::readFile(os::withExtension(alone, ".cdx")));
    }
    // Record numbers of every order, top to bottom.
    static std::vector<std::vector<uint32_t>> walkAll(const std::string& path) {
        Handle h = test::openOrDie(path, kOpenShared | kOpenReadOnly);
        std::vector<std::vector<uint32_t>> out;
        int orders = 0;
        EXPECT_EQ(orderCount(h, &orders), kOk);
        for (int o = 1; o <= orders; ++o) {
            EXPECT_EQ(setOrder(h, o), kOk) << lastErrorString();
            std::vector<uint32_t> recnos;
            bool eof = false;
            for ((void)goTop(h), (void)atEof(h, &eof); !eof;
                 (void)skip(h, 1), (void)atEof(h, &eof)) {
                uint32_t n = 0;
                EXPECT_EQ(recordNumber(h, &n), kOk);
                recnos.push_back(n);
            }
            out.push_back(recnos);
        }
        EXPECT_EQ(closeTable(h), kOk);
        return out;
    }
    static Status checkIndexes(const std::string& path) {
        std::unique_ptr<Table> t;
        OpenParams p;
        p.path = path;
        if (Status r = Table::open(p, &t); !r.ok()) return r;
        return t->indexes().checkAll();
    }
    test::ScratchDir dir_;
};

TEST_F(IndexBulkTest, RefillOfAnEmptyTableGivesTheIndexOfKeyByKeyInserts) {
    std::vector<Row> rows = randomRows(5000, 7);
    std::string bulk = makeIndexed("bulk.dbf"), inserted = makeIndexed("inserted.dbf");
    fill(bulk, true, rows);
    fill(inserted, false, rows);
    std::vector<std::vector<uint32_t>> expected = walkAll(inserted);
    ASSERT_EQ(expected.size(), 5u);
    EXPECT_EQ(expected[0].size(), rows.size());
    EXPECT_LT(expected[2].size(), rows.size());  // the unique tag keeps one record per name
    EXPECT_EQ(walkAll(bulk), expected);
    EXPECT_EQ(checkIndexes(bulk), kOk) << lastErrorString();
}

// Keys computed from the records' bytes on a second thread make the same
// index file, byte for byte, as keys computed by the table's own thread and
// the same orders as key-by-key inserts; over several batches, and for a
// refill shorter than one batch.
TEST_F(IndexBulkTest, KeysFromAWorkerMakeTheSameFileAsKeysComputedInline) {
    for (size_t count : {size_t(5000), size_t(300)}) {
        SCOPED_TRACE(std::to_string(count) + " rows");
        std::vector<Row> rows = randomRows(count, 11);
        std::string n = std::to_string(count);
        std::string byWorker = makeIndexed(("w" + n + ".dbf").c_str(), true),
                    inline_ = makeIndexed(("l" + n + ".dbf").c_str(), true),
                    inserted = makeIndexed(("i" + n + ".dbf").c_str(), true);
        fillWithAndWithoutWorker(byWorker, inline_, rows);
        fill(inserted, false, rows);
        EXPECT_EQ(walkAll(byWorker), walkAll(inserted));
        EXPECT_EQ(checkIndexes(byWorker), kOk) << lastErrorString();
    }
}

// A tag whose key only the evaluator computes stays on the table's thread
// while the worker computes the others; the file is the same as ever.
TEST_F(IndexBulkTest, KeysSplitBetweenTheWorkerAndTheTableMakeTheSameFile) {
    auto make = [this](const char* name) {
        std::string path = dir_.file(name);
        EXPECT_EQ(createTable(path, kFields, kTypeCdx, 0), kOk);
        Handle h = test::openOrDie(path);
        int order = 0;
        EXPECT_EQ(createIndex(h, "", "DAYQTY", "DTOS(DAY)+STR(QTY,8)", "", 0, nullptr, &order),
                  kOk);
        EXPECT_EQ(createIndex(h, "", "LEFT2", "LEFT(NAME,2)", "", 0, nullptr, &order), kOk);
        EXPECT_EQ(createIndex(h, "", "QTY", "QTY", "", 0, nullptr, &order), kOk);
        EXPECT_EQ(closeTable(h), kOk);
        return path;
    };
    std::vector<Row> rows = randomRows(4000, 14);
    std::string byWorker = make("split.dbf"), inline_ = make("alone.dbf");
    fillWithAndWithoutWorker(byWorker, inline_, rows);
    EXPECT_EQ(checkIndexes(byWorker), kOk) << lastErrorString();
}

// A zap while the worker holds records it has not done drops them: the
// index has only the records appended after it.
TEST_F(IndexBulkTest, ZapWhileTheWorkerIsBusyLeavesOnlyTheNewKeys) {
    std::string path = makeIndexed("zapw.dbf", true), inserted = makeIndexed("zapi.dbf", true);
    std::vector<Row> rows = randomRows(2500, 12);
    Handle h = test::openOrDie(path);
    for (const Row& r : randomRows(4000, 13)) put(h, r);
    ASSERT_EQ(zap(h), kOk) << lastErrorString();
    for (const Row& r : rows) put(h, r);
    ASSERT_EQ(closeTable(h), kOk) << lastErrorString();
    fill(inserted, false, rows);
    EXPECT_EQ(walkAll(path), walkAll(inserted));
    EXPECT_EQ(checkIndexes(path), kOk) << lastErrorString();
}

// Only an empty table opened exclusively and writable keeps keys aside.
TEST_F(IndexBulkTest, KeysAreKeptOnlyForAnEmptyExclusiveTable) {
    std::string path = makeIndexed("who.dbf");
    auto bulkAfterOpen = [&](bool shared, bool readOnly) {
        std::unique_ptr<Table> t;
        OpenParams p;
        p.path = path;
        p.shared = shared;
        p.readOnly = readOnly;
        EXPECT_EQ(Table::open(p, &t), kOk);
        bool bulk = t->indexes().bulkActive();
        EXPECT_EQ(t->close(), kOk);
        return bulk;
    };
    EXPECT_TRUE(bulkAfterOpen(false, false));
    EXPECT_FALSE(bulkAfterOpen(true, false));
    EXPECT_FALSE(bulkAfterOpen(false, true));
    fill(path, true, randomRows(10, 8));
    EXPECT_FALSE(bulkAfterOpen(false, false));
}

TEST_F(IndexBulkTest, ZapStartsKeepingKeysAgainAndLeavesNoneFromBefore) {
    std::string path = makeIndexed("zap.dbf"), inserted = makeIndexed("inserted.dbf");
    fill(path, true, randomRows(500, 1));
    std::vector<Row> rows = randomRows(600, 2);
    Handle h = test::openOrDie(path);
    ASSERT_EQ(zap(h), kOk);
    for (const Row& r : rows) put(h, r);
    ASSERT_EQ(closeTable(h), kOk) << lastErrorString();
    fill(inserted, false, rows);
    EXPECT_EQ(walkAll(path), walkAll(inserted));
    EXPECT_EQ(checkIndexes(path), kOk) << lastErrorString();
}

// Anything that reads the trees in the middle of a refill sees every key
// appended so far; appends after it go key by key into the built trees, and
// a record changed after its append moves its keys.
TEST_F(IndexBulkTest, ReadsAndChangesInTheMiddleOfARefillSeeEveryKey) {
    std::vector<Row> rows = randomRows(1500, 3);
    auto refill = [&](const std::string& path, bool bulk) {
        Handle h = test::openOrDie(path);
        for (size_t i = 0; i < 700; ++i) {
            put(h, rows[i]);
            if (!bulk && i == 0) readTrees(h);
        }
        ASSERT_EQ(setOrderByName(h, "QTY"), kOk);
        uint32_t keys = 0;
        ASSERT_EQ(keyCount(h, &keys), kOk);
        EXPECT_EQ(keys, 700u);
        bool found = false;
        double qty = rows[10].qty;
        ASSERT_EQ(seek(h, std::string(reinterpret_cast<const char*>(&qty), 8), kKeyDouble, false,
                       false, &found),
                  kOk);
        EXPECT_TRUE(found);
        ASSERT_EQ(setOrder(h, 0), kOk);
        for (size_t i = 700; i < rows.size(); ++i) put(h, rows[i]);
        ASSERT_EQ(gotoRecord(h, 6), kOk);
        ASSERT_EQ(setString(h, 1, "CHANGED"), kOk);
        ASSERT_EQ(setDouble(h, 2, 499), kOk);
        ASSERT_EQ(closeTable(h), kOk) << lastErrorString();
    };
    for (bool fromBytes : {false, true}) {
        SCOPED_TRACE(fromBytes ? "keys from a worker" : "keys computed inline");
        std::string n = fromBytes ? "w" : "i";
        std::string path = makeIndexed(("mid" + n + ".dbf").c_str(), fromBytes),
                    inserted = makeIndexed(("inserted" + n + ".dbf").c_str(), fromBytes);
        refill(path, true);
        refill(inserted, false);
        EXPECT_EQ(walkAll(path), walkAll(inserted));
        EXPECT_EQ(checkIndexes(path), kOk) << lastErrorString();
    }
}

// The long passes of one call (the tags built as a refilled table closes,
// the index checked as it is first used) let a busy hook run every few
// hundred steps.
// The hook may read another table meanwhile, and it is never re-entered.
TEST_F(IndexBulkTest, LongPassesInsideOneCallLetTheBusyHookRun) {
    std::string path = makeIndexed("busy.dbf"), other = makeIndexed("other.dbf");
    fill(other, true, randomRows(50, 9));
    struct Watch {
        Handle other = kInvalidHandle;
        long calls = 0;
        long nested = 0;
        long otherRecords = 0;
    } watch;
    watch.other = test::openOrDie(other, kOpenShared | kOpenReadOnly);
    auto hook = [](void* context) {
        auto* w = static_cast<Watch*>(context);
        ++w->calls;
        for (unsigned i = 0; i <= kBusyStride; ++i) busyStep();  // would re-enter
        ++w->nested;
        uint32_t n = 0;
        if (recordCount(w->other, &n) == kOk && goTop(w->other) == kOk) w->otherRecords = n;
    };
    Handle h = test::openOrDie(path);
    setBusyHook(hook, &watch);
    for (const Row& r : randomRows(20000, 10)) put(h, r);
    const long beforeClose = watch.calls;
    ASSERT_EQ(closeTable(h), kOk) << lastErrorString();
    const long atClose = watch.calls - beforeClose;
    h = test::openOrDie(path);
    ASSERT_EQ(setOrder(h, 1), kOk) << lastErrorString();
    const long atFirstUse = watch.calls - beforeClose - atClose;
    ASSERT_EQ(closeTable(h), kOk);
    setBusyHook(nullptr, nullptr);
    ASSERT_EQ(closeTable(watch.other), kOk);
    // Five tags of 20,000 keys sorted, copied and written at close; every
    // page of them checked when the first order is set.
    EXPECT_GT(atClose, 5 * 20000 / long(kBusyStride));
    EXPECT_GT(atFirstUse, 0);
    EXPECT_EQ(watch.nested, watch.calls);
    EXPECT_EQ(watch.otherRecords, 50);
    EXPECT_EQ(checkIndexes(path), kOk) << lastErrorString();
}

// Keys in ascending, descending and random order give the same trees.
TEST_F(IndexBulkTest, KeyOrderOfTheAppendsDoesNotMatter) {
    std::vector<Row> rows = randomRows(3000, 4);
    std::vector<Row> sorted = rows;
    std::sort(sorted.begin(), sorted.end(),
              [](const Row& a, const Row& b) { return a.qty < b.qty; });
    std::vector<Row> reversed(sorted.rbegin(), sorted.rend());
    int round = 0;
    for (const auto* order : {&rows, &sorted, &reversed}) {
        std::string n = std::to_string(++round);
        std::string bulk = makeIndexed(("b" + n + ".dbf").c_str()),
                    inserted = makeIndexed(("i" + n + ".dbf").c_str());
        fill(bulk, true, *order);
        fill(inserted, false, *order);
        EXPECT_EQ(walkAll(bulk), walkAll(inserted));
        EXPECT_EQ(checkIndexes(bulk), kOk) << lastErrorString();
    }
}

// The trees are built at close, after the records are on disk. A write that
// fails anywhere in the close is reported by it, and the next open finds
// either an index holding every record's key or one that says it does not
// match its table: never one with keys missing passed off as whole.
TEST_F(IndexBulkTest, FailedWriteAtCloseIsReportedAndNoIndexPassesForWholeWithKeysMissing) {
    std::vector<Row> rows = randomRows(3000, 5);
    for (uint32_t nth = 1; nth <= 24; ++nth) {
        bool fromBytes = nth > 12;
        SCOPED_TRACE("write call " + std::to_string((nth - 1) % 12 + 1) + " of the close fails" +
                     (fromBytes ? ", keys from a worker" : ""));
        std::string path = makeIndexed(("fault" + std::to_string(nth) + ".dbf").c_str(), fromBytes);
        Handle h = test::openOrDie(path);
        for (const Row& r : rows) put(h, r);
        os::armWriteFault((nth - 1) % 12 + 1, os::kErrWriteFault, true);
        Status closed = closeTable(h);
        bool faulted = os::injectedFaultCount() > 0;
        os::disarmWriteFault();
        EXPECT_EQ(closed.ok(), !faulted);
        Handle again = test::openOrDie(path);
        uint32_t records = 0;
        ASSERT_EQ(recordCount(again, &records), kOk);
        Status set = setOrderByName(again, "QTY");
        if (set.ok()) {
            uint32_t keys = 0;
            ASSERT_EQ(keyCount(again, &keys), kOk);
            EXPECT_EQ(keys, records);
        } else {
            EXPECT_EQ(set, kCorruptIndex);
        }
        EXPECT_EQ(closeTable(again), kOk);
    }
}

}  // namespace
}  // namespace engine
