// Damaged files give clear errors and stay as they were; a write that fails
// at any point leaves a table that opens and reads (crash consistency).
#include <gtest/gtest.h>

#include "engine/dbf_testutil.h"
#include "engine/engine.h"
#include "os/fault.h"

namespace engine {
namespace {
using test::lastErrorString;

class DbfDamageTest : public ::testing::Test {
protected:
    void TearDown() override {
        os::disarmWriteFault();
        EXPECT_EQ(shutdown(), kOk);
    }
    // A table of three records with a memo each (FoxPro 2 format, FPT).
    void writeTable() {
        ASSERT_EQ(createTable(path_, "NAME,C,10,0;DAY,D;NOTE,M", kTypeCdx, 0), kOk);
        Handle h = test::openOrDie(path_);
        for (const char* n : {"ALFA", "BETA", "GAMMA"}) {
            EXPECT_EQ(append(h), kOk);
            EXPECT_EQ(setString(h, 1, n), kOk);
            EXPECT_EQ(setString(h, 3, std::string("memo of ") + n), kOk);
        }
        ASSERT_EQ(closeTable(h), kOk);
        before_ = test::readFile(path_);
        memoBefore_ = test::readFile(memo_);
    }
    Status openTable() {
        Handle h = 0;
        Status r = engine::openTable(path_, "", kTypeCdx, kOpenExclusive, &h);
        if (r == kOk) {
            EXPECT_EQ(closeTable(h), kOk);
        }
        return r;
    }
    void expectUnchanged() {
        EXPECT_EQ(test::readFile(path_), before_);
        EXPECT_EQ(test::readFile(memo_), memoBefore_);
    }
    std::string errorText() { return lastError().message(); }
    test::ScratchDir dir_;
    std::string path_ = dir_.file("dmg.dbf");
    std::string memo_ = dir_.file("dmg.fpt");
    std::string before_, memoBefore_;
};

TEST_F(DbfDamageTest, RecordCountPastEndIsCorrupt) {
    writeTable();
    test::patchU32(path_, 4, 1000);
    before_ = test::readFile(path_);
    EXPECT_EQ(openTable(), kCorruptTable);
    EXPECT_NE(errorText().find("record count 1000 beyond end of file"), std::string::npos)
        << errorText();
    expectUnchanged();
}

TEST_F(DbfDamageTest, HeaderDamageIsCorrupt) {
    writeTable();
    const std::string good = before_;
    struct Case {
        uint64_t offset;
        uint8_t value;
        const char* text;
    } cases[] = {
        {0, 0x07, "unknown file type"},            // version byte
        {9, 0x7F, "header length beyond end"},     // header length high byte
        {8, 0x10, "header length too small"},      // header length 16
        {32 + 32 + 16, 3, "impossible length 3"},  // the D field 3 bytes long
        {32 + 16, 0, "impossible length 0"},       // a C field of no bytes
        {32 + 16, 200, "longer than the record"},  // fields beyond the record length
        {10, 1, "impossible record length"},       // record length 1 (with high byte 0)
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        test::writeFile(path_, good);
        if (c.offset == 10) test::patchByte(path_, 11, 0);
        test::patchByte(path_, c.offset, c.value);
        before_ = test::readFile(path_);
        EXPECT_EQ(openTable(), kCorruptTable);
        EXPECT_NE(errorText().find(c.text), std::string::npos) << errorText();
        expectUnchanged();
    }
    test::writeFile(path_, good.substr(0, 20));
    EXPECT_EQ(openTable(), kCorruptTable);
}

TEST_F(DbfDamageTest, LongerFileThanCountIsAccepted) {
    writeTable();
    test::writeFile(path_, before_ + std::string(100, 'x'));
    Handle h = test::openOrDie(path_);
    uint32_t n = 0;
    EXPECT_EQ(recordCount(h, &n), kOk);
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(gotoRecord(h, 3), kOk);
    std::string s;
    EXPECT_EQ(getMemo(h, 3, &s), kOk);
    EXPECT_EQ(s, "memo of GAMMA");
}

TEST_F(DbfDamageTest, MemoFileDamageIsReportedAndNothingWritten) {
    writeTable();
    test::writeFile(memo_, memoBefore_.substr(0, 6));
    memoBefore_ = test::readFile(memo_);
    EXPECT_EQ(openTable(), kCorruptMemo);
    expectUnchanged();
    std::remove(memo_.c_str());
    EXPECT_EQ(openTable(), kCorruptMemo);
    EXPECT_NE(errorText().find("missing"), std::string::npos);
    // A memo whose length runs past the end of the file.
    writeTable();
    test::patchU32(memo_, 512 + 4, 0x00100000);  // big-endian length of the first memo: 4096
    memoBefore_ = test::readFile(memo_);
    Handle h = test::openOrDie(path_);
    std::string s = "x";
    EXPECT_EQ(getMemo(h, 3, &s), kCorruptMemo);
    EXPECT_EQ(s, "");
    uint32_t len = 0;
    EXPECT_EQ(getMemoLength(h, 3, &len), kCorruptMemo);
    EXPECT_EQ(closeTable(h), kOk);
    expectUnchanged();
}

// Runs a session of appends and memo writes with every write from the Nth
// on failing, for each N; the table must open and read after each.
void session(const std::string& path, int options) {
    Handle h = 0;
    if (openTable(path, "", kTypeCdx, options, &h) != kOk) return;
    for (int i = 0; i < 15; ++i) {
        if (append(h) != kOk) break;
        // Under the injected fault any of these may fail; the table is
        // checked after the session.
        (void)setString(h, 1, "R" + std::to_string(i));
        (void)setString(h, 3, std::string(size_t(20 + i * 7), char('a' + i % 26)));
    }
    (void)flush(h);
    (void)closeTable(h);
}

void expectReadable(const std::string& path) {
    Handle h = 0;
    ASSERT_EQ(openTable(path, "", kTypeCdx, kOpenExclusive, &h), kOk) << lastErrorString();
    uint32_t n = 0;
    EXPECT_EQ(recordCount(h, &n), kOk);
    for (uint32_t r = 1; r <= n; ++r) {
        EXPECT_EQ(gotoRecord(h, r), kOk);
        std::string s;
        ASSERT_EQ(getMemo(h, 3, &s), kOk) << "record " << r << " " << lastErrorString();
    }
    EXPECT_EQ(closeTable(h), kOk);
}

TEST_F(DbfDamageTest, FailedWriteAtAnyPointLeavesAReadableTable) {
    writeTable();
    const std::string dbf = before_, fpt = memoBefore_;
    for (int options : {kOpenExclusive, kOpenShared}) {
        uint64_t start = os::writeCallCount();
        session(path_, options);
        uint64_t writes = os::writeCallCount() - start;
        // Exclusive: records and memo items are buffered, so only a few calls.
        ASSERT_GT(writes, options == kOpenExclusive ? 4u : 10u);
        for (uint64_t nth = 1; nth <= writes; ++nth) {
            SCOPED_TRACE(nth);
            test::writeFile(path_, dbf);
            test::writeFile(memo_, fpt);
            os::armWriteFault(uint32_t(nth), os::kErrWriteFault, true);
            session(path_, options);
            os::disarmWriteFault();
            expectReadable(path_);
        }
    }
}

}  // namespace
}  // namespace engine
