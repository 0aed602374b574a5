// Work areas: opening and its failures, aliases, selecting, aliased access.
#include "tables/workarea.h"

#include "runtime/settings.h"
#include "tables/dbcmd.h"
#include "tables/tables_testutil.h"

namespace tables::testing {
namespace {

class WorkAreaTest : public TablesTest {};

TEST_F(WorkAreaTest, MissingTableIsSilentNetErrWithCodeTwo) {
    NETERR(true);  // the open clears it first, then sets it again
    DBUSEAREA(true, std::nullopt, path("NOSUCH"), "NOSUCH", false, false);
    EXPECT_TRUE(NETERR());
    EXPECT_EQ(NERRORCODE(), 2);
    EXPECT_FALSE(USED());
    EXPECT_EQ(SELECT(), 1);
    EXPECT_TRUE(alerts_.shown.empty());
    ASSERT_EQ(recorder_->errors.size(), 1u);
    EXPECT_EQ(recorder_->errors[0].genCode, 21);
    EXPECT_EQ(recorder_->errors[0].subCode, 5004);
    EXPECT_EQ(recorder_->errors[0].subSystem, "ADSCDX");
    EXPECT_EQ(recorder_->errors[0].description, "Open error");
    EXPECT_EQ(recorder_->errors[0].severity, 2);
    EXPECT_TRUE(recorder_->errors[0].silent);
}

TEST_F(WorkAreaTest, SuccessfulOpenClearsNetErr) {
    createPeople("PEOPLE", 2);
    NETERR(true);
    use("PEOPLE");
    EXPECT_FALSE(NETERR());
    EXPECT_EQ(ALIAS(), "PEOPLE");
    EXPECT_EQ(RDDNAME(), "ADSCDX");
}

TEST_F(WorkAreaTest, AliasCanBeReopenedAfterCloseButNotWhileOpen) {
    createPeople("DIARIO", 1);
    DBUSEAREA(true, std::nullopt, path("DIARIO"), "Diario", false, false);
    ASSERT_TRUE(USED());
    DBCLOSEAREA();
    DBUSEAREA(true, std::nullopt, path("DIARIO"), "Diario", false, false);
    ASSERT_TRUE(USED());
    int area = SELECT();
    DBUSEAREA(true, std::nullopt, path("DIARIO"), "DIARIO", true, false);
    ASSERT_EQ(recorder_->errors.size(), 1u);
    EXPECT_EQ(recorder_->errors[0].genCode, 18);
    EXPECT_EQ(recorder_->errors[0].subCode, 1011);
    EXPECT_EQ(recorder_->errors[0].subSystem, "DBCMD");
    EXPECT_EQ(recorder_->errors[0].operation, "DIARIO");
    EXPECT_EQ(SELECT("diario"), area);  // the first open is untouched
}

TEST_F(WorkAreaTest, IllegalAliasesAreRefusedAndLIsAccepted) {
    createPeople("T", 1);
    DBUSEAREA(true, std::nullopt, path("T"), "A", false, false);
    DBUSEAREA(true, std::nullopt, path("T"), "m", false, false);
    DBUSEAREA(true, std::nullopt, path("T"), "1abc", false, false);
    EXPECT_EQ(genCodes(), (std::vector<int>{18, 18, 18}));
    for (const RaisedError& e : recorder_->errors) {
        EXPECT_EQ(e.subCode, 1011);
        EXPECT_EQ(e.operation, "DBUSEAREA");
    }
    EXPECT_FALSE(USED());
    DBUSEAREA(true, std::nullopt, path("T"), "L", false, false);
    EXPECT_TRUE(USED());
    EXPECT_EQ(ALIAS(), "L");
}

TEST_F(WorkAreaTest, ArgumentErrorsOfTheOpen) {
    DBUSEAREA(true, std::nullopt, std::nullopt, "X1", false, false);
    createPeople("T", 1);
    DBUSEAREA(true, "NOPE", path("T"), "T1", false, false);
    ASSERT_EQ(recorder_->errors.size(), 2u);
    EXPECT_EQ(recorder_->errors[0].genCode, 1);
    EXPECT_EQ(recorder_->errors[0].subCode, 1005);
    EXPECT_EQ(recorder_->errors[1].genCode, 1);
    EXPECT_EQ(recorder_->errors[1].subCode, 1015);
    EXPECT_EQ(recorder_->errors[1].operation, "DBUSEAREA");
    EXPECT_FALSE(USED());
}

TEST_F(WorkAreaTest, NewAreaTakesLowestFreeAndSameAreaReplacesTable) {
    createPeople("ONE", 1);
    createPeople("TWO", 1);
    use("ONE");
    use("TWO");
    EXPECT_EQ(SELECT("ONE"), 1);
    EXPECT_EQ(SELECT("TWO"), 2);
    DBSELECTAREA(runtime::Value(1));
    DBCLOSEAREA();
    DBSELECTAREA(runtime::Value(2));
    DBUSEAREA(true, std::nullopt, path("ONE"), "ONE", false, false);
    EXPECT_EQ(SELECT(), 1);
    DBUSEAREA(false, std::nullopt, path("ONE"), "AGAIN", false, false);  // replaces ONE in area 1
    EXPECT_EQ(SELECT(), 1);
    EXPECT_EQ(ALIAS(), "AGAIN");
    EXPECT_EQ(SELECT("ONE"), 0);
}

TEST_F(WorkAreaTest, AliasedReadWriteAndEvaluationRestoreTheCurrentArea) {
    createPeople("SRC", 2);
    createPeople("DST", 0);
    use("SRC");
    use("DST");
    int dst = SELECT();
    EXPECT_EQ(aliasField("src", "name").text(), "P1        ");
    DBSELECTAREA(runtime::Value("SRC"));
    DBGOTO(2);
    DBSELECTAREA(runtime::Value(dst));
    EXPECT_EQ(fieldValue("SRC->AGE").num(), 20);
    EXPECT_EQ(SELECT(), dst);
    aliasAssign("SRC", "AGE", runtime::Value(99));
    EXPECT_EQ(inAlias("SRC", [] { return FIELDGET(2).num(); }), 99);
    EXPECT_EQ(SELECT(), dst);
    EXPECT_TRUE(recorder_->errors.empty());
}

TEST_F(WorkAreaTest, UnknownAliasRaisesAndDoesNotEvaluate) {
    bool called = false;
    int r = inAlias("GHOST", [&] {
        called = true;
        return 7;
    });
    EXPECT_EQ(r, 0);
    EXPECT_FALSE(called);
    aliasField("GHOST", "X");
    ASSERT_EQ(recorder_->errors.size(), 2u);
    EXPECT_EQ(recorder_->errors[0].genCode, 15);
    EXPECT_EQ(recorder_->errors[0].subCode, 1002);
    EXPECT_EQ(recorder_->errors[0].description, "Alias does not exist");
}

TEST_F(WorkAreaTest, UnknownFieldNameRaisesVariableError) {
    createPeople("T", 1);
    use("T");
    EXPECT_TRUE(fieldValue("NOFIELD").isNil());
    fieldAssign("NOFIELD", runtime::Value(1));
    EXPECT_EQ(genCodes(), (std::vector<int>{14, 14}));
}

TEST_F(WorkAreaTest, SharedDefaultFollowsExclusiveSetting) {
    createPeople("T", 1);
    runtime::SET(runtime::Set::Exclusive, runtime::Value(false));
    DBUSEAREA(true, std::nullopt, path("T"), "T1");
    ASSERT_TRUE(USED());
    DBUSEAREA(true, std::nullopt, path("T"), "T2");  // a second shared open succeeds
    EXPECT_TRUE(USED());
    EXPECT_FALSE(NETERR());
    runtime::SET(runtime::Set::Exclusive, runtime::Value(true));
    DBUSEAREA(true, std::nullopt, path("T"), "T3");  // exclusive: refused, silently
    EXPECT_FALSE(USED());
    EXPECT_TRUE(NETERR());
}

}  // namespace
}  // namespace tables::testing
