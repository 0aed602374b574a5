// Indexes seen through the table API: a tag created on a table follows
// appends, writes, deletes, zap and pack; navigation and seeks use it; the
// structural bag opens with the table.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/dbf_testutil.h"
#include "engine/engine.h"

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
        shutdown();
        setDeleted(false);
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
        for (goTop(h_), atEof(h_, &eof); !eof; skip(h_, 1), atEof(h_, &eof)) {
            std::string s;
            getString(h_, 1, &s);
            out.push_back(s.substr(0, s.find(' ')));
        }
        return out;
    }
    std::string current() {
        std::string s;
        getString(h_, 1, &s);
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
    gotoRecord(h_, 1);
    setString(h_, 1, "CHERRY");  // PEAR becomes CHERRY
    EXPECT_EQ(walk(), (std::vector<std::string>{"APPLE", "BANANA", "CHERRY", "MANGO"}));
    bool found = false;
    ASSERT_EQ(seek(h_, "MAN", kKeyText, false, false, &found), kOk);
    EXPECT_TRUE(found);
    EXPECT_EQ(current(), "MANGO");
    ASSERT_EQ(seek(h_, "CZ", kKeyText, false, false, &found), kOk);
    EXPECT_FALSE(found);
    bool eof = false;
    atEof(h_, &eof);
    EXPECT_TRUE(eof);
    ASSERT_EQ(seek(h_, "CZ", kKeyText, true, false, &found), kOk);
    EXPECT_EQ(current(), "MANGO");  // soft seek: the next key
    deleteRecord(h_);
    setDeleted(true);
    EXPECT_EQ(walk(), (std::vector<std::string>{"APPLE", "BANANA", "CHERRY"}));
    ASSERT_EQ(seek(h_, "MANGO", kKeyText, false, false, &found), kOk);
    EXPECT_FALSE(found);  // hidden by the DELETED setting
    uint32_t keys = 0;
    keyCount(h_, &keys);
    EXPECT_EQ(keys, 4u);
}

TEST_F(TableIndexTest, StructuralBagReopensAndNumericSeekWorks) {
    for (int i = 0; i < 500; ++i) add(("N" + std::to_string(i)).c_str(), (i * 37) % 500);
    int order = 0;
    ASSERT_EQ(createIndex(h_, "", "QTY", "QTY", "", 0, nullptr, &order), kOk) << lastErrorString();
    ASSERT_EQ(createIndex(h_, "", "NAME", "UPPER(NAME)", "", 0, nullptr, &order), kOk);
    closeTable(h_);
    EXPECT_EQ(uint8_t(test::readFile(path_)[28]) & 1, 1);  // header announces the bag
    h_ = test::openOrDie(path_);
    int count = 0;
    orderCount(h_, &count);
    EXPECT_EQ(count, 2);
    ASSERT_EQ(setOrderByName(h_, "qty"), kOk);
    double key = 111;
    bool found = false;
    ASSERT_EQ(seek(h_, std::string_view(reinterpret_cast<const char*>(&key), 8), kKeyDouble, false,
                   false, &found),
              kOk);
    EXPECT_TRUE(found);
    double qty = 0;
    getDouble(h_, 2, &qty);
    EXPECT_EQ(qty, 111);
    std::string tag;
    orderName(h_, 2, &tag);
    EXPECT_EQ(tag, "NAME");
    EXPECT_EQ(setOrder(h_, 3), kNoOrder);
    int cur = 0;
    currentOrder(h_, &cur);
    EXPECT_EQ(cur, 1);  // the previous order stays
    ASSERT_EQ(goBottom(h_), kOk);
    getDouble(h_, 2, &qty);
    EXPECT_EQ(qty, 499);
}

TEST_F(TableIndexTest, ZapEmptiesTagsAndPackRebuildsThem) {
    for (const char* n : {"D", "B", "A", "C", "E"}) add(n, 1);
    int order = 0;
    ASSERT_EQ(createIndex(h_, "", "NAME", "NAME", "", 0, nullptr, &order), kOk);
    gotoRecord(h_, 2);
    deleteRecord(h_);
    ASSERT_EQ(pack(h_), kOk) << lastErrorString();
    EXPECT_EQ(walk(), (std::vector<std::string>{"A", "C", "D", "E"}));
    uint32_t keys = 0;
    keyCount(h_, &keys);
    EXPECT_EQ(keys, 4u);
    ASSERT_EQ(zap(h_), kOk);
    keyCount(h_, &keys);
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
    orderCount(h_, &count);
    EXPECT_EQ(count, 0);
    closeTable(h_);
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
    ASSERT_EQ(createIndex(h, "", "ONLYAB", "NAME", "TRIM(NAME) = \"AB\"", 0, nullptr, &order),
              kOk)
        << lastErrorString();
    uint32_t keys = 0;
    ASSERT_EQ(keyCount(h, &keys), kOk);
    EXPECT_EQ(keys, 2u);  // with SET EXACT on, "ABC" = "AB" is false
    closeTable(h);
    setExact(false);
    setDateFormat("DD/MM/YY");
}

}  // namespace
}  // namespace engine
