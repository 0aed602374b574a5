// Indexes seen through the table API: a tag created on a table follows
// appends, writes, deletes, zap and pack; navigation and seeks use it; the
// structural bag opens with the table.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/dbf_testutil.h"
#include "engine/engine.h"
#include "os/fault.h"

namespace engine {
namespace {
using test::lastErrorString;

class TableIndexTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.file("idx.dbf");
        ASSERT_EQ(createTable(path_, "NAME,C,8,0;QTY,N,6,0", kTypeCdx, 0), kOk);
        h_ = test::openOrDie(path_);
    }
    void TearDown() override {
        EXPECT_EQ(shutdown(), kOk);
        EXPECT_EQ(setDeleted(false), kOk);
    }
    void add(const char* name, double qty) {
        ASSERT_EQ(append(h_), kOk);
        ASSERT_EQ(setString(h_, 1, name), kOk);
        ASSERT_EQ(setDouble(h_, 2, qty), kOk);
    }
    // Names in the controlling order, top to bottom.
    std::vector<std::string> walk() {
        std::vector<std::string> out;
        bool eof = false;
        for ((void)goTop(h_), (void)atEof(h_, &eof); !eof;
             (void)skip(h_, 1), (void)atEof(h_, &eof)) {
            std::string s;
            EXPECT_EQ(getString(h_, 1, &s), kOk);
            out.push_back(s.substr(0, s.find(' ')));
        }
        return out;
    }
    std::string current() {
        std::string s;
        EXPECT_EQ(getString(h_, 1, &s), kOk);
        return s.substr(0, s.find(' '));
    }
    test::ScratchDir dir_;
    std::string path_;
    Handle h_ = 0;
};

TEST_F(TableIndexTest, TagFollowsAppendsWritesAndDeletes) {
    add("PEAR", 3);
    add("APPLE", 1);
    int order = 0;
    ASSERT_EQ(createIndex(h_, "", "NAME", "NAME", "", 0, nullptr, &order), kOk)
        << lastErrorString();
    EXPECT_EQ(order, 1);
    add("MANGO", 2);
    add("BANANA", 4);
    EXPECT_EQ(walk(), (std::vector<std::string>{"APPLE", "BANANA", "MANGO", "PEAR"}));
    EXPECT_EQ(gotoRecord(h_, 1), kOk);
    EXPECT_EQ(setString(h_, 1, "CHERRY"), kOk);  // PEAR becomes CHERRY
    EXPECT_EQ(walk(), (std::vector<std::string>{"APPLE", "BANANA", "CHERRY", "MANGO"}));
    bool found = false;
    ASSERT_EQ(seek(h_, "MAN", kKeyText, false, false, &found), kOk);
    EXPECT_TRUE(found);
    EXPECT_EQ(current(), "MANGO");
    ASSERT_EQ(seek(h_, "CZ", kKeyText, false, false, &found), kOk);
    EXPECT_FALSE(found);
    bool eof = false;
    EXPECT_EQ(atEof(h_, &eof), kOk);
    EXPECT_TRUE(eof);
    ASSERT_EQ(seek(h_, "CZ", kKeyText, true, false, &found), kOk);
    EXPECT_EQ(current(), "MANGO");  // soft seek: the next key
    EXPECT_EQ(deleteRecord(h_), kOk);
    EXPECT_EQ(setDeleted(true), kOk);
    EXPECT_EQ(walk(), (std::vector<std::string>{"APPLE", "BANANA", "CHERRY"}));
    ASSERT_EQ(seek(h_, "MANGO", kKeyText, false, false, &found), kOk);
    EXPECT_FALSE(found);  // hidden by the DELETED setting
    uint32_t keys = 0;
    EXPECT_EQ(keyCount(h_, &keys), kOk);
    EXPECT_EQ(keys, 4u);
}

// With deleted records hidden, a seek passes over hidden records of the key
// sought to a visible one of the same key, in either direction of the order
// and from either end of the matches.
TEST_F(TableIndexTest, SeekFindsAVisibleRecordBehindHiddenOnesOfTheSameKey) {
    const std::pair<const char*, double> rows[] = {{"FIG", 1},  {"KIWI", 2}, {"KIWI", 3},
                                                   {"KIWI", 4}, {"KIWI", 5}, {"LIME", 6}};
    for (const auto& [name, qty] : rows) add(name, qty);
    for (uint32_t deleted : {1u, 2u, 5u}) {
        ASSERT_EQ(gotoRecord(h_, deleted), kOk);
        ASSERT_EQ(deleteRecord(h_), kOk);
    }
    ASSERT_EQ(setDeleted(true), kOk);
    auto seekQty = [&](const char* key, bool soft, bool last, bool* found) {
        EXPECT_EQ(seek(h_, key, kKeyText, soft, last, found), kOk) << lastErrorString();
        double qty = 0;
        bool eof = false;
        EXPECT_EQ(atEof(h_, &eof), kOk);
        if (!eof) EXPECT_EQ(getDouble(h_, 2, &qty), kOk);
        return qty;
    };
    for (int flags : {0, kIndexDescending}) {
        SCOPED_TRACE(flags);
        int order = 0;
        ASSERT_EQ(createIndex(h_, "", flags ? "DNAME" : "NAME", "NAME", "", flags, nullptr, &order),
                  kOk)
            << lastErrorString();
        bool found = false;
        // KIWI is records 2 (hidden), 3, 4 and 5 (hidden); the descending
        // order runs through equal keys backwards too.
        EXPECT_EQ(seekQty("KIWI", false, false, &found), flags ? 4 : 3);
        EXPECT_TRUE(found);
        EXPECT_EQ(seekQty("KIWI", false, true, &found), flags ? 3 : 4);
        EXPECT_TRUE(found);
        // Every FIG is hidden: not found, and a soft seek lands on the next
        // visible record in the order.
        EXPECT_EQ(seekQty("FIG", false, false, &found), 0);
        EXPECT_FALSE(found);
        EXPECT_EQ(seekQty("FIG", true, false, &found), flags ? 0 : 3);
        EXPECT_FALSE(found);
    }
}

TEST_F(TableIndexTest, StructuralBagReopensAndNumericSeekWorks) {
    for (int i = 0; i < 500; ++i) add(("N" + std::to_string(i)).c_str(), (i * 37) % 500);
    int order = 0;
    ASSERT_EQ(createIndex(h_, "", "QTY", "QTY", "", 0, nullptr, &order), kOk) << lastErrorString();
    ASSERT_EQ(createIndex(h_, "", "NAME", "UPPER(NAME)", "", 0, nullptr, &order), kOk);
    EXPECT_EQ(closeTable(h_), kOk);
    EXPECT_EQ(uint8_t(test::readFile(path_)[28]) & 1, 1);  // header announces the bag
    h_ = test::openOrDie(path_);
    int count = 0;
    EXPECT_EQ(orderCount(h_, &count), kOk);
    EXPECT_EQ(count, 2);
    ASSERT_EQ(setOrderByName(h_, "qty"), kOk);
    double key = 111;
    bool found = false;
    ASSERT_EQ(seek(h_, std::string_view(reinterpret_cast<const char*>(&key), 8), kKeyDouble, false,
                   false, &found),
              kOk);
    EXPECT_TRUE(found);
    double qty = 0;
    EXPECT_EQ(getDouble(h_, 2, &qty), kOk);
    EXPECT_EQ(qty, 111);
    std::string tag;
    EXPECT_EQ(orderName(h_, 2, &tag), kOk);
    EXPECT_EQ(tag, "NAME");
    EXPECT_EQ(setOrder(h_, 3), kNoOrder);
    int cur = 0;
    EXPECT_EQ(currentOrder(h_, &cur), kOk);
    EXPECT_EQ(cur, 1);  // the previous order stays
    ASSERT_EQ(goBottom(h_), kOk);
    EXPECT_EQ(getDouble(h_, 2, &qty), kOk);
    EXPECT_EQ(qty, 499);
}

TEST_F(TableIndexTest, ZapEmptiesTagsAndPackRebuildsThem) {
    for (const char* n : {"D", "B", "A", "C", "E"}) add(n, 1);
    int order = 0;
    ASSERT_EQ(createIndex(h_, "", "NAME", "NAME", "", 0, nullptr, &order), kOk);
    EXPECT_EQ(gotoRecord(h_, 2), kOk);
    EXPECT_EQ(deleteRecord(h_), kOk);
    ASSERT_EQ(pack(h_), kOk) << lastErrorString();
    EXPECT_EQ(walk(), (std::vector<std::string>{"A", "C", "D", "E"}));
    uint32_t keys = 0;
    EXPECT_EQ(keyCount(h_, &keys), kOk);
    EXPECT_EQ(keys, 4u);
    ASSERT_EQ(zap(h_), kOk);
    EXPECT_EQ(keyCount(h_, &keys), kOk);
    EXPECT_EQ(keys, 0u);
    add("Z", 1);
    EXPECT_EQ(walk(), (std::vector<std::string>{"Z"}));
}

TEST_F(TableIndexTest, BadKeyExpressionChangesNothing) {
    add("A", 1);
    int order = 0;
    EXPECT_EQ(createIndex(h_, "", "BAD", "NAME +", "", 0, nullptr, &order), kBadExpression);
    EXPECT_EQ(createIndex(h_, "", "LONG", "REPLICATE(NAME, 40)", "", 0, nullptr, &order),
              kKeyTooLong);
    int count = 9;
    EXPECT_EQ(orderCount(h_, &count), kOk);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(closeTable(h_), kOk);
    EXPECT_EQ(uint8_t(test::readFile(path_)[28]) & 1, 0);
}

// Keys built with DTOC() follow the date format set through the API, and the
// driver's momentary "YYYYMMDD" switch around date reads and writes does not
// leak into them; SET EXACT reaches the comparisons of FOR conditions.
TEST_F(TableIndexTest, ExpressionKeysFollowTheEngineSettings) {
    const std::string path = dir_.file("dated.dbf");
    ASSERT_EQ(createTable(path, "NAME,C,8,0;DUE,D", kTypeCdx, 0), kOk);
    Handle h = test::openOrDie(path);
    ASSERT_EQ(setDateFormat("DD/MM/YYYY"), kOk);
    ASSERT_EQ(setExact(true), kOk);
    const char* names[] = {"AB", "ABC", "AB"};
    const char* dates[] = {"20191225", "20200102", "20180704"};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(append(h), kOk);
        ASSERT_EQ(setString(h, 1, names[i]), kOk);
        ASSERT_EQ(setDateFormat("YYYYMMDD"), kOk);
        ASSERT_EQ(setDate(h, 2, dates[i]), kOk);
        ASSERT_EQ(setDateFormat("DD/MM/YYYY"), kOk);
    }
    int order = 0;
    ASSERT_EQ(createIndex(h, "", "DUETXT", "DTOC(DUE)", "", 0, nullptr, &order), kOk)
        << lastErrorString();
    bool found = false;
    ASSERT_EQ(seek(h, "25/12/2019", kKeyText, false, false, &found), kOk);
    EXPECT_TRUE(found);
    ASSERT_EQ(createIndex(h, "", "ONLYAB", "NAME", "TRIM(NAME) = \"AB\"", 0, nullptr, &order), kOk)
        << lastErrorString();
    uint32_t keys = 0;
    ASSERT_EQ(keyCount(h, &keys), kOk);
    EXPECT_EQ(keys, 2u);  // with SET EXACT on, "ABC" = "AB" is false
    EXPECT_EQ(closeTable(h), kOk);
    EXPECT_EQ(setExact(false), kOk);
    EXPECT_EQ(setDateFormat("DD/MM/YY"), kOk);
}

// The index work of a session: a new tag, the existing tag built again under
// its own name, many appends (page splits), a flush and the close. Results
// are not looked at: under an injected fault any of them may fail.
void indexSession(const std::string& path) {
    Handle h = 0;
    if (!openTable(path, "", kTypeCdx, kOpenExclusive, &h).ok()) return;
    int order = 0;
    (void)createIndex(h, "", "BYQTY", "QTY", "", 0, nullptr, &order);
    (void)createIndex(h, "", "NAME", "NAME", "", 0, nullptr, &order);
    for (int i = 0; i < 300; ++i) {
        if (!append(h).ok()) break;
        (void)setString(h, 1, std::to_string((i * 7919) % 1000));
        (void)setDouble(h, 2, (i * 31) % 97);
    }
    (void)flush(h);
    (void)closeTable(h);
}

// Reopens the table after a faulted session: it opens, and each order either
// refuses navigation as stale or walks every record once in key order.
void expectBagOpensOrIsStale(const std::string& path) {
    Handle h = 0;
    ASSERT_EQ(openTable(path, "", kTypeCdx, kOpenExclusive, &h), kOk) << lastErrorString();
    uint32_t records = 0;
    ASSERT_EQ(recordCount(h, &records), kOk);
    int orders = 0;
    ASSERT_EQ(orderCount(h, &orders), kOk);
    for (int o = 1; o <= orders; ++o) {
        // A bag that opened stale refuses its orders until it is rebuilt.
        Status chosen = setOrder(h, o);
        if (chosen == kCorruptIndex) continue;
        ASSERT_EQ(chosen, kOk) << chosen.message();
        Status top = goTop(h);
        if (top == kCorruptIndex) continue;
        ASSERT_EQ(top, kOk) << top.message();
        std::string keyExpr;
        ASSERT_EQ(orderKey(h, o, &keyExpr), kOk);
        const bool byName = keyExpr == "NAME";  // else QTY
        double previous = -1e300;
        std::string previousName;
        uint32_t seen = 0;
        for (;;) {
            bool eof = false;
            ASSERT_EQ(atEof(h, &eof), kOk);
            if (eof) break;
            if (byName) {
                std::string name;
                ASSERT_EQ(getString(h, 1, &name), kOk);
                EXPECT_LE(previousName, name) << "order " << keyExpr << " out of key order";
                previousName = name;
            } else {
                double qty = 0;
                ASSERT_EQ(getDouble(h, 2, &qty), kOk);
                EXPECT_LE(previous, qty) << "order " << keyExpr << " out of key order";
                previous = qty;
            }
            ASSERT_LE(++seen, records) << "order " << o << " walks more records than the table has";
            Status step = skip(h, 1);
            if (step == kAtEof) break;
            ASSERT_EQ(step, kOk) << step.message();
        }
        EXPECT_EQ(seen, records) << "order " << keyExpr;
    }
    EXPECT_EQ(closeTable(h), kOk);
}

TEST_F(TableIndexTest, WriteFaultAnywhereInIndexWorkLeavesABagThatOpensOrIsStale) {
    for (int i = 0; i < 200; ++i) add(std::to_string((i * 104729) % 1000).c_str(), i % 50);
    int order = 0;
    ASSERT_EQ(createIndex(h_, "", "NAME", "NAME", "", 0, nullptr, &order), kOk)
        << lastErrorString();
    ASSERT_EQ(closeTable(h_), kOk);
    const std::string cdxPath = dir_.file("idx.cdx");
    const std::string dbf = test::readFile(path_), cdx = test::readFile(cdxPath);

    uint64_t start = os::writeCallCount();
    indexSession(path_);
    uint64_t writes = os::writeCallCount() - start;
    ASSERT_GT(writes, 10u);  // pages that follow each other go out in one call
    expectBagOpensOrIsStale(path_);

    for (bool persistent : {false, true}) {
        for (uint64_t nth = 1; nth <= writes; nth += (writes > 120 ? writes / 120 : 1)) {
            SCOPED_TRACE("write " + std::to_string(nth) + " of " + std::to_string(writes) +
                         (persistent ? ", for good" : ", once"));
            test::writeFile(path_, dbf);
            test::writeFile(cdxPath, cdx);
            os::armWriteFault(uint32_t(nth), os::kErrWriteFault, persistent);
            indexSession(path_);
            os::disarmWriteFault();
            expectBagOpensOrIsStale(path_);
            if (HasFatalFailure()) return;
        }
    }
}

}  // namespace
}  // namespace engine
