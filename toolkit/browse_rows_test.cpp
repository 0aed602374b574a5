// The browse's stripe pattern and its record movements over real tables.
#include "toolkit/browse_rows.h"

#include <gtest/gtest.h>

#include "tables/dbcmd.h"
#include "tables/tables_testutil.h"
#include "tables/workarea.h"

namespace toolkit {
namespace {

using runtime::Value;

TEST(StripePatternTest, ResetStartsWithTheSecondStripeAndResizeWithTheFirst) {
    StripePattern p;
    p.reset();
    EXPECT_EQ(p.text().size(), 100u);
    EXPECT_EQ(p.text().substr(0, 4), "2121");
    p.resize(5);
    EXPECT_EQ(p.text(), "121212121");
    EXPECT_EQ(p.at(1), '1');
    EXPECT_EQ(p.at(10), 0) << "beyond the end";
}

TEST(StripePatternTest, ScrollingKeepsEachRowsStripeWithItsRecord) {
    StripePattern p;
    p.resize(2);  // "121212"
    const char secondRow = p.at(2);
    p.down();  // the rows moved up: row 2's record is now on row 1
    EXPECT_EQ(p.at(1), secondRow);
    EXPECT_EQ(p.text(), "212121");
    p.up();
    EXPECT_EQ(p.text(), "121212");
    StripePattern one;
    one.resize(-3);  // a single character
    one.down();
    one.up();
    EXPECT_EQ(one.text(), "1");
}

class BrowseRowsTest : public tables::testing::TablesTest {
protected:
    // A table of n records NUM 1..n; the listed ones deleted.
    void makeTable(int n, std::vector<int> deleted = {}) {
        createTable("ROWS", {{"NUM", 'N', 5, 0}});
        use("ROWS");
        for (int i = 1; i <= n; ++i) {
            tables::DBAPPEND();
            tables::FIELDPUT(1, Value(i));
        }
        for (int r : deleted) {
            tables::DBGOTO(static_cast<uint32_t>(r));
            tables::DBDELETE();
        }
        tables::DBGOTOP();
    }
    int num() { return static_cast<int>(tables::FIELDGET(1).numOr(-1)); }
};

TEST_F(BrowseRowsTest, SkipperOnAnEmptyTableMovesNothing) {
    makeTable(0);
    EXPECT_EQ(DBSKIPPER(5), 0);
    EXPECT_EQ(DBSKIPPER(-5), 0);
    EXPECT_EQ(DBSKIPPER(0), 0);
}

TEST_F(BrowseRowsTest, SkipperStopsOnTheLastAndTheFirstRecord) {
    makeTable(5);
    EXPECT_EQ(DBSKIPPER(3), 3);
    EXPECT_EQ(num(), 4);
    EXPECT_EQ(DBSKIPPER(10), 1) << "one more record, then it steps back from the end";
    EXPECT_EQ(num(), 5);
    EXPECT_FALSE(tables::EOF_());
    EXPECT_EQ(DBSKIPPER(-10), -4);
    EXPECT_EQ(num(), 1);
    tables::DBGOBOTTOM();
    tables::DBSKIP(1);  // end of file
    EXPECT_EQ(DBSKIPPER(2), 0) << "a forward skip at end of file moves nothing";
}

TEST_F(BrowseRowsTest, SkipperPassesOverDeletedRecords) {
    makeTable(6, {2, 3});
    EXPECT_EQ(DBSKIPPER(2), 2);
    EXPECT_EQ(num(), 5);
}

TEST_F(BrowseRowsTest, LengthIsCountedExactlyWhenTheTableFitsOnScreen) {
    makeTable(8, {2, 5});
    tables::DBGOTO(4);
    EXPECT_EQ(browseCalcLen(20), 6u) << "deleted records are not counted";
    EXPECT_EQ(tables::RECNO(), 4u) << "the record is the same afterwards";
    EXPECT_EQ(browseCalcLen(3), 8u) << "too long for the screen: the engine's key count";
    EXPECT_EQ(tables::RECNO(), 4u);
}

TEST_F(BrowseRowsTest, LengthAtEndOfFileLeavesTheAreaThere) {
    makeTable(3);
    tables::DBGOBOTTOM();
    tables::DBSKIP(1);
    EXPECT_EQ(browseCalcLen(10), 3u);
    EXPECT_TRUE(tables::EOF_());
}

}  // namespace
}  // namespace toolkit
