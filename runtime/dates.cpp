// Julian dates, date arithmetic and the date text conversions.
#include "runtime/dates.h"

#include <cstdio>
#include <ctime>
#include <vector>

#include "runtime/settings.h"

namespace runtime {
namespace {

constexpr int kMinYear = 1;
constexpr int kMaxYear = 9999;

struct Ymd {
    int year = 0;
    int month = 0;
    int day = 0;
};

Ymd fromJulian(std::int32_t j) {
    Ymd r;
    ymdFromJulian(j, &r.year, &r.month, &r.day);
    return r;
}

bool isDateLetter(char c) {
    return c == 'd' || c == 'D' || c == 'm' || c == 'M' || c == 'y' || c == 'Y';
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// One field of a date format: which part, and how many characters it shows.
struct FormatField {
    char part;  // 'd', 'm' or 'y'
    int width;
};

// Splits a format into literal runs and fields; calls onLiteral/onField in order.
template <class L, class F>
void walkFormat(std::string_view format, L onLiteral, F onField) {
    size_t i = 0;
    while (i < format.size()) {
        char c = format[i];
        if (!isDateLetter(c)) {
            onLiteral(c);
            ++i;
            continue;
        }
        size_t j = i;
        while (j < format.size() && lowerAscii(format[j]) == lowerAscii(c)) ++j;
        const int run = static_cast<int>(j - i);
        const char part = lowerAscii(c);
        onField(FormatField{part, part == 'y' ? (run >= 4 ? 4 : 2) : 2});
        i = j;
    }
}

void appendNumber(std::string& out, int value, int width) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", width, value);
    std::string_view s(buf);
    out.append(s.substr(s.size() - static_cast<size_t>(width)));
}

// The runs of digits in a text, as numbers with their digit count. Runs
// longer than 9 digits are kept with a count that marks them as invalid.
struct DigitRun {
    int value;
    int digits;
};

std::vector<DigitRun> digitRuns(std::string_view text) {
    std::vector<DigitRun> runs;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] < '0' || text[i] > '9') {
            ++i;
            continue;
        }
        DigitRun r{0, 0};
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            if (r.digits < 9) r.value = r.value * 10 + (text[i] - '0');
            ++r.digits;
            ++i;
        }
        runs.push_back(r);
    }
    return runs;
}

}  // namespace

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    if (month == 2 && isLeapYear(year)) return 29;
    return kDays[month - 1];
}

// The day number arithmetic (Fliegel and Van Flandern) in 64 bits, so that
// a day number read from a damaged file cannot overflow it.
std::int32_t julianFromYmd(int year, int month, int day) {
    if (year < kMinYear || year > kMaxYear) return 0;
    if (day < 1 || day > daysInMonth(year, month)) return 0;
    const int a = (14 - month) / 12;
    const std::int64_t y = static_cast<std::int64_t>(year) + 4800 - a;
    const std::int64_t m = month + 12 * a - 3;
    return static_cast<std::int32_t>(day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 -
                                     32045);
}

void ymdFromJulian(std::int32_t julian, int* year, int* month, int* day) {
    const std::int64_t a = static_cast<std::int64_t>(julian) + 32044;
    const std::int64_t b = (4 * a + 3) / 146097;
    const std::int64_t c = a - 146097 * b / 4;
    const std::int64_t d = (4 * c + 3) / 1461;
    const std::int64_t e = c - 1461 * d / 4;
    const std::int64_t m = (5 * e + 2) / 153;
    *day = static_cast<int>(e - (153 * m + 2) / 5 + 1);
    *month = static_cast<int>(m + 3 - 12 * (m / 10));
    *year = static_cast<int>(100 * b + d - 4800 + m / 10);
}

Date makeDate(int year, int month, int day) {
    return Date{julianFromYmd(year, month, day)};
}

int YEAR(Date d) {
    return d.empty() ? 0 : fromJulian(d.julian).year;
}
int MONTH(Date d) {
    return d.empty() ? 0 : fromJulian(d.julian).month;
}
int DAY(Date d) {
    return d.empty() ? 0 : fromJulian(d.julian).day;
}
int DOW(Date d) {
    return d.empty() ? 0 : (d.julian + 1) % 7 + 1;
}

Date addDays(Date d, int days) {
    if (d.empty()) return {};
    const std::int64_t j = static_cast<std::int64_t>(d.julian) + days;
    if (j < julianFromYmd(kMinYear, 1, 1) || j > julianFromYmd(kMaxYear, 12, 31)) return {};
    return Date{static_cast<std::int32_t>(j)};
}

int daysBetween(Date from, Date to) {
    if (from.empty() || to.empty()) return 0;
    return to.julian - from.julian;
}

Date addMonths(Date d, int months) {
    if (d.empty()) return {};
    const Ymd p = fromJulian(d.julian);
    const std::int64_t total = static_cast<std::int64_t>(p.year) * 12 + (p.month - 1) + months;
    if (total < 0) return {};
    const int year = static_cast<int>(total / 12);
    const int month = static_cast<int>(total % 12) + 1;
    const int last = daysInMonth(year, month);
    return makeDate(year, month, p.day > last ? last : p.day);
}

Date DATE() {
    std::time_t now = std::time(nullptr);
    const std::tm* t = std::localtime(&now);
    if (!t) return {};
    return makeDate(t->tm_year + 1900, t->tm_mon + 1, t->tm_mday);
}

std::string TIME() {
    std::time_t now = std::time(nullptr);
    const std::tm* t = std::localtime(&now);
    if (!t) return "00:00:00";
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t->tm_hour, t->tm_min, t->tm_sec);
    return buf;
}

std::string dateToText(Date d, std::string_view format) {
    std::string out;
    const Ymd p = d.empty() ? Ymd{} : fromJulian(d.julian);
    walkFormat(
        format, [&](char c) { out.push_back(c); },
        [&](FormatField f) {
            if (d.empty()) {
                out.append(static_cast<size_t>(f.width), ' ');
                return;
            }
            const int v = f.part == 'd' ? p.day : (f.part == 'm' ? p.month : p.year);
            appendNumber(out, v, f.width);
        });
    return out;
}

std::string DTOC(Date d) {
    return dateToText(d, dateFormat());
}

std::string TTOC(DateTime t) {
    std::string date = DTOC(Date{t.julian});
    if (t.empty()) return date + "   :  :  ";
    int seconds = t.millis / 1000;
    char time[16];
    std::snprintf(time, sizeof time, " %02d:%02d:%02d", seconds / 3600 % 100, seconds / 60 % 60,
                  seconds % 60);
    return date + time;
}

int expandYear(int twoDigitYear, int epoch) {
    int year = epoch / 100 * 100 + twoDigitYear;
    if (year < epoch) year += 100;
    return year;
}

Date textToDate(std::string_view text, std::string_view format, int epoch) {
    std::vector<char> order;
    walkFormat(
        format, [](char) {},
        [&](FormatField f) {
            for (char c : order) {
                if (c == f.part) return;
            }
            order.push_back(f.part);
        });
    const std::vector<DigitRun> runs = digitRuns(text);
    if (order.size() != 3 || runs.size() < 3) return {};
    Ymd p;
    for (size_t i = 0; i < 3; ++i) {
        const DigitRun& r = runs[i];
        if (r.digits > 4) return {};
        if (order[i] == 'd') p.day = r.value;
        if (order[i] == 'm') p.month = r.value;
        if (order[i] == 'y') p.year = r.digits <= 2 ? expandYear(r.value, epoch) : r.value;
    }
    return makeDate(p.year, p.month, p.day);
}

Date CTOD(std::string_view text) {
    return textToDate(text, dateFormat(), epochYear());
}

std::string DTOS(Date d) {
    if (d.empty()) return std::string(8, ' ');
    return dateToText(d, "yyyymmdd");
}

Date STOD(std::string_view text) {
    if (text.size() != 8) return {};
    for (char c : text) {
        if (c < '0' || c > '9') return {};
    }
    auto num = [&](size_t pos, size_t n) {
        int v = 0;
        for (size_t i = pos; i < pos + n; ++i) v = v * 10 + (text[i] - '0');
        return v;
    };
    return makeDate(num(0, 4), num(4, 2), num(6, 2));
}

}  // namespace runtime
