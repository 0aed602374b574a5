// Tables we write (with memo fields, both header versions) are read by two
// independent readers, dbfread and XBase.pm, as we read them ourselves.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "engine/dbf_csv_testutil.h"
#include "engine/dbf_testutil.h"
#include "engine/engine.h"

namespace engine {
namespace {
namespace fs = std::filesystem;

const char* kPython = "/usr/bin/python3";

std::string oracleDir() {
    return (fs::path(TESTDATA_DIR).parent_path() / "tools" / "oracle").string();
}

std::string quote(const std::string& s) {
    return "'" + s + "'";
}

class OracleTest : public ::testing::Test {
protected:
    void SetUp() override {
#ifdef _WIN32
        GTEST_SKIP() << "the oracle readers run in the native build only";
#else
        if (std::system((std::string(kPython) + " -c 'import dbfread' 2>/dev/null").c_str()) != 0)
            GTEST_SKIP() << "python3-dbfread is not installed (apt-get install python3-dbfread)";
#endif
    }
    void TearDown() override {
        EXPECT_EQ(shutdown(), kOk);
    }

    // Fills a table with blanks, extremes, a deleted record and memos of
    // several sizes (one exactly filling a 64-byte block).
    std::string writeTable(const char* name, const char* fields, bool visual) {
        std::string p = dir_.file(name);
        EXPECT_EQ(createTable(p, fields, kTypeCdx, 64), kOk) << test::lastErrorString();
        Handle h = test::openOrDie(p);
        for (int i = 0; i < 25; ++i) {
            EXPECT_EQ(append(h), kOk);
            if (i == 3) continue;  // an all-blank record
            EXPECT_EQ(setString(h, 1, "Caf\xE9 n\xBA " + std::to_string(i)), kOk);
            EXPECT_EQ(setDouble(h, 2, i * 1.25 - 7), kOk);
            EXPECT_EQ(setLogical(h, 3, i % 2 == 0), kOk);
            // Record 0's "20240100" is refused and leaves the date blank.
            (void)setDate(
                h, 4,
                i == 5 ? "" : "2024" + std::string(i < 10 ? "010" : "01") + std::to_string(i));
            std::string memo =
                i == 7 ? std::string(56, 'x') : "line 1\r\nline " + std::to_string(i);
            if (i % 4 != 1) {
                EXPECT_EQ(setString(h, 5, i == 9 ? std::string(5000, 'm') : memo), kOk);
            }
            if (visual) {
                EXPECT_EQ(setDouble(h, 6, i * 100000), kOk);  // XBase.pm reads I unsigned
                EXPECT_EQ(setDouble(h, 7, i / 3.0), kOk);
                EXPECT_EQ(setDouble(h, 8, i * 1.0001), kOk);
                EXPECT_EQ(setDate(h, 9, "20000101"), kOk);
            }
            if (i == 11) {
                EXPECT_EQ(deleteRecord(h), kOk);
            }
        }
        EXPECT_EQ(closeTable(h), kOk);
        return p;
    }

    void checkWithDbfread(const std::string& dbf) {
        std::string csv = dbf + ".csv";
        std::string cmd = std::string(kPython) + " " +
                          quote(oracleDir() + "/dbf_expected_dbfread.py") + " " + quote(dbf) + " " +
                          quote(csv);
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
        test::expectTableMatchesCsv(dbf, csv);
    }

    void checkWithXbase(const std::string& dbf) {
        if (std::system("perl -MXBase -e 1 2>/dev/null") != 0) {
            std::cout << "XBase.pm not installed (libdbd-xbase-perl): second oracle skipped\n";
            return;
        }
        std::string tsv = dbf + ".tsv", report = dbf + ".report";
        std::string cmd = "perl " + quote(oracleDir() + "/dbf_dump_xbase.pl") + " " + quote(dbf) +
                          " > " + quote(tsv) + " && " + kPython + " " +
                          quote(oracleDir() + "/compare_dbf_oracles.py") + " " + quote(dbf) + " " +
                          quote(dbf + ".csv") + " " + quote(tsv) + " > " + quote(report);
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
        // A difference line is "\tFIELD\tKIND\tn=..\tfirst=..". Only the
        // blank-versus-null kind is a matter of rendering, not of bytes.
        std::string text = test::readFile(report);
        EXPECT_NE(text.find("records=" + std::to_string(test::fileU32(dbf, 4))), std::string::npos)
            << text;
        size_t at = 0;
        while ((at = text.find("\n\t", at)) != std::string::npos) {
            size_t kind = text.find('\t', at + 2) + 1;
            EXPECT_EQ(text.substr(kind, text.find('\t', kind) - kind), "null~blank") << text;
            at = kind;
        }
    }

    test::ScratchDir dir_;
};

TEST_F(OracleTest, OlderFormatWithMemosReadsTheSame) {
    std::string p = writeTable("fox.dbf", "NAME,C,20,0;AMOUNT,N,10,2;OK,L;DAY,D;NOTE,M", false);
    EXPECT_EQ(uint8_t(test::readFile(p)[0]), 0xF5);
    checkWithDbfread(p);
    checkWithXbase(p);
}

TEST_F(OracleTest, NewerFormatWithMemosReadsTheSame) {
    std::string p = writeTable("vis.dbf",
                               "NAME,C,20,0;AMOUNT,N,10,2;OK,L;DAY,D;NOTE,M;CNT,I;RATIO,B;PRICE,Y;"
                               "STAMP,T",
                               true);
    EXPECT_EQ(uint8_t(test::readFile(p)[0]), 0x30);
    checkWithDbfread(p);
    checkWithXbase(p);
}

// After a pack has cut the memo file, both readers read every memo.
TEST_F(OracleTest, PackedMemosReadTheSame) {
    for (bool visual : {false, true}) {
        std::string p = writeTable(
            visual ? "pv.dbf" : "pf.dbf",
            visual ? "NAME,C,20,0;AMOUNT,N,10,2;OK,L;DAY,D;NOTE,M;CNT,I;RATIO,B;PRICE,Y;STAMP,T"
                   : "NAME,C,20,0;AMOUNT,N,10,2;OK,L;DAY,D;NOTE,M",
            visual);
        Handle h = test::openOrDie(p);
        for (uint32_t r : {2u, 8u, 10u, 15u}) {
            EXPECT_EQ(gotoRecord(h, r), kOk);
            EXPECT_EQ(deleteRecord(h), kOk);
        }
        EXPECT_EQ(gotoRecord(h, 12), kOk);
        EXPECT_EQ(setString(h, 5, std::string(3000, 'g')),
                  kOk);  // grows: the old copy is left behind
        ASSERT_EQ(pack(h), kOk) << test::lastErrorString();
        EXPECT_EQ(closeTable(h), kOk);
        checkWithDbfread(p);
        checkWithXbase(p);
    }
}

}  // namespace
}  // namespace engine
