// Field value lists, field access by name/position, saved status and the
// confirmed delete.
#include "tables/fieldlist.h"

#include "runtime/dates.h"
#include "tables/dbcmd.h"
#include "tables/maintenance.h"
#include "tables/tables_testutil.h"
#include "tables/workarea.h"

namespace tables::testing {
namespace {

class FieldListTest : public TablesTest {
protected:
    // A table of n numeric fields F1..Fn holding 1..n in one record.
    void createWide(const std::string& name, int n) {
        std::vector<FieldInfo> fields;
        for (int i = 1; i <= n; ++i) fields.push_back({"F" + std::to_string(i), 'N', 5, 0});
        createTable(name, fields);
        use(name);
        DBAPPEND();
        for (int i = 1; i <= n; ++i) FIELDPUT(i, runtime::Value(i));
    }
};

TEST_F(FieldListTest, CopyByPositionIntoWiderAndNarrowerTables) {
    createWide("FIVE", 5);
    runtime::Value five = ACAMPOSLEE();
    ASSERT_EQ(five.array()->size(), 5u);
    createWide("SIX", 6);
    FIELDPUT(6, runtime::Value(600));
    ACAMPOSGRABA(five);
    EXPECT_EQ(FIELDGET(5).num(), 5);
    EXPECT_EQ(FIELDGET(6).num(), 600);
    createWide("FOUR", 4);
    for (int i = 1; i <= 4; ++i) FIELDPUT(i, runtime::Value(0));
    EXPECT_TRUE(RECCOPY("FIVE"));
    EXPECT_EQ(FIELDGET(4).num(), 4);
    EXPECT_EQ(ALIAS(), "FOUR");
    EXPECT_TRUE(recorder_->errors.empty());
}

TEST_F(FieldListTest, CopyOfMismatchedTypeRaisesDataTypeError) {
    createPeople("P", 1);
    use("P");
    DBGOTOP();
    createWide("NUMS", 2);
    RECCOPY("P");  // NAME (text) into F1 (number)
    ASSERT_FALSE(recorder_->errors.empty());
    EXPECT_EQ(recorder_->errors[0].genCode, 33);
    EXPECT_EQ(FIELDGET(1).num(), 1);
}

// Fields stored alike go over as bytes (memo text included), a field of
// another width is converted; a source at its end gives blank values.
TEST_F(FieldListTest, CopyByPositionMixesStoredBytesAndConvertedValues) {
    createTable("OLD", {{"NAME", 'C', 8, 0}, {"QTY", 'N', 6, 2}, {"NOTE", 'M', 10, 0}});
    use("OLD");
    DBAPPEND();
    FIELDPUT(1, runtime::Value("PEAR"));
    FIELDPUT(2, runtime::Value(12.5));
    FIELDPUT(3, runtime::Value::memo("a long note"));
    createTable(
        "NEW",
        {{"NAME", 'C', 8, 0}, {"QTY", 'N', 9, 3}, {"NOTE", 'M', 10, 0}, {"L340", 'L', 1, 0}});
    use("NEW");
    DBAPPEND();
    EXPECT_TRUE(RECCOPY("OLD"));
    EXPECT_EQ(FIELDGET(1).text(), "PEAR    ");
    EXPECT_EQ(FIELDGET(2).num(), 12.5);
    EXPECT_EQ(FIELDGET(3).text(), "a long note");
    inAlias("OLD", [] { DBSKIP(); });  // at its end: the phantom record
    DBAPPEND();
    EXPECT_TRUE(RECCOPY("OLD"));
    EXPECT_EQ(FIELDGET(1).text(), std::string(8, ' '));
    EXPECT_EQ(FIELDGET(2).num(), 0);
    EXPECT_EQ(FIELDGET(3).text(), "");
    EXPECT_TRUE(recorder_->errors.empty());
}

TEST_F(FieldListTest, BlankListFollowsFieldTypes) {
    createPeople("P", 1);
    use("P");
    DBGOTOP();
    runtime::Value blank = ACAMPOSBLANK();
    const runtime::Array& b = *blank.array();
    ASSERT_EQ(b.size(), 5u);
    EXPECT_EQ(b[0].text(), std::string(10, ' '));
    EXPECT_EQ(b[1].num(), 0);
    EXPECT_FALSE(b[2].logical());
    EXPECT_TRUE(b[3].date().empty());
    EXPECT_EQ(b[4].text(), "");  // empty memo: no characters
}

TEST_F(FieldListTest, GetFieldByKeyKeepsPositionAndOrder) {
    createPeople("P", 4);
    use("P");
    ORDCREATE("", "BYNAME", "NAME");
    ORDCREATE("", "BYAGE", "AGE");
    DBSETORDER(runtime::Value(2));
    DBGOTO(3);
    runtime::Value found = AGETFIELD(runtime::Value("P2"), 1, "P");
    EXPECT_EQ((*found.array())[1].num(), 20);
    runtime::Value missing = AGETFIELD(runtime::Value("ZZ"), 1, "P");
    EXPECT_EQ((*missing.array())[0].text(), std::string(10, ' '));
    EXPECT_EQ(RECNO(), 3u);
    EXPECT_EQ(INDEXORD(), 2);
}

TEST_F(FieldListTest, SavedStatusComesBackAfterSeeksAndSkips) {
    createPeople("P", 5);
    use("P");
    ORDCREATE("", "BYAGE", "AGE");
    DBGOTO(4);
    runtime::Value status = ASETSTATUS("P");
    DBSETORDER(runtime::Value(0));
    DBSEEK(runtime::Value(10));
    DBGOTOP();
    DBSKIP(2);
    GETSTATUS("P", status);
    EXPECT_EQ(RECNO(), 4u);
    EXPECT_EQ(INDEXORD(), 1);
}

TEST_F(FieldListTest, FieldByNameOrPositionAndOtherArgumentsIgnored) {
    createPeople("P", 1);
    use("P");
    DBGOTOP();
    EXPECT_EQ(UGETCAMPO(runtime::Value("  age ")).num(), 10);
    EXPECT_EQ(UGETCAMPO(runtime::Value(1)).text(), "P1        ");
    EXPECT_TRUE(UGETCAMPO(runtime::Value(true)).isNil());
    UPUTCAMPO(runtime::Value(" AGE"), runtime::Value(77));
    UPUTCAMPO(runtime::Value(true), runtime::Value(1));
    EXPECT_EQ(FIELDGET(2).num(), 77);
}

TEST_F(FieldListTest, DeleteLastRecordMovesToNewLastVisible) {
    createPeople("P", 3);
    use("P");
    DBGOBOTTOM();
    dialogs_.answers = {kDeleteConfirmButton};
    EXPECT_TRUE(LDELRECORD());
    EXPECT_FALSE(EOF_());
    EXPECT_EQ(RECNO(), 2u);
    DBGOTO(3);
    EXPECT_TRUE(DELETED());
    ASSERT_EQ(dialogs_.shown.size(), 1u);
    const DialogLayout& d = dialogs_.shown[0];
    EXPECT_EQ(d.resourceId, 20013);
    EXPECT_EQ(d.helpId, 999100000);
    ASSERT_EQ(d.lines.size(), 4u);
    EXPECT_EQ(d.lines[2].text, "\xBF Desea eliminar el registro activo ? ");
    EXPECT_EQ(d.lines[2].color, kColorMaroon);
    EXPECT_EQ(d.lines[0].color, kColorNavy);
}

TEST_F(FieldListTest, DeleteClosedWithoutButtonDeletesNothing) {
    createPeople("P", 2);
    use("P");
    DBGOTOP();
    dialogs_.answers = {0};
    EXPECT_FALSE(LDELRECORD());
    EXPECT_FALSE(DELETED());
    EXPECT_EQ(RECNO(), 1u);
}

// A browse scoped on AGE between two bounds.
class FakeBrowse : public BrowseScope {
public:
    std::string scopeField() const override { return "AGE"; }
    runtime::Value lowerBound() const override { return runtime::Value(20); }
    runtime::Value upperBound() const override { return runtime::Value(30); }
    std::string alias() const override { return "P"; }
    void BugUp() override { ++bugUps; }
    void Refresh() override { ++refreshes; }
    int bugUps = 0, refreshes = 0;
};

TEST_F(FieldListTest, ScopedDeleteStaysInsideTheScope) {
    createPeople("P", 5);
    use("P");
    ORDCREATE("", "BYAGE", "AGE");
    DBSEEK(runtime::Value(30));
    FakeBrowse browse;
    dialogs_.defaultAnswer = kDeleteConfirmButton;
    EXPECT_TRUE(LDELRECORD(&browse));
    EXPECT_EQ(FIELDGET(2).num(), 20);  // 40 is above the scope: back to 20
    EXPECT_EQ(browse.bugUps, 1);
    EXPECT_EQ(browse.refreshes, 1);
    EXPECT_TRUE(LDELRECORD(&browse));  // 20 goes: 30 is deleted, 10 is below
    EXPECT_TRUE(EOF_());               // the lower bound is gone: its seek finds nothing
}

}  // namespace
}  // namespace tables::testing
