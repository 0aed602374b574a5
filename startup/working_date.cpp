// The working date, month names and month arithmetic.
#include "startup/working_date.h"

#include <array>
#include <cstdint>

#include "runtime/dates.h"

namespace startup {

namespace {

std::optional<runtime::Date>& workingDate() {
    static std::optional<runtime::Date> date;
    return date;
}

constexpr std::array<const char*, 12> kMonthNames = {
    "Enero ", "Febrero ", "Marzo ",     "Abril ",   "Mayo ",      "Junio ",
    "Julio ", "Agosto ",  "Septiembre", "Octubre ", "Noviembre ", "Diciembre ",
};

// Floor division for month counts that may be negative.
int64_t floorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

}  // namespace

std::optional<runtime::Date> DSETDATE(std::optional<runtime::Date> dDate) {
    if (dDate) workingDate() = dDate;
    return workingDate();
}

void clearWorkingDate() {
    workingDate().reset();
}

std::string CMES(int nMonth) {
    if (nMonth < 1 || nMonth > 12) return {};
    return kMonthNames[static_cast<size_t>(nMonth - 1)];
}

runtime::Date DADDMONTHS(runtime::Date dDate, int nMonths) {
    if (dDate.empty()) return {};
    int64_t total = int64_t{runtime::YEAR(dDate)} * 12 + (runtime::MONTH(dDate) - 1) + nMonths;
    int64_t year64 = floorDiv(total, 12);
    if (year64 < 1 || year64 > 9999) return {};
    int year = static_cast<int>(year64);
    int month = static_cast<int>(total - year64 * 12) + 1;
    int day = runtime::DAY(dDate);
    runtime::Date result = runtime::makeDate(year, month, day);
    if (!result.empty() || day < 29) return result;
    if (month == 2) return runtime::makeDate(year, month, 28);
    if (month == 4 || month == 6 || month == 9 || month == 11) {
        return runtime::makeDate(year, month, 30);
    }
    return result;
}

}  // namespace startup
