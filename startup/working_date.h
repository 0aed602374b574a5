// The working date (the date the system treats as today), month names and
// the month arithmetic the framework's date fields use.
#pragma once

#include <optional>
#include <string>

#include "runtime/value.h"

namespace startup {

// DSETDATE([dDate]): when a date is given it becomes the working date.
// Returns the working date; nothing until the start-up sequence sets it.
// It does not follow the clock past midnight.
std::optional<runtime::Date> DSETDATE(std::optional<runtime::Date> dDate = std::nullopt);

// Forgets the working date (load state). For tests.
void clearWorkingDate();

// CMES(nMonth): the month's Spanish name, "Enero " ... "Diciembre ", every
// name but "Septiembre" with one trailing blank; "" outside 1..12.
std::string CMES(int nMonth);

// DADDMONTHS(dDate, nMonths): the same day nMonths months later (earlier
// for a negative count), with the full year: 15 December 2019 + 1 is
// 15 January 2020. When that day does not exist in the target month, days
// 29 to 31 become the 28th in February and the 30th in April, June,
// September and November (31 January 2008 + 1 is 28 February 2008). The
// empty date, or a result outside years 1..9999, gives the empty date.
runtime::Date DADDMONTHS(runtime::Date dDate, int nMonths);

}  // namespace startup
