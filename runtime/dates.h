// Dates: building and splitting julian days, today's date, and the text
// conversions under the DATEFORMAT, EPOCH and century settings.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/value.h"

namespace runtime {

// The date of a year, month and day; the empty date when they name no real
// day (month 0 or 13, 30 February, year outside 1..9999).
Date makeDate(int year, int month, int day);
bool isLeapYear(int year);

// The julian day number of a day of the Gregorian calendar, extended back
// before its introduction (1 January of year 1 is day 1721426, 15 October
// 1582 is day 2299161); 0 when the numbers name no real day of the years
// 1..9999. Dates, the engine's date fields and its index keys all count
// days this way.
std::int32_t julianFromYmd(int year, int month, int day);
// The Gregorian year, month and day of a day number. Any number gives a
// result without overflow; those outside the years 1..9999 give years
// outside that range, which callers check.
void ymdFromJulian(std::int32_t julian, int* year, int* month, int* day);
int daysInMonth(int year, int month);  // 0 for a month outside 1..12

// Parts of a date; 0 for the empty date.
int YEAR(Date d);
int MONTH(Date d);
int DAY(Date d);
int DOW(Date d);  // 1 = Sunday ... 7 = Saturday; 0 for the empty date

// Date arithmetic. Adding days to the empty date gives the empty date; so
// does a result outside years 1..9999. daysBetween(a, b) is b - a in days
// (0 when either is empty).
Date addDays(Date d, int days);
int daysBetween(Date from, Date to);

// The same day `months` months later (earlier when negative), with full
// four-digit years: 15 December 2019 + 1 is 15 January 2020. A day past the
// end of the target month becomes its last day (31 January 2008 + 1 is
// 29 February 2008). The empty date gives the empty date.
Date addMonths(Date d, int months);

// Today's date and the time of day ("hh:mm:ss") from the system clock, in
// local time.
Date DATE();
std::string TIME();

// DTOC(d): the date as text in the current DATEFORMAT ("dd", "mm", "yy" or
// "yyyy" replaced by the day, month and year; other characters copied). The
// empty date gives the format with every letter replaced by a blank
// ("  -  -  ").
std::string DTOC(Date d);
// The same for an explicit format.
std::string dateToText(Date d, std::string_view format);

// CTOD(c): the text read in the current DATEFORMAT: the numbers of the text
// (runs of digits, any other byte separates them) are taken as day, month
// and year in the order the format names them. A year written with one or
// two digits is placed in the hundred years starting at EPOCH (EPOCH 1920:
// 20..99 -> 1920..1999, 00..19 -> 2000..2019). Blank text, missing parts,
// and impossible dates (31-04-20) give the empty date; nothing is raised.
Date CTOD(std::string_view text);
Date textToDate(std::string_view text, std::string_view format, int epoch);

// The year a two-digit year stands for under the given epoch.
int expandYear(int twoDigitYear, int epoch);

// TTOC(t): the date as DTOC shows it, a blank and the time "hh:mm:ss";
// the empty datetime gives DTOC of the empty date and "  :  :  ".
std::string TTOC(DateTime t);

// DTOS(d): "yyyymmdd"; eight blanks for the empty date.
std::string DTOS(Date d);
// STOD(c): the inverse of DTOS; the empty date for blank or invalid text.
Date STOD(std::string_view text);

}  // namespace runtime
