// Filters, relations, the information functions and the short names.
#include "tables/shortnames.h"

#include "tables/tables_testutil.h"

namespace tables::testing {
namespace {

class FilterTest : public TablesTest {
protected:
    static runtime::Block ageAbove(double limit) {
        return runtime::Block([limit](std::span<const runtime::Value>) {
            return runtime::Value(FIELDGET(2).num() > limit);
        });
    }
};

TEST_F(FilterTest, FilterHidesRecordsFromEveryMove) {
    createPeople("P", 5);  // ages 10..50
    use("P");
    DBSETFILTER(ageAbove(25), "AGE > 25");
    EXPECT_EQ(DBFILTER(), "AGE > 25");
    DBGOTOP();
    EXPECT_EQ(RECNO(), 3u);
    DBSKIP(-1);
    EXPECT_TRUE(BOF());
    EXPECT_EQ(RECNO(), 3u);
    DBSKIP(2);
    EXPECT_EQ(RECNO(), 5u);
    DBSKIP();
    EXPECT_TRUE(EOF_());
    DBGOBOTTOM();
    EXPECT_EQ(RECNO(), 5u);
    DBSKIP(-1);
    EXPECT_EQ(RECNO(), 4u);
    EXPECT_FALSE(BOF());
    DBSETFILTE(ageAbove(99));  // nothing passes
    DBGOTOP();
    EXPECT_TRUE(EOF_());
    DBGOBOTTOM();
    EXPECT_TRUE(EOF_());
    DBCLEARFIL();
    DBGOTOP();
    EXPECT_EQ(RECNO(), 1u);
}

TEST_F(FilterTest, RelatedAreaFollowsTheParent) {
    createPeople("CHILD", 4);
    use("CHILD");
    ORDCREATE("", "BYAGE", "AGE");
    createTable("PARENT", {{"REF", 'N', 3, 0}});
    use("PARENT");
    for (int age : {30, 10, 99}) {
        DBAPPEND();
        FIELDPUT(1, runtime::Value(age));
    }
    DBSETRELAT(runtime::Value("CHILD"),
               runtime::Block([](std::span<const runtime::Value>) { return FIELDGET(1); }), "REF");
    EXPECT_EQ(DBRELATION(1), "REF");
    EXPECT_EQ(DBRSELECT(1), SELECT("CHILD"));
    DBGOTOP();
    EXPECT_EQ(aliasField("CHILD", "NAME").text(), "P3        ");
    DBSKIP();
    EXPECT_EQ(aliasField("CHILD", "NAME").text(), "P1        ");
    DBSKIP();
    EXPECT_TRUE(inAlias("CHILD", [] { return EOF_(); }));  // key 99 is not there
    DBCLEARREL();
    EXPECT_EQ(DBRSELECT(1), 0);
    DBSELECTAREA(runtime::Value("CHILD"));
    DBCLOSEARE();
    EXPECT_EQ(SELECT("CHILD"), 0);
}

TEST_F(FilterTest, InformationAboutFieldsOrdersAndRecords) {
    createPeople("P", 2);
    use("P", true);
    ORDCREATE("", "BYAGE", "AGE");
    EXPECT_EQ(DBFIELDINF(1, 2).text(), "AGE");
    EXPECT_EQ(DBFIELDINF(2, 3).text(), "L");
    EXPECT_EQ(DBFIELDINF(3, 1).num(), 10);
    EXPECT_TRUE(DBFIELDINF(1, 9).isNil());
    EXPECT_EQ(DBORDERINF(2).text(), "AGE");
    EXPECT_EQ(DBORDERINF(5, {}, runtime::Value(1)).text(), "BYAGE");
    EXPECT_EQ(DBORDERINF(9).num(), 1);
    EXPECT_EQ(DBORDERINF(26).num(), 2);
    DBGOTO(2);
    DBDELETE();
    DBGOTO(1);
    EXPECT_TRUE(DBRECORDIN(1, runtime::Value(2)).logical());
    EXPECT_EQ(RECNO(), 1u);  // visited and left again
    EXPECT_FALSE(DBRECORDIN(2).logical());
    EXPECT_TRUE(DBRLOCK(1));
    EXPECT_TRUE(DBRECORDIN(2).logical());
    EXPECT_EQ(DBRLOCKLIS(), (std::vector<uint32_t>{1}));
    DBUNLOCKAL();
    EXPECT_TRUE(DBRLOCKLIS().empty());
    EXPECT_EQ(ORDSETFOCU(runtime::Value(0)), "BYAGE");
    EXPECT_EQ(INDEXORD(), 0);
    EXPECT_EQ(RDDSETDEFA(), "ADS");
    EXPECT_EQ(DBSETDRIVE(), "ADS");
}

}  // namespace
}  // namespace tables::testing
