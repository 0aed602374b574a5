// Which old fields go whole into the new layout's fields, and which values
// of those that may not.
#include "updater/field_fit.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

using runtime::Value;

tables::FieldInfo field(char type, int length, int decimals = 0) {
    return {"F", type, length, decimals};
}

TEST(FieldFitTest, TextFieldsByWidth) {
    EXPECT_EQ(fieldFit(field('C', 10), field('C', 10)), FieldFit::Whole);
    EXPECT_EQ(fieldFit(field('C', 10), field('C', 12)), FieldFit::Whole);
    EXPECT_EQ(fieldFit(field('C', 10), field('C', 3)), FieldFit::PerValue);
    EXPECT_EQ(fieldFit(field('C', 10), field('M', 10)), FieldFit::Whole);
    // A memo's text has no width of its own: into a text field each value counts.
    EXPECT_EQ(fieldFit(field('M', 10), field('C', 250)), FieldFit::PerValue);
    EXPECT_TRUE(valueFits(Value("abc       "), field('C', 3)));
    EXPECT_FALSE(valueFits(Value("abcd"), field('C', 3)));
    EXPECT_TRUE(valueFits(Value("   "), field('C', 0)));
}

TEST(FieldFitTest, NumbersByDigitsAndDecimals) {
    EXPECT_EQ(fieldFit(field('N', 12, 2), field('N', 12, 2)), FieldFit::Whole);
    EXPECT_EQ(fieldFit(field('N', 8, 0), field('N', 11, 2)), FieldFit::Whole);
    EXPECT_EQ(fieldFit(field('N', 8, 0), field('N', 10, 2)), FieldFit::PerValue);
    EXPECT_EQ(fieldFit(field('N', 12, 2), field('N', 12, 0)), FieldFit::PerValue);
    EXPECT_EQ(fieldFit(field('N', 12, 2), field('N', 10, 2)), FieldFit::PerValue);
    EXPECT_EQ(fieldFit(field('N', 5, 0), field('I', 4)), FieldFit::Whole);
    EXPECT_EQ(fieldFit(field('N', 12, 0), field('I', 4)), FieldFit::PerValue);
    EXPECT_EQ(fieldFit(field('N', 12, 2), field('B', 8)), FieldFit::Whole);
    // Boundaries: the widest value of the new field fits, one digit more does not.
    EXPECT_TRUE(valueFits(Value(-9999.99), field('N', 8, 2)));
    EXPECT_FALSE(valueFits(Value(-10000.0), field('N', 8, 2)));
    EXPECT_TRUE(valueFits(Value(12.5), field('N', 5, 1)));
    EXPECT_FALSE(valueFits(Value(12.55), field('N', 5, 1)));
    EXPECT_TRUE(valueFits(Value(2147483647.0), field('I', 4)));
    EXPECT_FALSE(valueFits(Value(2147483648.0), field('I', 4)));
    EXPECT_FALSE(valueFits(Value(1.5), field('I', 4)));
    EXPECT_TRUE(valueFits(Value(1.2345), field('Y', 8)));
    EXPECT_FALSE(valueFits(Value(1.23456), field('Y', 8)));
}

TEST(FieldFitTest, OtherKindsNeverFit) {
    EXPECT_EQ(fieldFit(field('C', 10), field('N', 10)), FieldFit::Never);
    EXPECT_EQ(fieldFit(field('N', 10), field('L', 1)), FieldFit::Never);
    EXPECT_EQ(fieldFit(field('D', 8), field('C', 8)), FieldFit::Never);
    EXPECT_FALSE(valueFits(Value("12"), field('N', 10)));
    EXPECT_FALSE(valueFits(Value(true), field('C', 1)));
    EXPECT_TRUE(valueFits(Value(), field('N', 10)));  // NULL goes anywhere
}

TEST(FieldFitTest, DateTimeIntoDateKeepsOnlyMidnight) {
    EXPECT_EQ(fieldFit(field('D', 8), field('T', 8)), FieldFit::Whole);
    EXPECT_EQ(fieldFit(field('T', 8), field('D', 8)), FieldFit::PerValue);
    EXPECT_TRUE(valueFits(Value(runtime::DateTime{2459000, 0}), field('D', 8)));
    EXPECT_FALSE(valueFits(Value(runtime::DateTime{2459000, 1000}), field('D', 8)));
    EXPECT_EQ(fieldText(tables::FieldInfo{"DEBE", 'N', 12, 2}), "DEBE N(12,2)");
}

}  // namespace
}  // namespace updater
