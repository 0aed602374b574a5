// Buffered file work of exclusive tables: changed records written back in
// one call per block, memo items held until a record needs them on disk,
// and field copies as stored bytes. Each is checked for its result on disk
// and for the number of file calls it takes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/dbf_testutil.h"
#include "engine/engine.h"
#include "engine/table.h"
#include "engine/table_access.h"
#include "os/fault.h"

namespace engine {
namespace {

using test::lastErrorString;

class TableBufferTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(shutdown(), kOk); }
    // A table of `n` records: NAME "R<i>", QTY i, OK false, NOTES memo.
    std::string makeTable(const char* name, int n) {
        std::string path = dir_.file(name);
        EXPECT_EQ(createTable(path, "NAME,C,10,0;QTY,N,8,2;OK,L;NOTES,M", kTypeCdx, 0), kOk);
        Handle h = test::openOrDie(path);
        for (int i = 1; i <= n; ++i) {
            EXPECT_EQ(append(h), kOk);
            EXPECT_EQ(setString(h, 1, "R" + std::to_string(i)), kOk);
            EXPECT_EQ(setDouble(h, 2, i), kOk);
            if (i % 3 == 0) {
                EXPECT_EQ(setString(h, 4, "note " + std::to_string(i)), kOk);
            }
        }
        EXPECT_EQ(closeTable(h), kOk);
        return path;
    }
    // makeTable's table of `n` records ("from.dbf") and an empty "to.dbf"
    // of `layout`, both open.
    std::pair<Handle, Handle> sourceAndTarget(int n, const char* layout) {
        std::string from = makeTable("from.dbf", n);
        EXPECT_EQ(createTable(dir_.file("to.dbf"), layout, kTypeCdx, 0), kOk);
        return {test::openOrDie(from), test::openOrDie(dir_.file("to.dbf"))};
    }
    test::ScratchDir dir_;
};

// A pass that marks every fifth record writes the changed stretch of each
// read-ahead block once, not one call per mark, and every mark is on disk
// after the close.
TEST_F(TableBufferTest, MarksOfAStreamingPassGoOutOncePerBlock) {
    std::string path = makeTable("marks.dbf", 5000);
    Handle h = test::openOrDie(path);
    uint64_t before = os::writeCallCount();
    bool eof = false;
    int marked = 0;
    for ((void)goTop(h), (void)atEof(h, &eof); !eof; (void)skip(h, 1), (void)atEof(h, &eof)) {
        uint32_t n = 0;
        ASSERT_EQ(recordNumber(h, &n), kOk);
        if (n % 5 == 0) {
            ASSERT_EQ(setLogical(h, 3, true), kOk);
            ++marked;
        }
    }
    ASSERT_EQ(closeTable(h), kOk) << lastErrorString();
    EXPECT_EQ(marked, 1000);
    EXPECT_LT(os::writeCallCount() - before, 20u)
        << "one write per block of records, not one per mark";
    h = test::openOrDie(path, kOpenShared | kOpenReadOnly);
    for (uint32_t n = 1; n <= 5000; ++n) {
        ASSERT_EQ(gotoRecord(h, n), kOk);
        bool ok = false;
        ASSERT_EQ(getLogical(h, 3, &ok), kOk);
        ASSERT_EQ(ok, n % 5 == 0) << "record " << n;
    }
    EXPECT_EQ(closeTable(h), kOk);
}

// Memo items written by appends are readable before they reach the disk,
// reach it before the records that point at them, and cost a few calls.
TEST_F(TableBufferTest, MemoItemsAreBufferedAndReadBackBeforeAndAfterTheClose) {
    std::string path = dir_.file("memo.dbf");
    ASSERT_EQ(createTable(path, "NAME,C,10,0;NOTES,M", kTypeCdx, 0), kOk);
    Handle h = test::openOrDie(path);
    uint64_t before = os::writeCallCount();
    for (int i = 1; i <= 2000; ++i) {
        ASSERT_EQ(append(h), kOk);
        ASSERT_EQ(setString(h, 2, std::string(size_t(i % 90 + 1), char('a' + i % 26))), kOk);
    }
    ASSERT_EQ(gotoRecord(h, 1234), kOk);
    std::string text;
    ASSERT_EQ(getMemo(h, 2, &text), kOk);
    EXPECT_EQ(text, std::string(1234 % 90 + 1, char('a' + 1234 % 26)));
    ASSERT_EQ(setString(h, 2, "rewritten in place"), kOk);  // fits the item it had
    ASSERT_EQ(closeTable(h), kOk) << lastErrorString();
    EXPECT_LT(os::writeCallCount() - before, 30u);
    h = test::openOrDie(path, kOpenShared | kOpenReadOnly);
    for (uint32_t n = 1; n <= 2000; ++n) {
        ASSERT_EQ(gotoRecord(h, n), kOk);
        ASSERT_EQ(getMemo(h, 2, &text), kOk) << lastErrorString();
        std::string want =
            n == 1234 ? "rewritten in place" : std::string(n % 90 + 1, char('a' + n % 26));
        ASSERT_EQ(text, want) << "record " << n;
    }
    EXPECT_EQ(closeTable(h), kOk);
}

// Fields stored alike go over as bytes, memos through the target's memo
// file; a pair stored differently is refused before anything is written.
TEST_F(TableBufferTest, CopyFieldsTakesStoredBytesAndRefusesFieldsStoredDifferently) {
    auto [src, dst] = sourceAndTarget(9, "NAME,C,10,0;QTY,N,8,2;OK,L;NOTES,M;WIDE,N,10,2");
    std::string to = dir_.file("to.dbf");
    ASSERT_EQ(gotoRecord(src, 9), kOk);
    ASSERT_EQ(append(dst), kOk);
    ASSERT_EQ(copyFields(dst, src, {{5, 2}}), kTypeMismatch);  // N(8,2) into N(10,2)
    ASSERT_EQ(copyFields(dst, src, {{1, 1}, {2, 2}, {3, 3}, {4, 4}}), kOk) << lastErrorString();
    ASSERT_EQ(closeTable(dst), kOk);
    ASSERT_EQ(closeTable(src), kOk);
    dst = test::openOrDie(to);
    std::string s;
    ASSERT_EQ(getString(dst, 1, &s), kOk);
    EXPECT_EQ(s, "R9        ");
    ASSERT_EQ(getString(dst, 2, &s), kOk);
    EXPECT_EQ(s, "    9.00");
    ASSERT_EQ(getMemo(dst, 4, &s), kOk);
    EXPECT_EQ(s, "note 9");
    ASSERT_EQ(getString(dst, 5, &s), kOk);
    EXPECT_EQ(s, "          ");  // untouched by the refused copy
    EXPECT_EQ(closeTable(dst), kOk);
}

// The checks of a copy are kept for the next record only while the pairs
// and the source table stay the same: another source (even one opened in
// the place of a closed one) or other pairs are checked afresh.
TEST_F(TableBufferTest, CopyFieldsChecksAgainForAnotherSourceOrOtherPairs) {
    std::string from = makeTable("from.dbf", 3);
    std::string other = dir_.file("other.dbf");
    ASSERT_EQ(createTable(other, "NAME,C,12,0;QTY,N,8,2;OK,L", kTypeCdx, 0), kOk);
    std::string to = dir_.file("to.dbf");
    ASSERT_EQ(createTable(to, "NAME,C,10,0;QTY,N,8,2;OK,L;NOTES,M", kTypeCdx, 0), kOk);
    Handle dst = test::openOrDie(to);
    Handle src = test::openOrDie(from);
    for (uint32_t n = 1; n <= 3; ++n) {
        ASSERT_EQ(gotoRecord(src, n), kOk);
        ASSERT_EQ(append(dst), kOk);
        ASSERT_EQ(copyFields(dst, src, {{1, 1}, {2, 2}, {3, 3}}), kOk) << lastErrorString();
    }
    ASSERT_EQ(closeTable(src), kOk);
    Handle wrong = test::openOrDie(other);
    ASSERT_EQ(append(wrong), kOk);
    ASSERT_EQ(append(dst), kOk);
    EXPECT_EQ(copyFields(dst, wrong, {{1, 1}, {2, 2}, {3, 3}}), kTypeMismatch);  // C(12) into C(10)
    EXPECT_EQ(copyFields(dst, wrong, {{2, 2}, {3, 3}}), kOk) << lastErrorString();
    EXPECT_EQ(copyFields(dst, wrong, {{2, 2}, {3, 1}}), kTypeMismatch);
    ASSERT_EQ(closeTable(wrong), kOk);
    ASSERT_EQ(closeTable(dst), kOk);
    dst = test::openOrDie(to);
    std::string s;
    for (uint32_t n = 1; n <= 3; ++n) {
        ASSERT_EQ(gotoRecord(dst, n), kOk);
        ASSERT_EQ(getString(dst, 1, &s), kOk);
        EXPECT_EQ(s, "R" + std::to_string(n) + std::string(9 - std::to_string(n).size(), ' '));
        ASSERT_EQ(getString(dst, 2, &s), kOk);
        EXPECT_EQ(s, "    " + std::to_string(n) + ".00");
    }
    ASSERT_EQ(gotoRecord(dst, 4), kOk);
    ASSERT_EQ(getString(dst, 1, &s), kOk);
    EXPECT_EQ(s, std::string(10, ' '));  // the refused copy wrote nothing
    EXPECT_EQ(closeTable(dst), kOk);
}

// Every record of `path` as "NAME|QTY|NOTES|deleted", in natural order.
std::vector<std::string> recordsOf(const std::string& path) {
    Handle h = test::openOrDie(path);
    std::vector<std::string> rows;
    uint32_t count = 0;
    EXPECT_EQ(recordCount(h, &count), kOk);
    for (uint32_t n = 1; n <= count; ++n) {
        EXPECT_EQ(gotoRecord(h, n), kOk);
        std::string name, qty, notes;
        bool deleted = false;
        EXPECT_EQ(getString(h, 1, &name), kOk);
        EXPECT_EQ(getString(h, 2, &qty), kOk);
        EXPECT_EQ(getMemo(h, 4, &notes), kOk);
        EXPECT_EQ(isDeleted(h, &deleted), kOk);
        rows.push_back(name + "|" + qty + "|" + notes + (deleted ? "|*" : "|"));
    }
    EXPECT_EQ(closeTable(h), kOk);
    return rows;
}

// Block copies read the source where it keeps its records (read-ahead
// blocks, or its append buffer before it is written) and give the records,
// memos and hidden deleted records of a copy made record by record; over a
// controlling order they follow it.
TEST_F(TableBufferTest, BlockCopiesAcrossReadAheadBlocksMatchARecordByRecordCopy) {
    const int n = 25000;  // a little over two read-ahead blocks of these records
    std::string from = makeTable("big.dbf", n);
    Handle src = test::openOrDie(from);
    for (int i = 7; i <= n; i += 7) {
        ASSERT_EQ(gotoRecord(src, uint32_t(i)), kOk);
        ASSERT_EQ(deleteRecord(src), kOk);
    }
    ASSERT_EQ(setDeleted(true), kOk);
    const std::vector<FieldPair> pairs = {{1, 1}, {2, 2}, {4, 4}};
    const char* layout = "NAME,C,10,0;QTY,N,8,2;OK,L;NOTES,M";
    auto copyTo = [&](const char* name, uint32_t block) {
        std::string to = dir_.file(name);
        EXPECT_EQ(createTable(to, layout, kTypeCdx, 0), kOk);
        Handle dst = test::openOrDie(to);
        EXPECT_EQ(goTop(src), kOk);
        auto atEnd = [&] {
            bool eof = true;
            EXPECT_EQ(atEof(src, &eof), kOk);
            return eof;
        };
        while (!atEnd()) {
            if (block > 0) {
                uint32_t copied = 0;
                EXPECT_EQ(appendCopies(dst, src, pairs, block, nullptr, &copied), kOk)
                    << lastErrorString();
                continue;
            }
            EXPECT_EQ(append(dst), kOk);
            EXPECT_EQ(copyFields(dst, src, pairs), kOk);
            Status r = skip(src, 1);  // the last step finds the end
            EXPECT_TRUE(r == kOk || r == kAtEof) << lastErrorString();
        }
        EXPECT_EQ(closeTable(dst), kOk) << lastErrorString();
        return recordsOf(to);
    };
    std::vector<std::string> byRecord = copyTo("rows.dbf", 0);
    ASSERT_EQ(byRecord.size(), size_t(n - n / 7));
    EXPECT_EQ(byRecord[2], "R3        |    3.00|note 3|");
    EXPECT_EQ(byRecord[6], "R8        |    8.00||");  // 7 is hidden
    EXPECT_EQ(copyTo("blocks.dbf", 997), byRecord);
    EXPECT_EQ(copyTo("one.dbf", 1), byRecord);

    int order = 0;
    ASSERT_EQ(createIndex(src, "", "DOWN", "QTY", "", kIndexDescending, nullptr, &order), kOk);
    std::vector<std::string> down = copyTo("down.dbf", 997);
    ASSERT_EQ(down.size(), byRecord.size());
    EXPECT_TRUE(std::equal(down.begin(), down.end(), byRecord.rbegin()));
    ASSERT_EQ(closeTable(src), kOk);

    // A source whose records are all still in its append buffer.
    std::string fresh = dir_.file("fresh.dbf");
    ASSERT_EQ(createTable(fresh, layout, kTypeCdx, 0), kOk);
    src = test::openOrDie(fresh);
    for (int i = 1; i <= 3000; ++i) {
        ASSERT_EQ(append(src), kOk);
        ASSERT_EQ(setString(src, 1, "F" + std::to_string(i)), kOk);
        ASSERT_EQ(setDouble(src, 2, i), kOk);
        if (i % 3 == 0) ASSERT_EQ(setString(src, 4, "memo " + std::to_string(i)), kOk);
    }
    std::vector<std::string> buffered = copyTo("buffered.dbf", 997);
    ASSERT_EQ(setDeleted(false), kOk);
    ASSERT_EQ(closeTable(src), kOk);
    EXPECT_EQ(buffered, recordsOf(fresh));
}

// A block copy walks the source as skips do (hidden deleted records
// passed over), stops at its limit or the source's end, shows each new
// record to the visit, and leaves the source on the next record to copy.
TEST_F(TableBufferTest, AppendCopiesTakesBlocksOfVisibleRecordsAndShowsEachToTheVisit) {
    std::string from = makeTable("from.dbf", 10);
    std::string to = dir_.file("to.dbf");
    ASSERT_EQ(createTable(to, "NAME,C,10,0;QTY,N,8,2;OK,L;NOTES,M;EXTRA,C,4,0", kTypeCdx, 0), kOk);
    Handle src = test::openOrDie(from), dst = test::openOrDie(to);
    for (uint32_t n : {2u, 3u, 9u, 10u}) {
        ASSERT_EQ(gotoRecord(src, n), kOk);
        ASSERT_EQ(deleteRecord(src), kOk);
    }
    ASSERT_EQ(setDeleted(true), kOk);
    ASSERT_EQ(goTop(src), kOk);
    std::vector<std::string> seen;
    BlockVisit visit = [&seen](Table& r) {
        std::string_view name, qty;
        bool null = true;
        EXPECT_EQ(getStored(r, 1, &name, &null), kOk);
        EXPECT_FALSE(null);
        EXPECT_EQ(getStored(r, 2, &qty, &null), kOk);
        EXPECT_EQ(getStored(r, 6, &qty, &null), kFieldNotFound);
        seen.emplace_back(name);
        return setLogical(r, 3, seen.size() % 2 == 0);
    };
    uint32_t copied = 0;
    ASSERT_EQ(appendCopies(dst, src, {{1, 1}, {2, 2}, {4, 4}}, 3, visit, &copied), kOk)
        << lastErrorString();
    EXPECT_EQ(copied, 3u);
    uint32_t n = 0;
    ASSERT_EQ(recordNumber(src, &n), kOk);
    EXPECT_EQ(n, 6u);  // after 1, 4 and 5
    ASSERT_EQ(appendCopies(dst, src, {{1, 1}, {2, 2}, {4, 4}}, 100, visit, &copied), kOk);
    EXPECT_EQ(copied, 3u);  // 6, 7 and 8; 9 and 10 are deleted
    bool eof = false;
    ASSERT_EQ(atEof(src, &eof), kOk);
    EXPECT_TRUE(eof);
    EXPECT_EQ(appendCopies(dst, src, {{1, 1}}, 100, visit, &copied), kAtEof);
    EXPECT_EQ(copied, 0u);
    EXPECT_EQ(appendCopies(dst, dst, {{1, 1}}, 100, visit, &copied), kInvalidArgument);
    ASSERT_EQ(goTop(src), kOk);
    EXPECT_EQ(appendCopies(dst, src, {{5, 1}}, 100, visit, &copied), kTypeMismatch);
    EXPECT_EQ(copied, 0u);
    ASSERT_EQ(setDeleted(false), kOk);
    ASSERT_EQ(closeTable(src), kOk);
    ASSERT_EQ(closeTable(dst), kOk) << lastErrorString();

    EXPECT_EQ(seen, (std::vector<std::string>{"R1        ", "R4        ", "R5        ",
                                              "R6        ", "R7        ", "R8        "}));
    dst = test::openOrDie(to);
    uint32_t count = 0;
    ASSERT_EQ(recordCount(dst, &count), kOk);
    EXPECT_EQ(count, 6u);  // the refused copy appended nothing
    const int names[] = {1, 4, 5, 6, 7, 8};
    for (uint32_t i = 1; i <= 6; ++i) {
        ASSERT_EQ(gotoRecord(dst, i), kOk);
        std::string s;
        bool ok = false;
        ASSERT_EQ(getString(dst, 2, &s), kOk);
        EXPECT_EQ(std::stod(s), names[i - 1]);
        ASSERT_EQ(getLogical(dst, 3, &ok), kOk);
        EXPECT_EQ(ok, i % 2 == 0) << "record " << i;
        ASSERT_EQ(getMemo(dst, 4, &s), kOk);
        EXPECT_EQ(s, names[i - 1] % 3 == 0 ? "note " + std::to_string(names[i - 1]) : "");
        ASSERT_EQ(getString(dst, 5, &s), kOk);
        EXPECT_EQ(s, "    ");
    }
    EXPECT_EQ(closeTable(dst), kOk);
}

// A pass in place over blocks of records: the visit sees each visible
// record once, its marks are written as any change (the changed stretch of
// a block in one call), and the table ends past the last record visited.
TEST_F(TableBufferTest, VisitRecordsMarksInPlaceBlockAfterBlock) {
    std::string path = makeTable("visit.dbf", 3000);
    Handle h = test::openOrDie(path);
    for (uint32_t n : {1u, 2u, 1500u}) {
        ASSERT_EQ(gotoRecord(h, n), kOk);
        ASSERT_EQ(deleteRecord(h), kOk);
    }
    ASSERT_EQ(setDeleted(true), kOk);
    ASSERT_EQ(goTop(h), kOk);
    uint64_t writesBefore = os::writeCallCount();
    std::vector<int> seen;
    BlockVisit visit = [&seen](Table& r) {
        std::string_view qty;
        bool null = true;
        EXPECT_EQ(getStored(r, 2, &qty, &null), kOk);
        int n = std::stoi(std::string(qty));
        seen.push_back(n);
        return n % 7 == 0 ? setLogical(r, 3, true) : Status();
    };
    uint32_t visited = 0, total = 0;
    Status s;
    while ((s = visitRecords(h, 256, visit, &visited)) == kOk) {
        total += visited;
        bool eof = false;
        ASSERT_EQ(atEof(h, &eof), kOk);
        if (eof) break;
        uint32_t n = 0;
        ASSERT_EQ(recordNumber(h, &n), kOk);
        EXPECT_EQ(n, uint32_t(seen.back() + (seen.back() == 1499 ? 2 : 1)));
    }
    ASSERT_EQ(s, kOk) << lastErrorString();
    EXPECT_EQ(visitRecords(h, 256, visit, &visited), kAtEof);
    EXPECT_EQ(visited, 0u);
    ASSERT_EQ(setDeleted(false), kOk);
    ASSERT_EQ(closeTable(h), kOk) << lastErrorString();
    EXPECT_EQ(total, 2997u);
    ASSERT_EQ(seen.size(), 2997u);
    EXPECT_EQ(seen.front(), 3);
    EXPECT_LT(os::writeCallCount() - writesBefore, 30u) << "one write per block, not per mark";

    h = test::openOrDie(path);
    for (uint32_t n = 1; n <= 3000; ++n) {
        ASSERT_EQ(gotoRecord(h, n), kOk);
        bool ok = false;
        ASSERT_EQ(getLogical(h, 3, &ok), kOk);
        EXPECT_EQ(ok, n % 7 == 0 && n != 1500 && n > 2) << "record " << n;
    }
    EXPECT_EQ(closeTable(h), kOk);
}

// A block copy that fails part way leaves the source on the record it was
// copying, as a copy record by record would, with the records before it
// counted.
TEST_F(TableBufferTest, ABlockCopyThatFailsLeavesTheSourceOnTheRecordItWasCopying) {
    auto [src, dst] = sourceAndTarget(50, "NAME,C,10,0;QTY,N,8,2;OK,L;NOTES,M");
    ASSERT_EQ(gotoRecord(src, 5), kOk);
    int calls = 0;
    BlockVisit refuse = [&calls](Table&) {
        return ++calls == 10 ? Status(kIoError, "refused") : Status();
    };
    uint32_t copied = 0;
    EXPECT_EQ(appendCopies(dst, src, {{1, 1}, {2, 2}}, 100, refuse, &copied), kIoError);
    EXPECT_EQ(copied, 9u);
    uint32_t n = 0;
    ASSERT_EQ(recordNumber(src, &n), kOk);
    EXPECT_EQ(n, 14u);  // 5 to 13 copied, 14 refused
    std::string name;
    ASSERT_EQ(getString(src, 1, &name), kOk);
    EXPECT_EQ(name, "R14       ");
    ASSERT_EQ(closeTable(src), kOk);
    (void)closeTable(dst);
}

// A write that fails while a block call steps on (a changed block going
// out as the next is read) is that call's failure, not the end of the
// records.
TEST_F(TableBufferTest, AFailedWriteInsideABlockCallIsNotTakenForTheEnd) {
    std::string path = makeTable("fail.dbf", 20000);  // records of 30 bytes: several blocks
    Handle h = test::openOrDie(path);
    ASSERT_EQ(goTop(h), kOk);
    BlockVisit mark = [](Table& r) { return setLogical(r, 3, true); };
    os::armWriteFault(1, os::kErrWriteFault, /*persistent=*/false);
    uint32_t visited = 0, total = 0;
    Status s;
    while ((s = visitRecords(h, 256, mark, &visited)) == kOk) total += visited;
    os::disarmWriteFault();
    EXPECT_EQ(s, kIoError) << lastErrorString();
    EXPECT_LT(total + visited, 20000u);
    (void)closeTable(h);
}

}  // namespace
}  // namespace engine
