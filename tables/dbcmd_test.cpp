// Table commands: navigation with DELETED on, fields, records, zap/pack,
// locks on exclusive tables, orders and append-from.
#include "tables/dbcmd.h"

#include "runtime/dates.h"
#include "runtime/settings.h"
#include "tables/tables_testutil.h"
#include "tables/workarea.h"

namespace tables::testing {
namespace {

class DbCmdTest : public TablesTest {};

TEST_F(DbCmdTest, WithoutTableTheAnswersAreNeutral) {
    EXPECT_TRUE(EOF_());
    EXPECT_TRUE(BOF());
    EXPECT_EQ(RECNO(), 0u);
    EXPECT_EQ(RECCOUNT(), 0u);
    EXPECT_EQ(FCOUNT(), 0);
    EXPECT_EQ(FIELDPOS("NAME"), 0);
    EXPECT_TRUE(FIELDGET(1).isNil());
    EXPECT_TRUE(FIELDPUT(1, runtime::Value("x")).isNil());
    EXPECT_EQ(INDEXKEY(1), "");
    EXPECT_TRUE(recorder_->errors.empty());
    DBAPPEND();
    __DBZAP();
    EXPECT_FALSE(RLOCK());
    EXPECT_FALSE(FLOCK());
    ORDCREATE("", "TAG", "NAME");
    EXPECT_EQ(genCodes(), (std::vector<int>{35, 35, 35, 35, 35}));
    EXPECT_EQ(recorder_->errors[0].operation, "DBAPPEND");
    EXPECT_EQ(recorder_->errors[1].operation, "__DBZAP");
    for (const RaisedError& e : recorder_->errors) EXPECT_EQ(e.subCode, 2001);
}

TEST_F(DbCmdTest, NavigationSkipsDeletedButRecCountCountsThem) {
    createPeople("T", 4);
    use("T");
    DBGOTO(2);
    DBDELETE();
    DBGOTO(4);
    DBDELETE();
    EXPECT_EQ(RECCOUNT(), 4u);
    DBGOTOP();
    EXPECT_EQ(RECNO(), 1u);
    DBSKIP();
    EXPECT_EQ(RECNO(), 3u);
    DBSKIP();
    EXPECT_TRUE(EOF_());
    EXPECT_EQ(RECNO(), 5u);
    DBGOBOTTOM();
    EXPECT_EQ(RECNO(), 3u);
    DBGOTO(2);  // any record by number, deleted or not
    EXPECT_EQ(RECNO(), 2u);
    EXPECT_TRUE(DELETED());
}

TEST_F(DbCmdTest, AllDeletedIsEndOfFileAfterGoTop) {
    createPeople("T", 3);
    use("T");
    for (uint32_t r = 1; r <= 3; ++r) {
        DBGOTO(r);
        DBDELETE();
    }
    DBGOTOP();
    EXPECT_TRUE(EOF_());
    runtime::SET(runtime::Set::Deleted, runtime::Value(false));
    DBGOTOP();
    EXPECT_FALSE(EOF_());
    EXPECT_EQ(RECNO(), 1u);
}

TEST_F(DbCmdTest, SkipBeforeFirstSetsBofOnFirstAndPhantomReadsBlank) {
    createPeople("T", 2);
    use("T");
    DBGOTOP();
    DBSKIP(-1);
    EXPECT_TRUE(BOF());
    EXPECT_EQ(RECNO(), 1u);
    DBSKIP(5);
    EXPECT_TRUE(EOF_());
    EXPECT_EQ(RECNO(), 3u);
    EXPECT_EQ(FIELDGET(1).text(), std::string(10, ' '));
    EXPECT_EQ(FIELDGET(2).num(), 0);
    EXPECT_FALSE(FIELDGET(3).logical());
    EXPECT_TRUE(FIELDGET(4).date().empty());
    DBSKIP(-1);  // back from the phantom record onto the last one
    EXPECT_FALSE(EOF_());
    EXPECT_EQ(RECNO(), 2u);
}

TEST_F(DbCmdTest, FieldsByNameAndPosition) {
    createTable("JOURNAL", {{"CONTRA", 'C', 20, 0}, {"l340", 'L', 1, 0}});
    use("JOURNAL");
    EXPECT_EQ(FIELDPOS("l340"), 2);
    EXPECT_EQ(FIELDPOS("L340  "), 2);
    EXPECT_EQ(FIELDPOS("NOPE"), 0);
    EXPECT_EQ(FIELDNAME(1), "CONTRA");
    EXPECT_EQ(FIELDNAME(3), "");
    EXPECT_TRUE(FIELDGET(0).isNil());
    EXPECT_TRUE(FIELDGET(3).isNil());
}

TEST_F(DbCmdTest, FieldValuesRoundTripByType) {
    createPeople("T", 0);
    use("T");
    DBAPPEND();
    runtime::Date born = runtime::makeDate(1987, 3, 31);
    FIELDPUT(1, runtime::Value("Ana"));
    FIELDPUT(2, runtime::Value(42));
    FIELDPUT(3, runtime::Value(true));
    FIELDPUT(4, runtime::Value(born));
    FIELDPUT(5, runtime::Value("a memo text"));
    DBCOMMIT();
    DBGOTOP();
    EXPECT_EQ(FIELDGET(1).text(), "Ana       ");
    EXPECT_EQ(FIELDGET(2).num(), 42);
    EXPECT_TRUE(FIELDGET(3).logical());
    EXPECT_EQ(FIELDGET(4).date(), born);
    EXPECT_EQ(FIELDGET(5).text(), "a memo text");
    EXPECT_EQ(FIELDGET(5).typeLetter(), 'M');
}

TEST_F(DbCmdTest, WrongTypeOrWidthRaisesAndWritesNothing) {
    createPeople("T", 1);
    use("T");
    DBGOTOP();
    EXPECT_TRUE(FIELDPUT(2, runtime::Value("text into a number")).isNil());
    ASSERT_EQ(recorder_->errors.size(), 1u);
    EXPECT_EQ(recorder_->errors[0].genCode, 33);
    EXPECT_EQ(recorder_->errors[0].subCode, 1020);
    EXPECT_EQ(recorder_->errors[0].subSystem, "ADSCDX");
    EXPECT_EQ(FIELDGET(2).num(), 10);
    EXPECT_TRUE(FIELDPUT(2, runtime::Value(123456)).isNil());  // does not fit N3
    ASSERT_EQ(recorder_->errors.size(), 2u);
    EXPECT_EQ(recorder_->errors[1].genCode, 34);
    EXPECT_EQ(FIELDGET(2).num(), 10);
}

TEST_F(DbCmdTest, FieldPutOnPhantomOrOutOfRangeDoesNothing) {
    createPeople("T", 1);
    use("T");
    DBGOTOP();
    EXPECT_TRUE(FIELDPUT(9, runtime::Value("x")).isNil());
    DBSKIP();
    ASSERT_TRUE(EOF_());
    EXPECT_TRUE(FIELDPUT(1, runtime::Value("ghost")).isNil());
    EXPECT_EQ(RECCOUNT(), 1u);
    DBGOTOP();
    EXPECT_EQ(FIELDGET(1).text(), "P1        ");
    EXPECT_TRUE(recorder_->errors.empty());
}

TEST_F(DbCmdTest, ZapOnExclusiveEmptiesAndPackNeedsExclusive) {
    createPeople("T", 3);
    use("T");
    __DBZAP();
    EXPECT_EQ(RECCOUNT(), 0u);
    EXPECT_TRUE(EOF_());
    DBCLOSEAREA();
    createPeople("S", 2);
    use("S", /*shared=*/true);
    __DBPACK();
    ASSERT_EQ(recorder_->errors.size(), 1u);
    EXPECT_EQ(recorder_->errors[0].genCode, 37);
    EXPECT_EQ(recorder_->errors[0].subCode, 1023);
    EXPECT_EQ(RECCOUNT(), 2u);
}

TEST_F(DbCmdTest, PackRemovesDeletedRecords) {
    createPeople("T", 3);
    use("T");
    DBGOTO(2);
    DBDELETE();
    __DBPACK();
    EXPECT_EQ(RECCOUNT(), 2u);
    DBGOBOTTOM();
    EXPECT_EQ(FIELDGET(1).text(), "P3        ");
}

TEST_F(DbCmdTest, LocksOnExclusiveTableAlwaysSucceed) {
    createPeople("T", 1);
    use("T");
    DBGOTOP();
    EXPECT_TRUE(RLOCK());
    EXPECT_TRUE(FLOCK());
    DBUNLOCK();
    EXPECT_TRUE(recorder_->errors.empty());
}

TEST_F(DbCmdTest, RecordLockReplacesOthersOnSharedTable) {
    createPeople("T", 3);
    use("T", true);
    DBGOTO(1);
    EXPECT_TRUE(DBRLOCK(1));
    EXPECT_TRUE(DBRLOCK(2));
    EXPECT_EQ(DBRLOCKLIST(), (std::vector<uint32_t>{1, 2}));
    DBGOTO(3);
    EXPECT_TRUE(RLOCK());
    EXPECT_EQ(DBRLOCKLIST(), (std::vector<uint32_t>{3}));
    DBAPPEND();  // releases the area's locks
    EXPECT_TRUE(DBRLOCKLIST().empty());
    EXPECT_FALSE(NETERR());
}

TEST_F(DbCmdTest, OrdersCreateSeekAndReopenByNumber) {
    createPeople("T", 4);
    use("T");
    ORDCREATE("", "BYAGE", "AGE");
    ORDCREATE("", "BYNAME", "UPPER(NAME)");
    EXPECT_EQ(INDEXORD(), 2);
    EXPECT_EQ(ORDSETFOCUS(runtime::Value("BYAGE")), "BYNAME");
    EXPECT_TRUE(DBSEEK(runtime::Value(30)));
    EXPECT_EQ(RECNO(), 3u);
    EXPECT_FALSE(DBSEEK(runtime::Value(35)));
    EXPECT_TRUE(EOF_());
    EXPECT_FALSE(DBSEEK(runtime::Value(35), true));
    EXPECT_EQ(RECNO(), 4u);  // soft seek: the next higher key
    DBCLOSEAREA();
    use("T");  // the structural index opens with the table
    DBSETORDER(runtime::Value("2"));
    EXPECT_EQ(INDEXORD(), 2);
    EXPECT_EQ(INDEXKEY(0), "UPPER(NAME)");
    DBSETORDER(runtime::Value(7));  // unknown: previous order kept
    EXPECT_EQ(INDEXORD(), 2);
    EXPECT_TRUE(DBSEEK(runtime::Value("P2")));
    EXPECT_EQ(RECNO(), 2u);
}

TEST_F(DbCmdTest, OrdCreateArgumentErrors) {
    createPeople("T", 1);
    use("T");
    ORDCREATE("", "", "AGE");
    ORDCREATE("", "TAG", "");
    EXPECT_EQ(genCodes(), (std::vector<int>{1, 1}));
    EXPECT_EQ(recorder_->errors[0].subCode, 1006);
    EXPECT_EQ(recorder_->errors[0].operation, "ORDCREATE");
}

TEST_F(DbCmdTest, OrdCondSetEvalBlockRunsDuringBuild) {
    createPeople("T", 50);
    use("T");
    int calls = 0;
    ORDCONDSET(std::nullopt, {}, false, {}, runtime::Block([&](std::span<const runtime::Value>) {
                   ++calls;
                   return runtime::Value(true);
               }),
               0, RECNO());
    ORDCREATE("", "BYAGE", "AGE");
    EXPECT_GT(calls, 0);
    EXPECT_EQ(ORDKEYCOUNT(), 50u);
}

TEST_F(DbCmdTest, AppendFromCopiesSameNamedVisibleFields) {
    createTable("OLD", {{"NAME", 'C', 10, 0}, {"GONE", 'N', 5, 0}, {"AGE", 'N', 3, 0}});
    createTable("NEW", {{"AGE", 'N', 3, 0}, {"NAME", 'C', 10, 0}, {"L340", 'L', 1, 0}});
    use("OLD");
    for (int i = 1; i <= 3; ++i) {
        DBAPPEND();
        FIELDPUT(1, runtime::Value("N" + std::to_string(i)));
        FIELDPUT(2, runtime::Value(7));
        FIELDPUT(3, runtime::Value(i));
    }
    DBGOTO(2);
    DBDELETE();
    DBCLOSEAREA();
    use("NEW");
    int progress = 0;
    __DBAPP(path("OLD"), {}, {}, runtime::Block([&](std::span<const runtime::Value>) {
                ++progress;
                return runtime::Value(true);
            }));
    EXPECT_EQ(RECCOUNT(), 2u);
    EXPECT_EQ(progress, 2);
    EXPECT_EQ(RECNO(), 2u);  // on the last appended record
    EXPECT_EQ(FIELDGET(2).text(), "N3        ");
    DBGOTOP();
    EXPECT_EQ(FIELDGET(1).num(), 1);
    EXPECT_FALSE(FIELDGET(3).logical());
    EXPECT_EQ(ALIAS(), "NEW");
    EXPECT_EQ(SELECT("__TMPAREA"), 0);
    EXPECT_TRUE(recorder_->errors.empty());
}

TEST_F(DbCmdTest, AppendFromArgumentErrorsAndMissingSource) {
    __DBAPP(path("X"));
    createPeople("T", 0);
    use("T");
    __DBAPP("");
    ASSERT_EQ(recorder_->errors.size(), 2u);
    EXPECT_EQ(recorder_->errors[0].genCode, 35);
    EXPECT_EQ(recorder_->errors[0].operation, "DBAPP");
    EXPECT_EQ(recorder_->errors[1].genCode, 1);
    EXPECT_EQ(recorder_->errors[1].subCode, 2019);
    __DBAPP(path("MISSING"));
    EXPECT_TRUE(NETERR());
    EXPECT_EQ(ALIAS(), "T");
    EXPECT_EQ(RECCOUNT(), 0u);
}

}  // namespace
}  // namespace tables::testing
