// Tests of IndexSet over an in-memory table: tags of every key type, FOR,
// unique and descending tags, navigation and seek, the change hooks checked
// against a std::multimap and the tree checker, zap, pack, stale and damaged
// bags.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>

#include "engine/cdx_bag.h"
#include "engine/cdx_check.h"
#include "engine/cdx_testutil.h"
#include "engine/engine.h"
#include "engine/expr_text.h"
#include "engine/index_set.h"
#include "runtime/dates.h"

namespace engine {
namespace {

using test::MemTable;
using test::TempDir;

class IndexSetTest : public ::testing::Test {
protected:
    IndexSetTest() : table_({"NAME,C,10", "QTY,N,8,2", "BORN,D,8", "OK,L,1", "ID,I,4"}) {}

    void open(uint32_t recordCount) {
        set_ = std::make_unique<IndexSet>();
        ASSERT_EQ(set_->openStructural(dir_.file("people.dbf"), table_.schema(), recordCount, {}),
                  kOk);
    }
    void open() { open(table_.recordCount()); }

    int create(const std::string& tag, const std::string& key, const std::string& forExpr = "",
               bool unique = false, bool descending = false) {
        int order = 0;
        Status r =
            set_->createTag("", tag, key, forExpr, unique, descending, table_, nullptr, &order);
        EXPECT_EQ(r, kOk);
        return order;
    }

    uint32_t add(const std::string& name, const std::string& qty, const std::string& born, bool ok,
                 int id) {
        uint32_t recno = table_.append({name, qty, born, ok ? "T" : "F", std::to_string(id)});
        EXPECT_EQ(set_->onAppend(table_.record(recno)), kOk);
        return recno;
    }

    void write(uint32_t recno, int field, const std::string& value) {
        ASSERT_EQ(set_->beforeWrite(table_.record(recno)), kOk);
        table_.set(recno, field, value);
        ASSERT_EQ(set_->afterWrite(table_.record(recno)), kOk);
    }

    void setDeleted(uint32_t recno, bool deleted) {
        ASSERT_EQ(set_->beforeWrite(table_.record(recno)), kOk);
        table_.setDeleted(recno, deleted);
        ASSERT_EQ(set_->afterWrite(table_.record(recno)), kOk);
    }

    // Record numbers of the controlling order, top to bottom, by skipping.
    std::vector<uint32_t> walk() {
        std::vector<uint32_t> out;
        uint32_t r = 0;
        EXPECT_EQ(set_->top(&r), kOk);
        while (r != 0 && out.size() <= table_.recordCount()) {
            out.push_back(r);
            EXPECT_EQ(set_->skip(table_.record(r), 1, &r), kOk);
        }
        return out;
    }

    std::vector<uint32_t> walkBack() {
        std::vector<uint32_t> out;
        uint32_t r = 0;
        EXPECT_EQ(set_->bottom(&r), kOk);
        while (r != 0 && out.size() <= table_.recordCount()) {
            out.insert(out.begin(), r);
            EXPECT_EQ(set_->skip(table_.record(r), -1, &r), kOk);
        }
        return out;
    }

    uint32_t seek(const std::string& key, bool soft = false, bool last = false,
                  bool* found = nullptr) {
        uint32_t r = 0;
        bool f = false;
        EXPECT_EQ(set_->seek(key, kKeyText, soft, last, false, nullptr, &r, &f), kOk);
        if (found) *found = f;
        return r;
    }

    uint32_t seekNumber(double v, bool soft = false) {
        std::string bytes(8, '\0');
        std::memcpy(bytes.data(), &v, 8);
        uint32_t r = 0;
        bool f = false;
        EXPECT_EQ(set_->seek(bytes, kKeyDouble, soft, false, false, nullptr, &r, &f), kOk);
        return r;
    }

    void checkBags() { ASSERT_EQ(set_->checkAll(), kOk); }

    void fillFive() {
        add("garcia", "10", "19800101", true, 5);
        add("Perez", "-2.5", "19750615", false, -3);
        add("alonso", "10", "", true, 7);
        add("Zapata", "0", "20010101", false, 0);
        add("perez", "99.99", "19750615", true, 100);
    }

    TempDir dir_;
    MemTable table_;
    std::unique_ptr<IndexSet> set_;
};

TEST_F(IndexSetTest, MissingStructualIndexOpensWithoutOrders) {
    open();
    EXPECT_FALSE(set_->hasStructural());
    EXPECT_EQ(set_->orderCount(), 0);
    uint32_t r;
    EXPECT_EQ(set_->top(&r), kNoOrder);
}

TEST_F(IndexSetTest, EveryKeyTypeOrdersTheRecords) {
    open();
    fillFive();
    create("NAME", "UPPER(name)");
    EXPECT_EQ(walk(), (std::vector<uint32_t>{3, 1, 2, 5, 4}));
    EXPECT_EQ(walkBack(), walk());
    create("QTY", "qty");
    EXPECT_EQ(walk(), (std::vector<uint32_t>{2, 4, 1, 3, 5}));
    create("BORN", "born");
    EXPECT_EQ(walk(), (std::vector<uint32_t>{3, 2, 5, 1, 4}));  // the empty date first
    create("OK", "ok");
    EXPECT_EQ(walk(), (std::vector<uint32_t>{2, 4, 1, 3, 5}));
    create("ID", "id");
    EXPECT_EQ(walk(), (std::vector<uint32_t>{2, 4, 1, 3, 5}));
    create("MIX", "STR(qty,8,2)+DTOS(born)");
    EXPECT_EQ(walk(), (std::vector<uint32_t>{4, 2, 3, 1, 5}));  // "    0.00" < "   -2.50"
    OrderInfo info;
    ASSERT_EQ(set_->orderInfo(5, &info), kOk);
    EXPECT_EQ(info.tag, "ID");
    EXPECT_EQ(info.keyType, 'I');
    EXPECT_EQ(info.keyLength, 4);
    EXPECT_EQ(set_->findOrder("qty "), 2);
    checkBags();
}

TEST_F(IndexSetTest, ForUniqueAndDescendingTags) {
    open();
    fillFive();
    create("OKS", "UPPER(name)", "ok .AND. .NOT. DELETED()");
    EXPECT_EQ(walk(), (std::vector<uint32_t>{3, 1, 5}));
    setDeleted(1, true);
    EXPECT_EQ(walk(), (std::vector<uint32_t>{3, 5}));
    setDeleted(1, false);
    EXPECT_EQ(walk(), (std::vector<uint32_t>{3, 1, 5}));
    create("UQ", "qty", "", true);
    EXPECT_EQ(walk(), (std::vector<uint32_t>{2, 4, 1, 5}));  // record 3 repeats 10
    uint32_t n = 0;
    ASSERT_EQ(set_->keyCount(&n), kOk);
    EXPECT_EQ(n, 4u);
    create("DESC", "UPPER(name)", "", false, true);
    EXPECT_EQ(walk(), (std::vector<uint32_t>{4, 5, 2, 1, 3}));
    EXPECT_EQ(walkBack(), walk());
    OrderInfo info;
    ASSERT_EQ(set_->orderInfo(3, &info), kOk);
    EXPECT_TRUE(info.descending);
    checkBags();
}

TEST_F(IndexSetTest, SeekFindsFirstLastAndSoftPositions) {
    open();
    fillFive();
    create("NAME", "UPPER(name)");
    bool found = false;
    EXPECT_EQ(seek("PEREZ", false, false, &found), 2u);
    EXPECT_TRUE(found);
    EXPECT_EQ(seek("PEREZ", false, true, &found), 5u);
    EXPECT_EQ(seek("PE", false, false, &found), 2u);  // a shorter key matches the key's start
    EXPECT_EQ(seek("H", false, false, &found), 0u);
    EXPECT_FALSE(found);
    EXPECT_EQ(seek("H", true, false, &found), 2u);  // soft: the next key
    EXPECT_FALSE(found);
    EXPECT_EQ(seek("ZZ", true), 0u);
    uint32_t r = 0;
    EXPECT_EQ(set_->seek("PE", kKeyText, false, false, true, nullptr, &r, &found),
              kOk);  // exact: "PE" + blanks
    EXPECT_FALSE(found);
    create("DESC", "UPPER(name)", "", false, true);
    EXPECT_EQ(seek("PEREZ"), 5u);  // first in descending order
    EXPECT_EQ(seek("PEREZ", false, true), 2u);
    EXPECT_EQ(seek("H", true), 1u);  // next in descending order: GARCIA
    create("QTY", "qty");
    EXPECT_EQ(seekNumber(10), 1u);
    EXPECT_EQ(seekNumber(11, true), 5u);
    EXPECT_EQ(set_->seek("10", kKeyText, false, false, false, nullptr, &r, &found), kTypeMismatch);
    create("BORN", "born");
    EXPECT_EQ(seekNumber(runtime::julianFromYmd(1980, 6, 15)), 0u);
    EXPECT_EQ(seekNumber(runtime::julianFromYmd(1980, 6, 15), true), 4u);
    EXPECT_EQ(seekNumber(runtime::julianFromYmd(1975, 6, 15)), 2u);
}

// Random appends, writes, deletes, zaps and packs; after each step every tag
// must hold exactly the keys of the records its FOR admits, in key order.
TEST_F(IndexSetTest, RandomChangesKeepEveryTagExact) {
    open();
    create("NAME", "UPPER(name)");
    create("QTY", "qty", "", false, true);
    create("LIVE", "DTOS(born)+STR(id,6)", ".NOT. DELETED()");
    create("OKNAME", "name", "ok");
    create("ID", "id", "", true);
    std::mt19937 rng(20240607);
    auto word = [&] {
        std::string s;
        for (int i = 0, n = 1 + static_cast<int>(rng() % 9); i < n; ++i)
            s += static_cast<char>('a' + rng() % 6);
        return s;
    };
    auto date = [&] {
        return rng() % 5 == 0 ? std::string()
                              : std::to_string(1990 + rng() % 30) + "0" +
                                    std::to_string(1 + rng() % 9) + "1" + std::to_string(rng() % 9);
    };
    for (int step = 0; step < 1500; ++step) {
        uint32_t count = table_.recordCount();
        int op = static_cast<int>(rng() % 100);
        if (op < 45 || count == 0) {
            add(word(), std::to_string(static_cast<int>(rng() % 200) - 100), date(), rng() % 2,
                static_cast<int>(rng() % 300));
        } else if (op < 80) {
            uint32_t r = 1 + rng() % count;
            int field = static_cast<int>(rng() % 5);
            std::string v = field == 0   ? word()
                            : field == 1 ? std::to_string(rng() % 50)
                            : field == 2 ? date()
                            : field == 3 ? (rng() % 2 ? "T" : "F")
                                         : std::to_string(rng() % 300);
            write(r, field, v);
        } else if (op < 97) {
            uint32_t r = 1 + rng() % count;
            setDeleted(r, !table_.deleted_[r - 1]);
        } else if (op < 99) {
            table_.pack();
            ASSERT_EQ(set_->rebuildAll(table_, nullptr), kOk);
        } else {
            table_.zap();
            ASSERT_EQ(set_->onZap(), kOk);
        }
        if (step % 100 != 99) continue;
        checkBags();
        for (int order = 1; order <= set_->orderCount(); ++order) {
            ASSERT_EQ(set_->setOrder(order), kOk);
            OrderInfo info;
            ASSERT_EQ(set_->orderInfo(order, &info), kOk);
            auto key = test::compiled(info.keyExpr, table_.schema());
            auto cond =
                info.forExpr.empty() ? nullptr : test::compiled(info.forExpr, table_.schema());
            CdxKeyFormat format;
            ASSERT_EQ(cdxKeyFormatFor(*key, table_.schema(), &format), kOk);
            std::multimap<std::string, uint32_t> model;
            for (uint32_t r = 1; r <= table_.recordCount(); ++r) {
                ExprValue ok;
                if (cond && cond->evaluate(table_.record(r), &ok).ok() && !ok.logical) continue;
                std::string k;
                ASSERT_EQ(cdxRecordKey(*key, format, table_.record(r), &k), kOk);
                if (info.unique && model.count(k)) continue;
                model.emplace(k, r);
            }
            std::vector<uint32_t> expected;
            for (auto& [k, r] : model) expected.push_back(r);
            if (info.descending) std::reverse(expected.begin(), expected.end());
            ASSERT_EQ(walk(), expected) << "order " << info.tag << " at step " << step;
        }
    }
}

TEST_F(IndexSetTest, TagsSurviveCloseAndReopen) {
    open();
    fillFive();
    create("NAME", "UPPER(name)");
    create("QTY", "qty", "qty > 0");
    ASSERT_EQ(set_->closeAll(), kOk);
    open();
    ASSERT_EQ(set_->orderCount(), 2);
    ASSERT_EQ(set_->setOrder(2), kOk);
    EXPECT_EQ(walk(), (std::vector<uint32_t>{1, 3, 5}));
    add("mora", "5", "", false, 1);
    EXPECT_EQ(walk(), (std::vector<uint32_t>{6, 1, 3, 5}));
}

TEST_F(IndexSetTest, StaleBagIsReportedAndZapRepairsIt) {
    open();
    fillFive();
    create("NAME", "UPPER(name)");
    ASSERT_EQ(set_->closeAll(), kOk);
    table_.append({"nuevo", "1", "", "F", "1"});  // appended without the index
    open();
    OrderInfo info;
    ASSERT_EQ(set_->orderInfo(1, &info), kOk);
    EXPECT_TRUE(info.stale);
    Status s = set_->setOrder(1);
    EXPECT_EQ(s, kCorruptIndex);
    EXPECT_NE(s.message().find("does not match its table"), std::string::npos);
    ASSERT_EQ(set_->rebuildAll(table_, nullptr), kOk);
    ASSERT_EQ(set_->setOrder(1), kOk);
    EXPECT_EQ(walk(), (std::vector<uint32_t>{3, 1, 6, 2, 5, 4}));
    table_.zap();
    ASSERT_EQ(set_->onZap(), kOk);
    EXPECT_EQ(walk(), std::vector<uint32_t>{});
    checkBags();
}

// An exclusive open leaves the check of a bag until it is first used, and
// then checks it against the record count it was opened with: an append
// first is measured against the table before that append.
TEST_F(IndexSetTest, ExclusiveBagsAreCheckedOnFirstUseAgainstTheirOpeningCount) {
    open();
    fillFive();
    create("NAME", "UPPER(name)");
    ASSERT_EQ(set_->closeAll(), kOk);
    open();
    uint32_t recno = table_.append({"nuevo", "1", "", "F", "1"});
    ASSERT_EQ(set_->onAppend(table_.record(recno)), kOk);
    OrderInfo info;
    ASSERT_EQ(set_->orderInfo(1, &info), kOk);
    EXPECT_FALSE(info.stale);
    ASSERT_EQ(set_->setOrder(1), kOk);
    EXPECT_EQ(walk(), (std::vector<uint32_t>{3, 1, 6, 2, 5, 4}));

    // The same append with the bag left out: the first use finds it stale.
    ASSERT_EQ(set_->closeAll(), kOk);
    table_.append({"otro", "1", "", "F", "1"});
    open();
    recno = table_.append({"mas", "1", "", "F", "1"});
    ASSERT_EQ(set_->onAppend(table_.record(recno)), kOk);
    ASSERT_EQ(set_->orderInfo(1, &info), kOk);
    EXPECT_TRUE(info.stale);
    EXPECT_EQ(set_->setOrder(1), kCorruptIndex);
}

TEST_F(IndexSetTest, BadExpressionsAndLongKeysChangeNothing) {
    open();
    fillFive();
    create("NAME", "UPPER(name)");
    ASSERT_EQ(set_->flush(), kOk);
    std::string before = test::readFileBytes(set_->structuralPath());
    int order = 0;
    Status s = set_->createTag("", "BAD", "UPPER(qty)", "", false, false, table_, nullptr, &order);
    EXPECT_EQ(s, kBadExpression);
    EXPECT_NE(s.message().find("must be character"), std::string::npos);
    EXPECT_EQ(
        set_->createTag("", "LONG", "name+SPACE(240)", "", false, false, table_, nullptr, &order),
        kKeyTooLong);
    EXPECT_EQ(set_->createTag("", "BADFOR", "name", "qty", false, false, table_, nullptr, &order),
              kBadExpression);
    EXPECT_EQ(set_->createTag("", "9X", "name", "", false, false, table_, nullptr, &order),
              kInvalidArgument);
    EXPECT_EQ(test::readFileBytes(set_->structuralPath()), before);
    EXPECT_EQ(set_->orderCount(), 1);
}

TEST_F(IndexSetTest, DamagedNodeIsReportedAndTheFileLeftAlone) {
    open();
    for (int i = 0; i < 3000; ++i) add("n" + std::to_string(i), std::to_string(i), "", true, i);
    create("NAME", "UPPER(name)");
    std::string path = set_->structuralPath();
    ASSERT_EQ(set_->closeAll(), kOk);
    // Point the tag's root (an interior node) at a child far outside the file.
    std::string bytes = test::readFileBytes(path);
    uint32_t tagHeader = 1536;
    uint32_t root = getU32le(reinterpret_cast<const uint8_t*>(bytes.data()) + tagHeader);
    ASSERT_EQ(bytes[root] & 2, 0) << "root should be interior";
    size_t childField = root + 12 + 10 + 4;
    bytes[childField] = '\x7F';
    test::writeFileBytes(path, bytes);
    open();
    OrderInfo info;
    ASSERT_EQ(set_->orderInfo(1, &info), kOk);
    EXPECT_TRUE(info.stale);
    EXPECT_EQ(set_->setOrder(1), kCorruptIndex);
    uint32_t n;
    Status s = set_->keyCountOf(1, &n);
    EXPECT_EQ(s, kCorruptIndex);
    EXPECT_NE(s.message().find("outside the file"), std::string::npos);
    ASSERT_EQ(set_->onAppend(table_.record(1)), kOk);  // a stale bag is not maintained
    ASSERT_EQ(set_->closeAll(), kOk);
    EXPECT_EQ(test::readFileBytes(path), bytes);
}

// A delete or recall is a change of the record like any other: the tags
// whose key or FOR condition reads DELETED() move with it.
TEST_F(IndexSetTest, DeleteAndRecallMoveDeletedAwareTags) {
    open();
    fillFive();
    create("LIVE", "UPPER(name)", ".NOT. DELETED()");
    create("FLAG", "IIF(DELETED(), 'D', 'L') + UPPER(name)");
    ASSERT_EQ(set_->beforeWrite(table_.record(2)), kOk);
    table_.setDeleted(2, true);
    ASSERT_EQ(set_->afterWrite(table_.record(2)), kOk);
    EXPECT_EQ(walk(), (std::vector<uint32_t>{2, 3, 1, 5, 4}));  // "D..." before "L..."
    ASSERT_EQ(set_->setOrder(1), kOk);
    EXPECT_EQ(walk(), (std::vector<uint32_t>{3, 1, 5, 4}));
    ASSERT_EQ(set_->beforeWrite(table_.record(2)), kOk);
    table_.setDeleted(2, false);
    ASSERT_EQ(set_->afterWrite(table_.record(2)), kOk);
    EXPECT_EQ(walk(), (std::vector<uint32_t>{3, 1, 2, 5, 4}));
    checkBags();
}

TEST_F(IndexSetTest, SharedReaderSeesAnotherWritersChangesAfterSync) {
    open();
    fillFive();
    create("NAME", "UPPER(name)");
    ASSERT_EQ(set_->closeAll(), kOk);
    IndexOpenMode shared{false, true};
    IndexSet writer, reader;
    ASSERT_EQ(writer.openStructural(dir_.file("people.dbf"), table_.schema(), 5, shared), kOk);
    ASSERT_EQ(reader.openStructural(dir_.file("people.dbf"), table_.schema(), 5, shared), kOk);
    ASSERT_EQ(reader.setOrder(1), kOk);
    uint32_t r = 0;
    ASSERT_EQ(reader.top(&r), kOk);
    EXPECT_EQ(r, 3u);
    for (int i = 0; i < 2000; ++i) {  // enough for the root to split
        uint32_t recno = table_.append({"aa" + std::to_string(i), "1", "", "T", "1"});
        ASSERT_EQ(writer.onAppend(table_.record(recno)), kOk);
    }
    ASSERT_EQ(writer.flush(), kOk);
    ASSERT_EQ(reader.sync(), kOk);
    ASSERT_EQ(reader.top(&r), kOk);
    EXPECT_EQ(r, 6u);  // "AA0"
    uint32_t n = 0;
    ASSERT_EQ(reader.keyCount(&n), kOk);
    EXPECT_EQ(n, 2005u);
}

TEST_F(IndexSetTest, ProgressReachesTheTotalAndNamedBagsOpen) {
    open();
    for (int i = 0; i < 1000; ++i) add("x" + std::to_string(i % 37), "1", "", true, i);
    std::vector<uint32_t> calls;
    int order = 0;
    ASSERT_EQ(set_->createTag(
                  dir_.file("extra"), "X", "name", "", false, false, table_,
                  [&](uint32_t done, uint32_t total) {
                      calls.push_back(done);
                      EXPECT_EQ(total, 1000u);
                  },
                  &order),
              kOk);
    ASSERT_FALSE(calls.empty());
    EXPECT_LE(calls.size(), 101u);
    EXPECT_EQ(calls.back(), 1000u);
    EXPECT_FALSE(set_->hasStructural());
    ASSERT_EQ(set_->closeAll(), kOk);
    open();
    EXPECT_EQ(set_->orderCount(), 0);
    EXPECT_EQ(set_->openBag(dir_.file("extra"), table_.schema(), table_.recordCount(), {}), kOk);
    EXPECT_EQ(set_->openBag(dir_.file("extra.cdx"), table_.schema(), table_.recordCount(), {}),
              kIndexAlreadyOpen);
    EXPECT_EQ(set_->openBag(dir_.file("none"), table_.schema(), table_.recordCount(), {}),
              kNotFound);
    EXPECT_EQ(set_->findOrder("x"), 1);
}

}  // namespace
}  // namespace engine
