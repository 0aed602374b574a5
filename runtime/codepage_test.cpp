// Tests of the ESWIN code page: case conversion, collation and the
// relational operators under the exact-comparison setting.
#include "runtime/codepage.h"

#include <gtest/gtest.h>

#include "runtime/settings.h"

namespace runtime {
namespace {

class CodePageTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettings();
        previous_ = HB_SETCODEPAGE("ESWIN");
    }
    void TearDown() override {
        HB_SETCODEPAGE(previous_);
        resetSettings();
    }
    static bool rel(std::string_view a, CompareOp op, std::string_view b) {
        return textRelation(a, op, b);
    }

private:
    std::string previous_;
};

TEST_F(CodePageTest, SelectingReturnsPreviousAndUnknownNameKeepsPage) {
    EXPECT_EQ(HB_SETCODEPAGE("EN"), "ESWIN");
    EXPECT_EQ(HB_SETCODEPAGE("KLINGON"), "EN");
    EXPECT_EQ(HB_SETCODEPAGE(), "EN");
    EXPECT_EQ(HB_SETCODEPAGE("eswin"), "EN");
    EXPECT_EQ(HB_SETCODEPAGE(), "ESWIN");
}

TEST_F(CodePageTest, UpperConvertsSpanishLettersAndLeavesTheRest) {
    // n-tilde, a/e/i/o/u acute, u diaeresis, then digits, blanks, punctuation.
    EXPECT_EQ(UPPER("\xF1\xE1\xE9\xED\xF3\xFA\xFC 09.,-x"), "\xD1\xC1\xC9\xCD\xD3\xDA\xDC 09.,-X");
    EXPECT_EQ(LOWER("\xD1\xC1\xC9\xCD\xD3\xDA\xDC ABC"), "\xF1\xE1\xE9\xED\xF3\xFA\xFC abc");
    // Letters outside the alphabets keep their byte: c cedilla, a grave.
    EXPECT_EQ(UPPER("\xE7\xE0"), "\xE7\xE0");
    // Bytes of every value survive, zero included.
    std::string withZero("a\0b", 3);
    EXPECT_EQ(UPPER(withZero), std::string("A\0B", 3));
}

TEST_F(CodePageTest, UnderPlainPageOnlyAsciiLettersChangeCase) {
    HB_SETCODEPAGE("EN");
    EXPECT_EQ(UPPER("\xF1z"), "\xF1Z");
    EXPECT_LT(compareBytes('O', 0xD1), 0);  // byte order: 'O' < N-tilde
}

TEST_F(CodePageTest, CollationFollowsTheSpanishAlphabet) {
    EXPECT_LT(compareBytes('N', 0xD1), 0);  // N < N-tilde
    EXPECT_LT(compareBytes(0xD1, 'O'), 0);  // N-tilde < O
    EXPECT_LT(compareBytes('A', 0xC1), 0);  // A < A-acute
    EXPECT_LT(compareBytes(0xC1, 'B'), 0);  // A-acute < B
    EXPECT_LT(compareBytes('Z', 'a'), 0);   // every upper before every lower
    EXPECT_LT(compareBytes(0xDC, 'a'), 0);  // even U-diaeresis before a
    EXPECT_LT(compareBytes('1', 'A'), 0);   // a non-letter compares by byte value
    EXPECT_GT(compareBytes(0xE7, 'z'), 0);  // c cedilla is not a letter here
    EXPECT_TRUE(rel("CA\xD1O", CompareOp::Less, "CAO"));
}

TEST_F(CodePageTest, PrefixRuleWithExactOff) {
    const std::string longer = "REGULARIZACION";
    EXPECT_TRUE(rel(longer, CompareOp::Equal, "REGULARIZACI"));
    EXPECT_FALSE(rel(longer, CompareOp::ExactEqual, "REGULARIZACI"));
    EXPECT_FALSE(rel("REGULARIZACI", CompareOp::Equal, longer));  // swapped
    EXPECT_FALSE(rel(ALLTRIM(longer), CompareOp::NotEqual, "REGULARIZACI"));
    EXPECT_TRUE(rel("OTRA", CompareOp::NotEqual, "REGULARIZACI"));
    // Ordering with a prefix: shorter left is less, longer left is equal.
    EXPECT_TRUE(rel("AB", CompareOp::Less, "ABC"));
    EXPECT_FALSE(rel("ABC", CompareOp::Greater, "AB"));
    EXPECT_TRUE(rel("ABC", CompareOp::GreaterEqual, "AB"));
}

TEST_F(CodePageTest, EmptyOperands) {
    for (std::string x : {"", " ", "ABC"}) {
        EXPECT_FALSE(rel(x, CompareOp::NotEqual, "")) << x;
        EXPECT_TRUE(rel(x, CompareOp::Equal, "")) << x;
    }
    EXPECT_TRUE(rel("", CompareOp::Less, "A"));
    EXPECT_FALSE(rel("", CompareOp::Equal, "A"));
    EXPECT_TRUE(rel("", CompareOp::ExactEqual, ""));
    EXPECT_FALSE(rel("A", CompareOp::ExactEqual, ""));
    EXPECT_TRUE(rel("", CompareOp::Less, "A"));
}

TEST_F(CodePageTest, TrailingBlanks) {
    EXPECT_FALSE(rel("ABC  ", CompareOp::ExactEqual, "ABC"));
    EXPECT_TRUE(rel("ABC  ", CompareOp::Equal, "ABC"));
    EXPECT_FALSE(rel("ABC", CompareOp::Equal, "ABC  "));  // right side longer
    SET(Set::Exact, true);
    EXPECT_TRUE(rel("ABC", CompareOp::Equal, "ABC  "));  // blanks ignored both sides
    EXPECT_TRUE(rel("ABC  ", CompareOp::Equal, "ABC"));
    EXPECT_FALSE(rel("ABC  ", CompareOp::ExactEqual, "ABC"));  // == keeps them
}

TEST_F(CodePageTest, ExactOnComparesWholeTexts) {
    SET(Set::Exact, true);
    EXPECT_FALSE(rel("REGULARIZACION", CompareOp::Equal, "REGULARIZACI"));
    EXPECT_TRUE(rel("REGULARIZACION", CompareOp::Greater, "REGULARIZACI"));
    EXPECT_TRUE(rel("ABC", CompareOp::NotEqual, ""));
    EXPECT_TRUE(rel("", CompareOp::Less, "A"));
    EXPECT_TRUE(rel("   ", CompareOp::Equal, ""));  // all blanks trim to empty
}

TEST_F(CodePageTest, EqualWidthCodesOrderByDigitsThenAlphabet) {
    EXPECT_TRUE(rel("0009", CompareOp::LessEqual, "0010"));
    EXPECT_TRUE(rel("00A1", CompareOp::LessEqual,
                    "00\xC1"
                    "0"));
    EXPECT_FALSE(rel("0011", CompareOp::LessEqual, "0010"));
}

TEST_F(CodePageTest, CompareValuesAcrossTypes) {
    EXPECT_EQ(compareValues(1.5, CompareOp::Less, 2), true);
    EXPECT_EQ(compareValues(false, CompareOp::Less, true), true);
    EXPECT_EQ(compareValues(Date{10}, CompareOp::Greater, Date{}), true);
    EXPECT_EQ(compareValues(Value(), CompareOp::Equal, Value()), true);
    EXPECT_EQ(compareValues(Value(), CompareOp::ExactEqual, 0), false);
    EXPECT_EQ(compareValues(Value(), CompareOp::Less, 0), std::nullopt);
    EXPECT_EQ(compareValues("1", CompareOp::Equal, 1), std::nullopt);
    EXPECT_EQ(compareValues(Value::memo("ABC"), CompareOp::Equal, "AB"), true);
    Value a = Value::newArray({1});
    EXPECT_EQ(compareValues(a, CompareOp::ExactEqual, a), true);
    EXPECT_EQ(compareValues(a, CompareOp::ExactEqual, Value::newArray({1})), false);
}

TEST_F(CodePageTest, TrimEmptySearchAndStuff) {
    EXPECT_EQ(ALLTRIM(" \tA B  "), "A B");
    EXPECT_EQ(ALLTRIM("A\t "), "A\t");  // only blanks are trimmed on the right
    EXPECT_EQ(RTRIM("  A  "), "  A");
    EXPECT_EQ(LTRIM("\r\n\t A "), "A ");
    EXPECT_EQ(ALLTRIM(""), "");
    EXPECT_EQ(ALLTRIM("   "), "");
    // The views follow the same rules and point into the text they were given.
    const std::string text = " \tA B\t  ";
    EXPECT_EQ(allTrimmed(text), "A B\t");
    EXPECT_EQ(allTrimmed(text).data(), text.data() + 2);
    EXPECT_EQ(trimTrailingSpaces(text), " \tA B\t");
    EXPECT_EQ(trimLeadingWhite(text), "A B\t  ");
    EXPECT_TRUE(emptyText(""));
    EXPECT_FALSE(emptyText(std::string_view("\0", 1)));
    // Long blank runs, which are skipped eight bytes at a time: what follows
    // them, on either side of an eight-byte boundary, still counts.
    for (size_t blanks : {7u, 8u, 9u, 16u, 23u, 24u}) {
        SCOPED_TRACE(blanks);
        const std::string run(blanks, ' ');
        EXPECT_TRUE(emptyText(run));
        EXPECT_TRUE(emptyText(run + "\t\r\n" + run));
        EXPECT_FALSE(emptyText(run + "X" + run));
        EXPECT_FALSE(emptyText(run + std::string(1, '\0')));
        EXPECT_EQ(trimLeadingWhite(run + "X "), "X ");
        EXPECT_EQ(trimLeadingWhite(run + "\t" + run + "X"), "X");
        EXPECT_EQ(trimLeadingWhite(run), "");
    }
    EXPECT_TRUE(EMPTY("   "));
    EXPECT_TRUE(EMPTY(" \t\r\n"));
    EXPECT_TRUE(EMPTY(0));
    EXPECT_TRUE(EMPTY(Value()));
    EXPECT_TRUE(EMPTY(Date{}));
    EXPECT_TRUE(EMPTY(Value::newArray()));
    EXPECT_FALSE(EMPTY(" x "));
    EXPECT_FALSE(EMPTY(Value::newArray({Value()})));
    EXPECT_FALSE(EMPTY(std::string(1, '\0')));
    EXPECT_EQ(RAT("", "ABCRZ"), 0);
    EXPECT_EQ(RAT("R", "ABCRZ"), 4);
    EXPECT_EQ(RAT("AB", "ABCRZ"), 1);
    EXPECT_EQ(RAT("D", "ABCRZ"), 0);
    EXPECT_EQ(RAT("A", "ABA"), 3);
    EXPECT_EQ(RAT("ABCRZX", "ABCRZ"), 0);
    EXPECT_EQ(STUFF("TDiaNic.dbf", 1, 0, "_"), "_TDiaNic.dbf");
    EXPECT_EQ(STUFF("ABCDE", 2, 2, "xyz"), "AxyzDE");
    EXPECT_EQ(STUFF("ABC", 9, 5, "!"), "ABC!");
    EXPECT_EQ(STUFF("ABC", 2, 99, ""), "A");
}

}  // namespace
}  // namespace runtime
