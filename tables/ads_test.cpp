// The "ADS" driver: its own functions, how engine failures become errors,
// the driver registry, the settings passed to the engine, and the corpus
// tables read through it.
#include "tables/ads.h"

#include <fstream>

#include "os/file.h"
#include "runtime/settings.h"
#include "tables/dbcmd.h"
#include "tables/tables_testutil.h"
#include "tables/workarea.h"

namespace tables::testing {
namespace {

class AdsTest : public TablesTest {};

TEST_F(AdsTest, DriverFunctionsAndNames) {
    EXPECT_EQ(ADSSETSERVERTYPE(), 999999);
    EXPECT_EQ(ADSSETSERVERTYPE(1), 0);
    EXPECT_EQ(ADSSETFILETYPE(1), kAdsCdx);
    EXPECT_EQ(adsDriverName(), "ADSNTX");
    EXPECT_EQ(ADSSETFILETYPE(7), kAdsNtx);  // out of range: unchanged
    EXPECT_EQ(ADSSETFILETYPE(3), kAdsNtx);
    EXPECT_EQ(adsDriverName(), "ADSADT");
    ADSSETFILETYPE(2);
    EXPECT_EQ(adsDriverName(), "ADSCDX");
    EXPECT_EQ(adsVersion(), "ADS RDD 1.12");
}

TEST_F(AdsTest, RegistryStartsWithBuiltinsAndDefaultsToDbfntx) {
    resetRddRegistry();
    EXPECT_EQ(RDDSETDEFAULT(), "DBFNTX");
    EXPECT_EQ(RDDLIST(kRddTable), (std::vector<std::string>{"DBF", "DBFNTX"}));
    EXPECT_EQ(RDDLIST(kRddText), (std::vector<std::string>{"DELIM", "SDF"}));
    EXPECT_EQ(RDDREGISTER("ads", kRddTable), 0);
    EXPECT_EQ(RDDREGISTER("ADS", kRddTable), 1);
    EXPECT_EQ(RDDREGISTER("NOSUCH", kRddTable), 3);
    EXPECT_EQ(DBSETDRIVER("ads"), "ADS");
    EXPECT_EQ(RDDLIST(kRddTable), (std::vector<std::string>{"DBF", "DBFNTX", "ADS"}));
    EXPECT_EQ(RDDSETDEFAULT("SIX"), "ADS");
    ASSERT_EQ(recorder_->errors.size(), 1u);
    EXPECT_EQ(recorder_->errors[0].subCode, 1015);
}

TEST_F(AdsTest, KeyCountErrorsAndCounts) {
    ADSKEYCOUNT();
    createPeople("P", 3);
    use("P");
    ADSKEYCOUNT(runtime::Value(true));
    EXPECT_EQ(genCodes(), (std::vector<int>{35, 1}));
    EXPECT_EQ(recorder_->errors[0].subCode, 2001);
    EXPECT_EQ(recorder_->errors[1].subCode, 1014);
    ORDCONDSET("AGE > 10");
    ORDCREATE("", "OLD", "AGE");
    ORDCREATE("", "ALL", "NAME");
    EXPECT_EQ(ADSKEYCOUNT(), 3u);
    EXPECT_EQ(ADSKEYCOUNT(runtime::Value(1)), 2u);
    EXPECT_EQ(ADSKEYCOUNT(runtime::Value("old")), 2u);
    EXPECT_EQ(INDEXORD(), 2);  // counting another order leaves the controlling one
}

TEST_F(AdsTest, CorruptTableRaisesAnOpenErrorThatIsNotSilent) {
    std::string file = path("BAD") + ".dbf";
    {
        std::ofstream out(file, std::ios::binary);
        out << std::string(40, '\x03');
    }
    DBUSEAREA(true, std::nullopt, path("BAD"), "BAD", false, false);
    EXPECT_FALSE(USED());
    EXPECT_TRUE(NETERR());
    EXPECT_EQ(NERRORCODE(), 0);
    ASSERT_EQ(recorder_->errors.size(), 1u);
    const RaisedError& e = recorder_->errors[0];
    EXPECT_EQ(e.genCode, 21);
    EXPECT_FALSE(e.silent);
    EXPECT_EQ(e.subSystem, "ADSCDX");
    EXPECT_EQ(e.subCode, ADSGETLASTERROR());
    EXPECT_NE(e.subCode, 0);
    EXPECT_EQ(e.fileName, file);
    std::string text;
    ADSGETLASTERROR(&text);
    EXPECT_FALSE(text.empty());
    EXPECT_LE(text.size(), 600u);
}

// ADSGETLASTERROR answers the driver's latest table call: a missing table's
// code (which the handler maps to "not found", a silent open failure), then
// success once a later call succeeds.
TEST_F(AdsTest, LastErrorDescribesTheDriversLatestCall) {
    createPeople("P", 2);
    DBUSEAREA(true, std::nullopt, path("NOSUCH"), "NOSUCH", false, false);
    EXPECT_FALSE(USED());
    std::string text;
    EXPECT_EQ(ADSGETLASTERROR(&text), 5004);
    EXPECT_NE(text.find("NOSUCH"), std::string::npos) << text;
    EXPECT_EQ(osCodeForEngineCode(5004), 2);
    EXPECT_EQ(NERRORCODE(), 2);
    use("P");
    DBGOBOTTOM();
    EXPECT_EQ(ADSGETLASTERROR(&text), 0);
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(osCodeForEngineCode(0), std::nullopt);
    EXPECT_EQ(osCodeForEngineCode(5068), std::nullopt) << "the end of a table is no system error";
}

TEST_F(AdsTest, CreateFailureShowsTheEngineErrorUnderError) {
    EXPECT_FALSE(DBCREATE(path("NOFOLDER") + "/X", {{"A", 'C', 5, 0}}));
    ASSERT_EQ(alerts_.shown.size(), 1u);
    EXPECT_EQ(alerts_.shown[0].title, "Error");
    EXPECT_TRUE(recorder_->errors.empty());
}

TEST_F(AdsTest, DeletedSettingReachesTheEngine) {
    createPeople("P", 2);
    use("P");
    DBGOTOP();
    DBDELETE();
    DBGOTOP();
    EXPECT_EQ(RECNO(), 2u);
    runtime::SET(runtime::Set::Deleted, runtime::Value(false));
    DBGOTOP();
    EXPECT_EQ(RECNO(), 1u);
}

TEST_F(AdsTest, TextDriversRefuseToOpenTables) {
    createPeople("P", 1);
    DBUSEAREA(true, "SDF", path("P"), "P", false, false);
    EXPECT_FALSE(USED());
    ASSERT_EQ(recorder_->errors.size(), 1u);
    EXPECT_EQ(recorder_->errors[0].genCode, 30);
    DBUSEAREA(true, "DBF", path("P"), "P", false, false);
    EXPECT_TRUE(USED());
    EXPECT_EQ(RDDNAME(), "DBF");
}

// ---- Corpus tables -----------------------------------------------------------------

bool plainAscii(const std::string& s) {
    for (unsigned char c : s)
        if (c >= 0x80 || c < 0x20) return false;
    return true;
}

// Every corpus table opens read-only and shared through the driver; its
// record count, visible records and plain character values match what the
// independent reader found.
TEST_F(AdsTest, CorpusTablesReadLikeTheIndependentReader) {
    runtime::SET(runtime::Set::Exclusive, runtime::Value(false));
    for (const CorpusTable& t : corpusTables()) {
        SCOPED_TRACE(t.name);
        std::string base = corpusBase(t);
        auto rows = readCsv(base + ".expected.csv");
        ASSERT_GE(rows.size(), 1u);
        DBUSEAREA(true, std::nullopt, base, "CORPUS", true, true);
        ASSERT_TRUE(USED());
        EXPECT_EQ(RECCOUNT(), rows.size() - 1);
        size_t visible = 0;
        for (size_t r = 1; r < rows.size(); ++r) visible += rows[r].size() > 1 && rows[r][1] == "0";
        size_t walked = 0;
        for (DBGOTOP(); !EOF_(); DBSKIP()) ++walked;
        EXPECT_EQ(walked, visible);
        const auto& header = rows[0];
        for (size_t r = 1; r < rows.size() && r <= 20; ++r) {
            DBGOTO(static_cast<uint32_t>(r));
            for (size_t c = 2; c < header.size() && c < rows[r].size(); ++c) {
                int pos = FIELDPOS(header[c]);
                if (pos == 0) continue;
                if (currentTable()->fields()[pos - 1].type != 'C') continue;
                if (!plainAscii(rows[r][c]) || rows[r][c].rfind("hex:", 0) == 0) continue;
                runtime::Value v = FIELDGET(pos);
                // A NULL reads as NIL; the oracle shows the stored bytes.
                if (v.isNil()) continue;
                std::string got = v.text();
                while (!got.empty() && (got.back() == ' ' || got.back() == '\0')) got.pop_back();
                EXPECT_EQ(got, rows[r][c]) << "record " << r << " field " << header[c];
            }
        }
        DBCLOSEAREA();
    }
    EXPECT_TRUE(recorder_->errors.empty());
}

// The rooms table's ROOMNAME order walks in the order the independent index
// reader found.
TEST_F(AdsTest, CorpusOrderWalksLikeTheIndexReader) {
    std::string base = std::string(TESTDATA_DIR) + "/corpus/dbd-xbase/rooms";
    std::ifstream in(base + ".ROOMNAME.order.txt");
    std::vector<uint32_t> expected;
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) expected.push_back(static_cast<uint32_t>(std::stoul(line)));
    DBUSEAREA(true, std::nullopt, base, "ROOMS", true, true);
    ASSERT_TRUE(USED());
    DBSETORDER(runtime::Value("ROOMNAME"));
    runtime::SET(runtime::Set::Deleted, runtime::Value(false));
    std::vector<uint32_t> walked;
    for (DBGOTOP(); !EOF_(); DBSKIP()) walked.push_back(RECNO());
    EXPECT_EQ(walked, expected);
    EXPECT_EQ(ORDKEYCOUNT(), expected.size());
}

}  // namespace
}  // namespace tables::testing
