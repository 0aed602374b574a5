// The working-date dialog's date field, both ways.
#include "toolkit/date_field.h"

#include <gtest/gtest.h>

#include "runtime/dates.h"

namespace toolkit {
namespace {

TEST(DateFieldTest, ShowsDayMonthAndFourDigitYear) {
    EXPECT_EQ(dateFieldText(runtime::makeDate(2009, 3, 7)), "07-03-2009");
    EXPECT_EQ(dateFieldText(runtime::makeDate(1999, 12, 31)), "31-12-1999");
    EXPECT_EQ(dateFieldText(runtime::Date{}), "  -  -    ");
}

TEST(DateFieldTest, ReadsBackWhatItShows) {
    const runtime::Date d = runtime::makeDate(2024, 2, 29);
    EXPECT_EQ(dateFromField(dateFieldText(d)), d);
    EXPECT_EQ(dateFromField("01-01-1900"), runtime::makeDate(1900, 1, 1));
}

TEST(DateFieldTest, TextThatNamesNoDateIsTheEmptyDate) {
    EXPECT_TRUE(dateFromField("31-04-2009").empty()) << "April has 30 days";
    EXPECT_TRUE(dateFromField("29-02-2023").empty()) << "not a leap year";
    EXPECT_TRUE(dateFromField("00-01-2009").empty());
    EXPECT_TRUE(dateFromField("12-13-2009").empty());
    EXPECT_TRUE(dateFromField("  -  -    ").empty());
    EXPECT_TRUE(dateFromField("1-1-2009").empty());
    EXPECT_TRUE(dateFromField("ab-cd-efgh").empty());
    EXPECT_TRUE(dateFromField("").empty());
}

}  // namespace
}  // namespace toolkit
