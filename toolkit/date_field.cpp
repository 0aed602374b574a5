// The date field of the working-date dialog.
#include "toolkit/date_field.h"

#include <cctype>

#include "runtime/dates.h"

namespace toolkit {
namespace {

// The number in text[from, from + n), or -1 when those are not all digits.
int digitsAt(std::string_view text, size_t from, size_t n) {
    if (from + n > text.size()) return -1;
    int v = 0;
    for (size_t i = from; i < from + n; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return -1;
        v = v * 10 + (text[i] - '0');
    }
    return v;
}

}  // namespace

std::string dateFieldText(runtime::Date d) {
    if (d.empty()) return "  -  -    ";
    return runtime::dateToText(d, "dd-mm-yyyy");
}

runtime::Date dateFromField(std::string_view text) {
    if (text.size() != 10 || text[2] != '-' || text[5] != '-') return {};
    const int day = digitsAt(text, 0, 2), month = digitsAt(text, 3, 2), year = digitsAt(text, 6, 4);
    if (day < 1 || month < 1 || month > 12 || year < 1) return {};
    if (day > runtime::daysInMonth(year, month)) return {};
    return runtime::makeDate(year, month, day);
}

}  // namespace toolkit
