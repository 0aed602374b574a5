// Tables through the public API: create, write every type, reopen, blank
// reads, navigation with hidden deleted records, memos, zap, pack, errors.
#include <gtest/gtest.h>

#include <vector>

#include "engine/dbf_testutil.h"
#include "engine/engine.h"

namespace engine {
namespace {
using test::lastErrorString;

class TableTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_EQ(shutdown(), kOk);
        EXPECT_EQ(setDeleted(false), kOk);
    }
    std::string makeTable(std::string_view fields, const char* name = "t") {
        std::string p = dir_.file(std::string(name) + ".dbf");
        EXPECT_EQ(createTable(p, fields, kTypeCdx, 0), kOk) << lastErrorString();
        return p;
    }
    // Appends records whose first field (C) holds the given texts.
    void appendNames(Handle h, std::initializer_list<const char*> names) {
        for (const char* n : names) {
            ASSERT_EQ(append(h), kOk);
            ASSERT_EQ(setString(h, 1, n), kOk);
        }
    }
    std::string name(Handle h) {
        std::string v;
        EXPECT_EQ(getString(h, 1, &v), kOk);
        return v;
    }
    uint32_t recno(Handle h) {
        uint32_t n = 0;
        EXPECT_EQ(recordNumber(h, &n), kOk);
        return n;
    }
    bool eof(Handle h) {
        bool e = false;
        EXPECT_EQ(atEof(h, &e), kOk);
        return e;
    }
    bool bof(Handle h) {
        bool b = false;
        EXPECT_EQ(atBof(h, &b), kOk);
        return b;
    }
    test::ScratchDir dir_;
};

TEST_F(TableTest, EveryTypeSurvivesCloseAndReopen) {
    std::string p = makeTable("NAME,C,10,0;QTY,N,8,2;OK,L;DAY,D;NOTE,M;CNT,I;DBL,B;PRICE,Y;WHEN,T");
    Handle h = test::openOrDie(p);
    ASSERT_EQ(append(h), kOk);
    ASSERT_EQ(setString(h, 1, "Alfa"), kOk);
    ASSERT_EQ(setDouble(h, 2, -12.5), kOk);
    ASSERT_EQ(setLogical(h, 3, true), kOk);
    ASSERT_EQ(setDate(h, 4, "20240229"), kOk);
    ASSERT_EQ(setString(h, 5, "a memo\r\nof two lines"), kOk);
    ASSERT_EQ(setDouble(h, 6, 42), kOk);
    ASSERT_EQ(setDouble(h, 7, 0.25), kOk);
    ASSERT_EQ(setDouble(h, 8, 12.4301), kOk);
    ASSERT_EQ(setDate(h, 9, "20000101"), kOk);
    ASSERT_EQ(closeTable(h), kOk);

    h = test::openOrDie(p);
    uint32_t n = 0;
    ASSERT_EQ(recordCount(h, &n), kOk);
    EXPECT_EQ(n, 1u);
    std::string s;
    double d = 0;
    bool b = false;
    EXPECT_EQ(name(h), "Alfa      ");
    EXPECT_EQ(getDouble(h, 2, &d), kOk);
    EXPECT_EQ(d, -12.5);
    EXPECT_EQ(getLogical(h, 3, &b), kOk);
    EXPECT_TRUE(b);
    EXPECT_EQ(getDate(h, 4, &s), kOk);
    EXPECT_EQ(s, "20240229");
    EXPECT_EQ(getMemo(h, 5, &s), kOk);
    EXPECT_EQ(s, "a memo\r\nof two lines");
    uint32_t len = 0;
    EXPECT_EQ(getMemoLength(h, 5, &len), kOk);
    EXPECT_EQ(len, 20u);
    EXPECT_EQ(getDouble(h, 6, &d), kOk);
    EXPECT_EQ(d, 42);
    EXPECT_EQ(getDouble(h, 7, &d), kOk);
    EXPECT_EQ(d, 0.25);
    EXPECT_EQ(getDouble(h, 8, &d), kOk);
    EXPECT_DOUBLE_EQ(d, 12.4301);
    EXPECT_EQ(getDate(h, 9, &s), kOk);
    EXPECT_EQ(s, "20000101");
    char type = 0;
    int width = 0;
    EXPECT_EQ(fieldType(h, 5, &type), kOk);
    EXPECT_EQ(fieldLength(h, 5, &width), kOk);
    EXPECT_EQ(type, 'M');
    EXPECT_EQ(width, 4);  // the newer format stores 4-byte memo pointers
}

TEST_F(TableTest, BlankValuesAndThePhantomRecord) {
    std::string p = makeTable("NAME,C,5,0;QTY,N,5,0;OK,L;DAY,D;NOTE,M");
    Handle h = test::openOrDie(p);
    ASSERT_EQ(append(h), kOk);
    double d = 1;
    bool b = true;
    std::string s = "x";
    EXPECT_EQ(getDouble(h, 2, &d), kOk);
    EXPECT_EQ(d, 0);
    EXPECT_EQ(getLogical(h, 3, &b), kOk);
    EXPECT_FALSE(b);
    EXPECT_EQ(getDate(h, 4, &s), kOk);
    EXPECT_EQ(s, "");
    EXPECT_EQ(getMemo(h, 5, &s), kOk);
    EXPECT_EQ(s, "");
    ASSERT_EQ(skip(h, 1), kAtEof);
    EXPECT_TRUE(eof(h));
    EXPECT_EQ(recno(h), 2u);
    EXPECT_EQ(getLogical(h, 3, &b), kAtEof);
    EXPECT_FALSE(b);
    EXPECT_EQ(getMemo(h, 5, &s), kAtEof);
    EXPECT_EQ(s, "");
    EXPECT_EQ(setString(h, 1, "x"), kAtEof);  // nothing is written on the phantom
    EXPECT_EQ(name(h), "     ");
    ASSERT_EQ(gotoRecord(h, 99), kOk);
    EXPECT_TRUE(eof(h));
    EXPECT_EQ(recno(h), 2u);
}

TEST_F(TableTest, NavigationHidesDeletedRecordsWhenAsked) {
    std::string p = makeTable("NAME,C,5,0");
    Handle h = test::openOrDie(p);
    appendNames(h, {"A", "B", "C", "D"});
    EXPECT_EQ(gotoRecord(h, 1), kOk);
    EXPECT_EQ(deleteRecord(h), kOk);
    EXPECT_EQ(gotoRecord(h, 4), kOk);
    EXPECT_EQ(deleteRecord(h), kOk);
    EXPECT_EQ(setDeleted(true), kOk);
    ASSERT_EQ(goTop(h), kOk);
    EXPECT_EQ(recno(h), 2u);
    ASSERT_EQ(goBottom(h), kOk);
    EXPECT_EQ(recno(h), 3u);
    EXPECT_EQ(skip(h, 1), kAtEof);
    EXPECT_TRUE(eof(h));
    ASSERT_EQ(skip(h, -1), kOk);  // back from the end: the last visible record
    EXPECT_EQ(recno(h), 3u);
    ASSERT_EQ(skip(h, -5), kOk);  // before the first: stays on it with bof
    EXPECT_TRUE(bof(h));
    EXPECT_EQ(recno(h), 2u);
    uint32_t n = 0;
    EXPECT_EQ(recordCount(h, &n), kOk);
    EXPECT_EQ(n, 4u);  // deleted records still count
    EXPECT_EQ(gotoRecord(h, 2), kOk);
    EXPECT_EQ(deleteRecord(h), kOk);
    EXPECT_EQ(gotoRecord(h, 3), kOk);
    EXPECT_EQ(deleteRecord(h), kOk);
    ASSERT_EQ(goTop(h), kOk);
    EXPECT_TRUE(eof(h));
    EXPECT_EQ(setDeleted(false), kOk);
    ASSERT_EQ(goTop(h), kOk);
    EXPECT_EQ(recno(h), 1u);
    bool del = false;
    EXPECT_EQ(isDeleted(h, &del), kOk);
    EXPECT_TRUE(del);
    ASSERT_EQ(recall(h), kOk);
    EXPECT_EQ(isDeleted(h, &del), kOk);
    EXPECT_FALSE(del);
}

TEST_F(TableTest, MemoReplacedInPlaceWhenItFitsElseAppended) {
    std::string p = makeTable("NOTE,M");
    std::string memo = dir_.file("t.fpt");
    Handle h = test::openOrDie(p);
    ASSERT_EQ(append(h), kOk);
    ASSERT_EQ(setString(h, 1, std::string(40, 'a')), kOk);  // 48 bytes: one 64-byte block
    EXPECT_EQ(flush(h), kOk);
    size_t size1 = test::fileSize(memo);  // the file is open: no reading on Windows
    ASSERT_EQ(setString(h, 1, std::string(56, 'b')), kOk);  // 64 bytes: still one block
    EXPECT_EQ(flush(h), kOk);
    EXPECT_EQ(test::fileSize(memo), size1);
    ASSERT_EQ(setString(h, 1, std::string(100, 'c')), kOk);  // two blocks: appended
    EXPECT_EQ(flush(h), kOk);
    EXPECT_EQ(test::fileSize(memo), size1 + 128);
    std::string s;
    ASSERT_EQ(getMemo(h, 1, &s), kOk);
    EXPECT_EQ(s, std::string(100, 'c'));
    ASSERT_EQ(setString(h, 1, ""), kOk);
    ASSERT_EQ(getMemo(h, 1, &s), kOk);
    EXPECT_EQ(s, "");
}

TEST_F(TableTest, ZapEmptiesTableAndMemo) {
    std::string p = makeTable("NAME,C,5,0;NOTE,M");
    Handle h = test::openOrDie(p);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(append(h), kOk);
        EXPECT_EQ(setString(h, 2, std::string(300, 'x')), kOk);
    }
    ASSERT_EQ(zap(h), kOk) << lastErrorString();
    uint32_t n = 9;
    EXPECT_EQ(recordCount(h, &n), kOk);
    EXPECT_EQ(n, 0u);
    EXPECT_TRUE(eof(h));
    EXPECT_EQ(closeTable(h), kOk);
    EXPECT_EQ(test::readFile(dir_.file("t.fpt")).size(), 512u);
    std::string dbf = test::readFile(p);
    EXPECT_EQ(test::fileU32(p, 4), 0u);
    EXPECT_EQ(uint8_t(dbf.back()), 0x1A);
    h = test::openOrDie(p, kOpenShared);
    EXPECT_EQ(zap(h), kExclusiveRequired);
}

TEST_F(TableTest, PackKeepsLiveRecordsInOrderWithTheirMemos) {
    std::string p = makeTable("NAME,C,5,0;NOTE,M");
    Handle h = test::openOrDie(p);
    for (int i = 1; i <= 2000; ++i) {
        EXPECT_EQ(append(h), kOk);
        EXPECT_EQ(setString(h, 1, std::to_string(i)), kOk);
        EXPECT_EQ(setString(h, 2, "memo " + std::to_string(i)), kOk);
        if (i % 3 == 0) {
            EXPECT_EQ(deleteRecord(h), kOk);
        }
    }
    ASSERT_EQ(pack(h), kOk) << lastErrorString();
    uint32_t n = 0;
    EXPECT_EQ(recordCount(h, &n), kOk);
    EXPECT_EQ(n, 1334u);
    EXPECT_EQ(closeTable(h), kOk);
    h = test::openOrDie(p);
    int expect = 1;
    for ((void)goTop(h); !eof(h); (void)skip(h, 1)) {
        if (expect % 3 == 0) ++expect;
        std::string s;
        EXPECT_EQ(getMemo(h, 2, &s), kOk);
        ASSERT_EQ(s, "memo " + std::to_string(expect));
        ++expect;
    }
    EXPECT_EQ(closeTable(h), kOk);
    EXPECT_EQ(test::readFile(p).size(), size_t(test::fileU32(p, 8) & 0xFFFF) + 1334u * 16u + 1u);
}

// Pack leaves a memo file holding the live memos only, one after the
// other from the first block: memos of removed records, old copies of
// memos that grew, and a leading run already in place all handled; the
// block types of the items are kept.
TEST_F(TableTest, PackCutsTheMemoFileToTheLiveMemos) {
    std::string p = makeTable("NAME,C,5,0;NOTE,M;MORE,M");
    std::string fpt = p.substr(0, p.size() - 4) + ".fpt";
    Handle h = test::openOrDie(p);
    std::vector<std::string> want;
    for (int i = 1; i <= 300; ++i) {
        EXPECT_EQ(append(h), kOk);
        std::string note = std::string(size_t(i % 7) * 40, char('a' + i % 26)) + std::to_string(i);
        EXPECT_EQ(setString(h, 1, std::to_string(i)), kOk);
        EXPECT_EQ(setString(h, 2, note), kOk);
        if (i % 5 == 0) {
            EXPECT_EQ(setString(h, 3, std::string(700, 'z')), kOk);
        }
        if (i % 4 == 0) {
            EXPECT_EQ(setString(h, 2, note + std::string(200, '+')),
                      kOk);  // grows: moves to the end
        }
        if (i % 3 == 0 && i > 20) {
            EXPECT_EQ(deleteRecord(h), kOk);
        } else
            want.push_back(i % 4 == 0 ? note + std::string(200, '+') : note);
    }
    EXPECT_EQ(flush(h), kOk);
    uint64_t before = test::fileSize(fpt);
    ASSERT_EQ(pack(h), kOk) << lastErrorString();
    // Live items: 8 bytes of prefix plus the text, in 64-byte blocks.
    uint64_t blocks = 0;
    for ((void)goTop(h); !eof(h); (void)skip(h, 1)) {
        for (int f = 2; f <= 3; ++f) {
            uint32_t len = 0;
            ASSERT_EQ(getMemoLength(h, f, &len), kOk);
            if (len > 0) blocks += (8 + len + 63) / 64;
        }
    }
    EXPECT_EQ(closeTable(h), kOk);
    uint64_t after = test::fileSize(fpt);
    EXPECT_LT(after, before);
    EXPECT_EQ(after, 512 + blocks * 64);
    std::string head = test::readFile(fpt).substr(0, 4);
    uint32_t nextFree = 0;
    for (char c : head) nextFree = nextFree << 8 | uint8_t(c);  // big-endian
    EXPECT_EQ(nextFree, uint32_t(after / 64));
    h = test::openOrDie(p);
    size_t k = 0;
    for ((void)goTop(h); !eof(h); (void)skip(h, 1), ++k) {
        std::string s;
        ASSERT_LT(k, want.size());
        ASSERT_EQ(getMemo(h, 2, &s), kOk);
        EXPECT_EQ(s, want[k]) << "record " << recno(h);
    }
    EXPECT_EQ(k, want.size());
    // Memos written after the pack go after the live ones.
    EXPECT_EQ(goTop(h), kOk);
    ASSERT_EQ(setString(h, 3, "after the pack"), kOk);
    EXPECT_EQ(closeTable(h), kOk);
    EXPECT_EQ(test::fileSize(fpt), after + 64);
}

// A memo pointer outside the file: the records are packed, the memo file is
// left as it was (nothing of it can be trusted to move).
TEST_F(TableTest, PackLeavesADamagedMemoFileAlone) {
    std::string p = makeTable("NAME,C,5,0;NOTE,M");
    std::string fpt = p.substr(0, p.size() - 4) + ".fpt";
    Handle h = test::openOrDie(p);
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(append(h), kOk);
        EXPECT_EQ(setString(h, 2, std::string(100, 'm')), kOk);
        if (i == 2) {
            EXPECT_EQ(deleteRecord(h), kOk);
        }
    }
    EXPECT_EQ(closeTable(h), kOk);
    std::string bytes = test::readFile(p);
    size_t rec4 = size_t(test::fileU32(p, 8) & 0xFFFF) + 3 * 16;
    bytes.replace(rec4 + 6, 10, "    999999");  // record 4's memo pointer, far outside
    test::writeFile(p, bytes);
    std::string memoBefore = test::readFile(fpt);
    h = test::openOrDie(p);
    ASSERT_EQ(pack(h), kOk) << lastErrorString();
    uint32_t n = 0;
    EXPECT_EQ(recordCount(h, &n), kOk);
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(closeTable(h), kOk);
    EXPECT_EQ(test::readFile(fpt), memoBefore);
}

TEST_F(TableTest, WrongTypesReadOnlyAndBadHandlesAreErrors) {
    std::string p = makeTable("NAME,C,5,0;QTY,N,3,0");
    Handle h = test::openOrDie(p);
    EXPECT_EQ(append(h), kOk);
    EXPECT_EQ(setDouble(h, 1, 1.0), kTypeMismatch);
    EXPECT_EQ(setString(h, 2, "abc"), kTypeMismatch);
    EXPECT_EQ(setDouble(h, 2, 1234), kValueTooWide);
    EXPECT_EQ(setString(h, 3, "x"), kFieldNotFound);
    EXPECT_EQ(lastError().code(), kFieldNotFound);
    EXPECT_FALSE(lastError().message().empty());
    ASSERT_EQ(setString(h, 1, "ok"), kOk);
    EXPECT_EQ(lastError().code(), kOk);  // the last error describes the latest call
    EXPECT_EQ(closeTable(h), kOk);
    EXPECT_EQ(goTop(h), kInvalidHandle);
    h = test::openOrDie(p, kOpenExclusive | kOpenReadOnly);
    EXPECT_EQ(setString(h, 1, "no"), kReadOnly);
    EXPECT_EQ(append(h), kReadOnly);
    Handle missing = 0;
    EXPECT_EQ(openTable(dir_.file("nothere"), "", kTypeCdx, kOpenExclusive, &missing), kNotFound);
    EXPECT_EQ(createTable(dir_.file("bad"), "NAME,C,300,0", kTypeCdx, 0), kInvalidArgument);
    EXPECT_EQ(createTable(dir_.file("bad"), "NAME,C,5,0;NAME,N,3,0", kTypeCdx, 0),
              kInvalidArgument);
}

TEST_F(TableTest, ExtensionAddedAndSecondExclusiveOpenRefused) {
    makeTable("NAME,C,5,0", "Diario");
    Handle a = 0, b = 0;
    ASSERT_EQ(openTable(dir_.file("Diario"), "", kTypeCdx, kOpenExclusive, &a), kOk);
    EXPECT_EQ(openTable(dir_.file("Diario"), "", kTypeCdx, kOpenShared, &b), kLocked);
    EXPECT_EQ(closeTable(a), kOk);
    ASSERT_EQ(openTable(dir_.file("Diario"), "", kTypeCdx, kOpenShared, &a), kOk);
    ASSERT_EQ(openTable(dir_.file("Diario"), "", kTypeCdx, kOpenShared, &b), kOk);
    EXPECT_EQ(pack(b), kExclusiveRequired);
}

TEST_F(TableTest, LockListComesInBatchesWithMoreLocksResult) {
    std::string p = makeTable("NAME,C,5,0");
    Handle h = test::openOrDie(p);
    appendNames(h, {"A", "B", "C", "D", "E", "F", "G"});
    EXPECT_EQ(closeTable(h), kOk);
    h = test::openOrDie(p, kOpenShared);
    for (uint32_t r = 1; r <= 7; ++r) ASSERT_EQ(lockRecord(h, r), kOk);
    uint32_t list[5];
    uint16_t n = 0;
    ASSERT_EQ(lockedRecords(h, list, 5, &n), kMoreLocks);
    ASSERT_EQ(n, 5);
    EXPECT_EQ(list[0], 1u);
    for (uint16_t i = 0; i < n; ++i) EXPECT_EQ(unlockRecord(h, list[i]), kOk);
    ASSERT_EQ(lockedRecords(h, list, 5, &n), kOk);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(unlockRecord(h, 1), kRecordNotLocked);
    EXPECT_EQ(unlockTable(h), kTableNotLocked);
    ASSERT_EQ(lockRecord(h, 3), kOk);
    ASSERT_EQ(lockTable(h), kOk);  // over a record lock of our own
    EXPECT_EQ(unlockTable(h), kOk);
    ASSERT_EQ(lockedRecords(h, list, 5, &n), kOk);
    EXPECT_EQ(n, 0);
}

TEST_F(TableTest, DbtMemosReadAndAreNotWritten) {
    // A dBASE III table: NAME C(5), NOTE M(10); memos in 512-byte blocks
    // ending at 0x1A, and one in the dBASE IV form with a length prefix.
    std::string h(32, '\0');
    h[0] = char(0x83);
    h[4] = 3;
    h[8] = char(32 + 64 + 1);
    h[10] = 16;
    auto field = [](const char* name, char type, int len) {
        std::string d(32, '\0');
        for (int i = 0; name[i]; ++i) d[size_t(i)] = name[i];
        d[11] = type;
        d[16] = char(len);
        return d;
    };
    std::string dbf = h + field("NAME", 'C', 5) + field("NOTE", 'M', 10) + "\r" +
                      " ONE           1" + " TWO           2" + " THREE          " + "\x1A";
    std::string dbt(512 * 3, '\0');
    dbt[0] = 3;
    dbt.replace(512, 14, "first memo\x1A\x1A");
    dbt.replace(1024, 14, std::string("\xFF\xFF\x08\x00\x0E\x00\x00\x00second", 14));
    test::writeFile(dir_.file("old.dbf"), dbf);
    test::writeFile(dir_.file("old.dbt"), dbt);
    Handle t = test::openOrDie(dir_.file("old.dbf"));
    std::string m;
    EXPECT_EQ(gotoRecord(t, 1), kOk);
    ASSERT_EQ(getMemo(t, 2, &m), kOk) << lastErrorString();
    EXPECT_EQ(m, "first memo");
    EXPECT_EQ(gotoRecord(t, 2), kOk);
    ASSERT_EQ(getMemo(t, 2, &m), kOk);
    EXPECT_EQ(m, "second");
    EXPECT_EQ(gotoRecord(t, 3), kOk);
    ASSERT_EQ(getMemo(t, 2, &m), kOk);
    EXPECT_EQ(m, "");
    EXPECT_EQ(setString(t, 2, "new"), kNotSupported);
}

TEST_F(TableTest, NullFlagsOfNewerTablesRead) {
    // issue115: nullable fields CONT_VAN..MASINA, BLOCAT; record 2 has the
    // null bit of MASINA (bit 5) set.
    Handle t = test::openOrDie(std::string(TESTDATA_DIR) + "/corpus/php-xbase/issue115.dbf",
                               kOpenShared | kOpenReadOnly);
    int masina = 0, cod = 0, n = 0;
    ASSERT_EQ(fieldNumber(t, "masina", &masina), kOk);
    ASSERT_EQ(fieldNumber(t, "COD", &cod), kOk);
    EXPECT_EQ(fieldCount(t, &n), kOk);
    EXPECT_EQ(n, 9);  // the null-flags field is not listed
    bool null = true;
    EXPECT_EQ(gotoRecord(t, 1), kOk);
    EXPECT_EQ(isNull(t, masina, &null), kOk);
    EXPECT_FALSE(null);
    EXPECT_EQ(gotoRecord(t, 2), kOk);
    EXPECT_EQ(isNull(t, masina, &null), kOk);
    EXPECT_TRUE(null);
    EXPECT_EQ(isNull(t, cod, &null), kOk);
    EXPECT_FALSE(null);
}

TEST_F(TableTest, AutoIncrementFieldsTakeTheNextValue) {
    // dbase_31: PRODUCTID autoincrements; its descriptor says 78 comes next.
    std::string p = dir_.file("auto.dbf");
    test::writeFile(p,
                    test::readFile(std::string(TESTDATA_DIR) + "/corpus/infused-dbf/dbase_31.dbf"));
    const uint64_t nextAt = 32 + 19;  // first descriptor, next-value bytes
    ASSERT_EQ(test::fileU32(p, nextAt), 78u);
    for (int options : {kOpenExclusive, kOpenShared}) {
        Handle h = test::openOrDie(p, options);
        ASSERT_EQ(append(h), kOk);
        double id = 0;
        EXPECT_EQ(getDouble(h, 1, &id), kOk);
        EXPECT_EQ(id, options == kOpenExclusive ? 78 : 79);
        ASSERT_EQ(closeTable(h), kOk);
    }
    EXPECT_EQ(test::fileU32(p, nextAt), 80u);
}

}  // namespace
}  // namespace engine
