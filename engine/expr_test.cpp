// Tests of the key/FOR expression compiler and evaluator.
#include <gtest/gtest.h>

#include "engine/cdx_testutil.h"
#include "engine/expression.h"
#include "runtime/codepage.h"

namespace engine {
namespace {

using test::MemTable;

class ExprTest : public ::testing::Test {
protected:
    ExprTest()
        : table_({"NAME,C,10", "CITY,C,8", "QTY,N,8,2", "BORN,D,8", "OK,L,1", "ID,I,4",
                  "CONTACT_TY,C,5"}) {
        table_.append({"ana \xD1u", "MADRID", "12.50", "19990215", "T", "7", "AB"});
        table_.append({"", "", "", "", "F", "0", ""});
        previousPage_ = runtime::HB_SETCODEPAGE("ESWIN");
    }
    ~ExprTest() override { runtime::HB_SETCODEPAGE(previousPage_); }

    ExprValue eval(const std::string& text, uint32_t recno = 1) {
        std::string error;
        auto e = test::compiled(text, table_.schema(), &error);
        EXPECT_TRUE(e) << text << ": " << error;
        ExprValue v;
        if (e) {
            Status s = e->evaluate(table_.record(recno), &v);
            EXPECT_TRUE(s.ok()) << s.message();
        }
        return v;
    }
    std::string text(const std::string& e, uint32_t recno = 1) { return eval(e, recno).text; }
    double number(const std::string& e, uint32_t recno = 1) { return eval(e, recno).number; }
    bool logical(const std::string& e, uint32_t recno = 1) { return eval(e, recno).logical; }

    std::string compileError(const std::string& text) {
        std::string error;
        auto e = test::compiled(text, table_.schema(), &error);
        EXPECT_FALSE(e) << text;
        return error;
    }
    int length(const std::string& text) {
        auto e = test::compiled(text, table_.schema());
        return e ? e->staticLength() : -2;
    }

    MemTable table_;
    std::string previousPage_;
};

TEST_F(ExprTest, FieldsAndAliasedFieldsReadTheRecord) {
    EXPECT_EQ(text("name"), "ana \xD1u    ");
    EXPECT_EQ(text("T->NAME"), text("name"));
    EXPECT_DOUBLE_EQ(number("qty"), 12.5);
    EXPECT_TRUE(logical("ok"));
    EXPECT_DOUBLE_EQ(number("id + 1"), 8);
    // A name longer than ten characters means the field named by its first ten.
    EXPECT_EQ(text("contact_type_id"), "AB   ");
    EXPECT_NE(compileError("X->NAME").find("unknown field"), std::string::npos);
}

TEST_F(ExprTest, TextFunctionsFollowTheCodePageAndKeepWidths) {
    EXPECT_EQ(text("UPPER(name)"), "ANA \xD1U    ");
    EXPECT_EQ(text("LOWER(city)"), "madrid  ");
    EXPECT_EQ(text("TRIM(name)+'|'"), "ana \xD1u|");
    EXPECT_EQ(text("ALLTRIM('  a b  ')"), "a b");
    EXPECT_EQ(text("LTRIM('  x ')"), "x ");
    EXPECT_EQ(text("LEFT(city,3)+RIGHT(city,4)"), "MADID  ");
    EXPECT_EQ(text("SUBSTR(city,2,3)+SUBSTR(city,5)"), "ADRID  ");
    EXPECT_EQ(text("PADL('7',3,'0')+PADR('ab',4)+PADC('x',3)"), "007ab   x ");
    EXPECT_EQ(text("SPACE(2)+REPLICATE('ab',3)"), "  ababab");
    EXPECT_EQ(text("city - name"), "MADRIDana \xD1u      ");
    EXPECT_EQ(length("city - name"), 18);
    EXPECT_EQ(length("UPPER(LEFT(name,4))+DTOS(born)"), 12);
    EXPECT_EQ(length("SUBSTR(city,3)"), 6);
    EXPECT_EQ(length("IIF(ok,city,name)"), 10);
}

TEST_F(ExprTest, NumbersAndDatesConvert) {
    EXPECT_EQ(text("STR(qty)"), "   12.50");
    EXPECT_EQ(text("STR(qty,6,1)"), "  12.5");
    EXPECT_EQ(text("STR(12345,3)"), "***");
    EXPECT_EQ(text("STRZERO(id,5)"), "00007");
    EXPECT_EQ(text("STRZERO(-5,4)"), "-005");
    EXPECT_DOUBLE_EQ(number("VAL(' 42.5x')"), 42.5);
    EXPECT_EQ(text("DTOS(born)"), "19990215");
    EXPECT_EQ(text("DTOS(born)", 2), "        ");
    EXPECT_EQ(text("DTOC(born)"), "15/02/99");
    EXPECT_DOUBLE_EQ(number("YEAR(born)*10000+MONTH(born)*100+DAY(born)"), 19990215);
    EXPECT_EQ(text("DTOS(CTOD('01/03/20'))"), "19200301");  // epoch 1900 by default
    EXPECT_EQ(text("DTOS(born+14)"), "19990301");
    EXPECT_DOUBLE_EQ(number("born - CTOD('01/02/99')"), 14);
    EXPECT_DOUBLE_EQ(number("7 % 4 + 2 ^ 3 - 10 / 4"), 3 + 8 - 2.5);
}

// A date pushed past every day (here to infinity) turned into text was an
// undefined conversion of the day number; it reads as the empty date.
TEST_F(ExprTest, DateBeyondEveryDayReadsAsEmptyDate) {
    EXPECT_EQ(text("PADL(born+4**99,8)"), text("PADL(CTOD(''),8)"));
    EXPECT_EQ(text("PADL(born-4**99,8)"), text("PADL(CTOD(''),8)"));
}

TEST_F(ExprTest, LogicOperatorsAndComparisons) {
    EXPECT_TRUE(logical("ok .AND. .NOT. EMPTY(city)"));
    EXPECT_TRUE(logical("EMPTY(city) .OR. !ok", 2));
    EXPECT_TRUE(logical("TRIM(UPPER(city)) == 'MADRID'"));
    EXPECT_TRUE(logical("city = 'MAD'"));  // prefix rule of =
    EXPECT_FALSE(logical("city == 'MAD'"));
    EXPECT_FALSE(logical("'MAD' = city"));
    EXPECT_TRUE(logical("city != 'X' .AND. city <> 'Y' .AND. city # 'Z'"));
    EXPECT_TRUE(logical("'DRI' $ city"));
    EXPECT_TRUE(logical("qty >= 12.5 .AND. qty < 13 .AND. born > CTOD('01/01/99')"));
    EXPECT_TRUE(logical("IIF(ok, 1, 2) = 1"));
    EXPECT_TRUE(logical(".T. .AND. .y."));
    EXPECT_TRUE(logical("'N' < '\xD1' .AND. '\xD1' < 'O'"));  // the code page's alphabet
}

TEST_F(ExprTest, RecordFunctionsAndDeletedFlag) {
    table_.setDeleted(2, true);
    EXPECT_FALSE(logical("DELETED()"));
    EXPECT_TRUE(logical("DELETED()", 2));
    EXPECT_DOUBLE_EQ(number("RECNO()", 2), 2);
    std::string error;
    auto e = test::compiled(".NOT.DELE()", table_.schema(), &error);
    ASSERT_TRUE(e) << error;
    EXPECT_TRUE(e->usesDeleted());
    EXPECT_FALSE(test::compiled("name", table_.schema())->usesDeleted());
}

TEST_F(ExprTest, BadExpressionsAreRejectedWithPosition) {
    EXPECT_EQ(compileError("name +"), "expression ends too early at position 7");
    EXPECT_NE(compileError("name + qty").find("cannot apply + to character and numeric"),
              std::string::npos);
    EXPECT_NE(compileError("UPPER(qty)").find("UPPER() argument 1 must be character"),
              std::string::npos);
    EXPECT_NE(compileError("SUBSTR(name)").find("takes 2 to 3 arguments"), std::string::npos);
    EXPECT_NE(compileError("NOSUCH(name)").find("unknown function NOSUCH"), std::string::npos);
    EXPECT_NE(compileError("'abc").find("unterminated text"), std::string::npos);
    EXPECT_NE(compileError("name @ 1").find("unexpected character '@'"), std::string::npos);
    EXPECT_NE(compileError("IIF(ok, 1, 'a')").find("same type"), std::string::npos);
    EXPECT_NE(compileError("(name").find("')' expected"), std::string::npos);
    EXPECT_NE(
        compileError(std::string(500, '(') + "1" + std::string(500, ')')).find("nested too deeply"),
        std::string::npos);
}

TEST_F(ExprTest, RuntimeFailuresReportInsteadOfCrashing) {
    auto e = test::compiled("qty / (id - 7)", table_.schema());
    ASSERT_TRUE(e);
    ExprValue v;
    Status s = e->evaluate(table_.record(1), &v);
    EXPECT_EQ(s, kBadExpression);
    EXPECT_EQ(s.message(), "division by zero");
    e = test::compiled("REPLICATE('ab', 100000)", table_.schema());
    ASSERT_TRUE(e);
    s = e->evaluate(table_.record(1), &v);
    EXPECT_EQ(s, kBadExpression);
    EXPECT_NE(s.message().find("longer than"), std::string::npos);
}

}  // namespace
}  // namespace engine
