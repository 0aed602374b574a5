// Tests of dates: the calendar, DTOC/CTOD under DATEFORMAT and EPOCH, and
// month arithmetic.
#include "runtime/dates.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "runtime/settings.h"

namespace runtime {
namespace {

class DatesTest : public ::testing::Test {
protected:
    void SetUp() override { resetSettings(); }
    void TearDown() override { resetSettings(); }
    // The start-up settings of the program: day-month-year, window from 1920.
    static void useStartupFormat() {
        SET(Set::DateFormat, "dd-mm-yy");
        SET(Set::Epoch, 1920);
    }
};

TEST_F(DatesTest, CalendarRoundTripsAndRejectsImpossibleDays) {
    const Date d = makeDate(2008, 2, 29);
    ASSERT_FALSE(d.empty());
    EXPECT_EQ(YEAR(d), 2008);
    EXPECT_EQ(MONTH(d), 2);
    EXPECT_EQ(DAY(d), 29);
    EXPECT_TRUE(makeDate(2009, 2, 29).empty());
    EXPECT_TRUE(makeDate(1900, 2, 29).empty());  // not a leap year
    EXPECT_FALSE(makeDate(2000, 2, 29).empty());
    EXPECT_TRUE(makeDate(2020, 13, 1).empty());
    EXPECT_TRUE(makeDate(2020, 4, 31).empty());
    EXPECT_TRUE(makeDate(0, 1, 1).empty());
    EXPECT_EQ(makeDate(2000, 1, 1).julian, 2451545);
    EXPECT_EQ(DOW(makeDate(2026, 12, 7)), 2);  // a Monday
    EXPECT_EQ(daysBetween(makeDate(2019, 12, 31), makeDate(2020, 3, 1)), 61);
    EXPECT_EQ(addDays(makeDate(2019, 12, 31), 1), makeDate(2020, 1, 1));
    EXPECT_EQ(YEAR(Date{}), 0);
    EXPECT_TRUE(addDays(Date{}, 5).empty());
    EXPECT_TRUE(addDays(makeDate(9999, 12, 31), 1).empty());
}

// The day numbers of the calendar's edges: the first and last day of the
// years kept, the Gregorian reform (counted back without its ten-day gap),
// century years that are and are not leap years, and the empty day 0.
TEST_F(DatesTest, DayNumbersAtTheCalendarsEdges) {
    EXPECT_EQ(julianFromYmd(1, 1, 1), 1721426);
    EXPECT_EQ(julianFromYmd(9999, 12, 31), 5373484);
    EXPECT_EQ(julianFromYmd(1582, 10, 15), 2299161);
    EXPECT_EQ(julianFromYmd(1582, 10, 4), 2299150);
    EXPECT_EQ(julianFromYmd(1970, 1, 1), 2440588);
    EXPECT_EQ(julianFromYmd(1900, 3, 1) - julianFromYmd(1900, 2, 28), 1);
    EXPECT_EQ(julianFromYmd(2000, 3, 1) - julianFromYmd(2000, 2, 28), 2);
    EXPECT_EQ(julianFromYmd(2100, 2, 29), 0);
    EXPECT_EQ(julianFromYmd(0, 12, 31), 0);
    EXPECT_EQ(julianFromYmd(10000, 1, 1), 0);
    EXPECT_EQ(julianFromYmd(2024, 0, 1), 0);
    EXPECT_EQ(julianFromYmd(2024, 1, 0), 0);
    int y = 0, m = 0, d = 0;
    for (std::int32_t j : {1721426, 2299160, 2299161, 2451604, 5373484}) {
        ymdFromJulian(j, &y, &m, &d);
        EXPECT_EQ(julianFromYmd(y, m, d), j) << y << "-" << m << "-" << d;
    }
    ymdFromJulian(2299160, &y, &m, &d);
    EXPECT_EQ(y * 10000 + m * 100 + d, 15821014);
}

TEST_F(DatesTest, EveryDayRoundTripsAndDamagedDayNumbersDoNotOverflow) {
    int y = 0, m = 0, d = 0;
    for (std::int32_t j = 1721426; j <= 5373484; j += 7) {
        ymdFromJulian(j, &y, &m, &d);
        ASSERT_EQ(julianFromYmd(y, m, d), j);
    }
    // A date field of a damaged table can hold any 32-bit number.
    ymdFromJulian(INT32_MAX, &y, &m, &d);
    EXPECT_GT(y, 9999);
    EXPECT_EQ(julianFromYmd(y, m, d), 0);
    ymdFromJulian(INT32_MIN, &y, &m, &d);
    EXPECT_LT(y, 1);
    EXPECT_TRUE(STOD("        ").empty());
    EXPECT_EQ(DTOS(Date{}), "        ");
    EXPECT_EQ(DTOS(makeDate(1, 1, 1)), "00010101");
}

TEST_F(DatesTest, StartupFormatConvertsBothWays) {
    useStartupFormat();
    EXPECT_EQ(DTOC(makeDate(2019, 2, 1)), "01-02-19");
    EXPECT_EQ(CTOD("01-02-19"), makeDate(2019, 2, 1));
    EXPECT_EQ(CTOD("01-02-20"), makeDate(1920, 2, 1));
    EXPECT_EQ(CTOD("31-12-99"), makeDate(1999, 12, 31));
    EXPECT_EQ(CTOD("1-2-2045"), makeDate(2045, 2, 1));  // four digits are taken as written
    EXPECT_EQ(DTOC(Date{}), "  -  -  ");
}

TEST_F(DatesTest, CenturyWidensTheYear) {
    useStartupFormat();
    EXPECT_FALSE(SETCENTURY(true));
    EXPECT_EQ(dateFormat(), "dd-mm-yyyy");
    EXPECT_EQ(DTOC(makeDate(1999, 7, 4)), "04-07-1999");
    EXPECT_EQ(DTOC(Date{}), "  -  -    ");
    SET(Set::DateFormat, "yyyy.mm.dd");
    EXPECT_EQ(DTOC(makeDate(2001, 3, 9)), "2001.03.09");
    EXPECT_EQ(CTOD("2001.03.09"), makeDate(2001, 3, 9));
    EXPECT_EQ(CTOD("01.03.09"), makeDate(2001, 3, 9));  // EPOCH 1920: 01 is 2001
}

TEST_F(DatesTest, DefaultFormatIsMonthFirst) {
    EXPECT_EQ(DTOC(makeDate(1985, 10, 26)), "10/26/85");
    EXPECT_EQ(CTOD("10/26/85"), makeDate(1985, 10, 26));  // EPOCH 1900
    EXPECT_EQ(CTOD("10/26/05"), makeDate(1905, 10, 26));
}

TEST_F(DatesTest, BadTextGivesTheEmptyDate) {
    useStartupFormat();
    for (std::string bad : {"", "   ", "  -  -  ", "31-04-20", "29-02-21", "00-01-20", "01-13-20",
                            "abc", "01-02", "12345678901-01-20"}) {
        EXPECT_TRUE(CTOD(bad).empty()) << "'" << bad << "'";
    }
}

TEST_F(DatesTest, StringDatesAreFixedFormat) {
    useStartupFormat();
    EXPECT_EQ(DTOS(makeDate(2019, 2, 1)), "20190201");
    EXPECT_EQ(DTOS(Date{}), "        ");
    EXPECT_EQ(STOD("20190201"), makeDate(2019, 2, 1));
    EXPECT_TRUE(STOD("        ").empty());
    EXPECT_TRUE(STOD("20190230").empty());
    EXPECT_TRUE(STOD("2019021").empty());
    EXPECT_TRUE(STOD("2019-2-1").empty());
}

TEST_F(DatesTest, AddMonthsKeepsFourDigitYearsAndClampsTheDay) {
    EXPECT_EQ(addMonths(makeDate(2019, 12, 15), 1), makeDate(2020, 1, 15));
    EXPECT_EQ(addMonths(makeDate(2009, 11, 15), 3), makeDate(2010, 2, 15));
    EXPECT_EQ(addMonths(makeDate(2009, 3, 31), 1), makeDate(2009, 4, 30));
    EXPECT_EQ(addMonths(makeDate(2008, 1, 31), 1), makeDate(2008, 2, 29));
    EXPECT_EQ(addMonths(makeDate(2009, 1, 31), 1), makeDate(2009, 2, 28));
    EXPECT_EQ(addMonths(makeDate(2009, 1, 31), 25), makeDate(2011, 2, 28));
    EXPECT_EQ(addMonths(makeDate(2010, 3, 15), -3), makeDate(2009, 12, 15));
    EXPECT_EQ(addMonths(makeDate(2010, 3, 15), 0), makeDate(2010, 3, 15));
    EXPECT_TRUE(addMonths(Date{}, 1).empty());
}

TEST_F(DatesTest, ExpandYearWindow) {
    EXPECT_EQ(expandYear(19, 1920), 2019);
    EXPECT_EQ(expandYear(20, 1920), 1920);
    EXPECT_EQ(expandYear(0, 1950), 2000);
    EXPECT_EQ(expandYear(50, 1950), 1950);
    EXPECT_EQ(expandYear(49, 1950), 2049);
}

}  // namespace
}  // namespace runtime
