// Tests of the number texts STR, VAL and TRANSFORM, and of CVALTOCHAR.
#include "runtime/strings.h"

#include <gtest/gtest.h>

#include <limits>

#include "runtime/codepage.h"
#include "runtime/dates.h"
#include "runtime/settings.h"

namespace runtime {
namespace {

class StringsTest : public ::testing::Test {
protected:
    void SetUp() override { resetSettings(); }
    void TearDown() override { resetSettings(); }
};

TEST_F(StringsTest, StrWidthsDecimalsAndRounding) {
    EXPECT_EQ(STR(42), "        42");
    EXPECT_EQ(STR(-42), "       -42");
    EXPECT_EQ(STR(1.5), "         1.50");  // 10 places + SET DECIMALS 2 for a fraction
    EXPECT_EQ(STR(2.5, 3), "  3");         // half away from zero
    EXPECT_EQ(STR(-2.5, 3), " -3");
    EXPECT_EQ(STR(1.005, 6, 2), "  1.01");  // decimal reading, not binary
    EXPECT_EQ(STR(-0.001, 5, 2), " 0.00");  // no negative zero
    EXPECT_EQ(STR(123456, 5), "*****");     // overflow
    EXPECT_EQ(STR(12345, 5), "12345");
    EXPECT_EQ(STR(3, 0), "");
    EXPECT_EQ(STR(Number{7.25, 8, 3}), "   7.250");  // the number's own width
    EXPECT_EQ(STR(std::numeric_limits<double>::infinity(), 4), "****");
    EXPECT_EQ(STR(1e300, 10), "**********");
}

TEST_F(StringsTest, ValReadsTheLeadingNumber) {
    EXPECT_EQ(VAL("  12.50xyz").value, 12.5);
    EXPECT_EQ(VAL("  12.50xyz").decimals, 2);
    EXPECT_EQ(VAL("-7").value, -7);
    EXPECT_EQ(VAL("+3.").value, 3);
    EXPECT_EQ(VAL("").value, 0);
    EXPECT_EQ(VAL("abc").value, 0);
    EXPECT_EQ(VAL("1e5").value, 1);                  // no exponents
    EXPECT_EQ(STR(VAL("3.125")), "         3.125");  // keeps the decimals read
}

TEST_F(StringsTest, TransformNumberPictures) {
    EXPECT_EQ(TRANSFORM(1234567, "9,999,999"), "1,234,567");
    EXPECT_EQ(TRANSFORM(42, "9,999,999"), "       42");
    EXPECT_EQ(TRANSFORM(4200, "9,999,999"), "    4,200");
    EXPECT_EQ(TRANSFORM(0, "9,999,999"), "        0");
    EXPECT_EQ(TRANSFORM(123456, "9,999,999 bytes"), "  123,456 bytes");
    EXPECT_EQ(TRANSFORM(12345678, "9,999,999"), "*,***,***");
    EXPECT_EQ(TRANSFORM(17, "99999"), "   17");
    EXPECT_EQ(TRANSFORM(123456, "99999"), "*****");
    EXPECT_EQ(TRANSFORM(-17, "99999"), "  -17");
    EXPECT_EQ(TRANSFORM(-12345, "99999"), "*****");  // no room for the sign
    EXPECT_EQ(TRANSFORM(3.14159, "99.99"), " 3.14");
    EXPECT_EQ(TRANSFORM(0.5, "99.99"), " 0.50");
    EXPECT_EQ(TRANSFORM(0, "@Z 999"), "   ");
    EXPECT_EQ(TRANSFORM(42, ""), STR(42));
}

TEST_F(StringsTest, TransformOtherTypes) {
    const std::string page = HB_SETCODEPAGE("ESWIN");
    EXPECT_EQ(TRANSFORM("abc\xF1", "@!"), "ABC\xD1");
    HB_SETCODEPAGE(page);
    EXPECT_EQ(TRANSFORM("abcdef", "!!-XX"), "AB-cd");
    EXPECT_EQ(TRANSFORM("a", "XXX"), "a  ");
    EXPECT_EQ(TRANSFORM(true, "Y"), "Y");
    EXPECT_EQ(TRANSFORM(false, ""), "F");
    SET(Set::DateFormat, "dd-mm-yy");
    EXPECT_EQ(TRANSFORM(makeDate(2019, 2, 1), ""), "01-02-19");
}

TEST_F(StringsTest, DisplayFormsAndPadding) {
    EXPECT_EQ(CVALTOCHAR(42), "42");
    EXPECT_EQ(CVALTOCHAR(1.5), "1.50");
    EXPECT_EQ(CVALTOCHAR(true), ".T.");
    EXPECT_EQ(CVALTOCHAR(Value()), "NIL");
    EXPECT_EQ(CVALTOCHAR("x"), "x");
    EXPECT_EQ(PADR("ab", 4), "ab  ");
    EXPECT_EQ(PADR("abcdef", 4), "abcd");
    EXPECT_EQ(PADL("ab", 4, '0'), "00ab");
    EXPECT_EQ(PADL("abcdef", 4), "abcd");
    EXPECT_EQ(PADC("ab", 5), " ab  ");
    EXPECT_EQ(PADR("ab", -1), "");
    EXPECT_EQ(REPLICATE("ab", 3), "ababab");
    EXPECT_EQ(REPLICATE("ab", -1), "");
    EXPECT_EQ(SPACE(3), "   ");
    EXPECT_EQ(SUBSTR("ABCDE", 2, 2), "BC");
    EXPECT_EQ(SUBSTR("ABCDE", -2), "DE");
    EXPECT_EQ(SUBSTR("ABCDE", 9), "");
    EXPECT_EQ(RIGHT("ABCDE", 9), "ABCDE");
    EXPECT_EQ(LEFT("ABCDE", 2), "AB");
}

}  // namespace
}  // namespace runtime
