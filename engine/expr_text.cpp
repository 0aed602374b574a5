// Text and date rules of the expression evaluator (see expr_text.h).
#include "engine/expr_text.h"

#include <cctype>
#include <cstdio>

#include "engine/expr_value.h"
#include "runtime/codepage.h"

namespace engine {

ExprSettings& exprSettings() {
    static ExprSettings settings;
    return settings;
}

namespace {

bool isBlankish(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

// Case and order follow the runtime's process code page, so keys built here
// agree with what the program's own comparisons and UPPER() give.
std::string exprUpper(std::string_view s) { return runtime::UPPER(s); }
std::string exprLower(std::string_view s) { return runtime::LOWER(s); }

int exprCompareText(std::string_view a, std::string_view b, bool exactOp, bool exactSetting) {
    return runtime::compareTextWith(a, b, exactOp, exactSetting);
}

std::string exprRtrim(std::string_view s) {
    size_t n = s.size();
    while (n > 0 && s[n - 1] == ' ') --n;
    return std::string(s.substr(0, n));
}

std::string exprLtrim(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && isBlankish(s[i])) ++i;
    return std::string(s.substr(i));
}

bool exprEmptyText(std::string_view s) {
    for (char c : s)
        if (!isBlankish(c)) return false;
    return true;
}

int32_t julianFromYmd(int year, int month, int day) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return 0;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    int maxDay = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    if (day > maxDay) return 0;
    int a = (14 - month) / 12;
    int y = year + 4800 - a;
    int m = month + 12 * a - 3;
    return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

void ymdFromJulian(int32_t julian, int* year, int* month, int* day) {
    int64_t a = static_cast<int64_t>(julian) + 32044;
    int64_t b = (4 * a + 3) / 146097;
    int64_t c = a - 146097 * b / 4;
    int64_t d = (4 * c + 3) / 1461;
    int64_t e = c - 1461 * d / 4;
    int64_t m = (5 * e + 2) / 153;
    *day = static_cast<int>(e - (153 * m + 2) / 5 + 1);
    *month = static_cast<int>(m + 3 - 12 * (m / 10));
    *year = static_cast<int>(100 * b + d - 4800 + m / 10);
}

std::string dateToDtos(int32_t julian) {
    if (julian <= 0) return std::string(8, ' ');
    int y, m, d;
    ymdFromJulian(julian, &y, &m, &d);
    if (y < 0 || y > 9999) return std::string(8, ' ');
    char buf[16];
    snprintf(buf, sizeof buf, "%04d%02d%02d", y, m, d);
    return buf;
}

namespace {

bool digitsAt(std::string_view s, size_t pos, size_t n, int* value) {
    if (pos + n > s.size()) return false;
    int v = 0;
    for (size_t i = 0; i < n; ++i) {
        char c = s[pos + i];
        if (c == ' ' && v == 0) continue;  // leading blanks inside a part
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        v = v * 10 + (c - '0');
    }
    *value = v;
    return true;
}

}  // namespace

int32_t dateFromDtos(std::string_view s) {
    int y, m, d;
    if (s.size() < 8 || !digitsAt(s, 0, 4, &y) || !digitsAt(s, 4, 2, &m) || !digitsAt(s, 6, 2, &d))
        return 0;
    return julianFromYmd(y, m, d);
}

std::string dateToText(int32_t julian, std::string_view format) {
    int y = 0, m = 0, d = 0;
    if (julian > 0) ymdFromJulian(julian, &y, &m, &d);
    std::string out;
    for (size_t i = 0; i < format.size();) {
        char c = static_cast<char>(std::toupper(static_cast<unsigned char>(format[i])));
        size_t run = 1;
        while (i + run < format.size() &&
               std::toupper(static_cast<unsigned char>(format[i + run])) == c)
            ++run;
        char buf[16];
        if (c == 'Y' || c == 'M' || c == 'D') {
            int v = c == 'Y' ? (run >= 4 ? y : y % 100) : c == 'M' ? m : d;
            int width = c == 'Y' && run >= 4 ? 4 : 2;
            if (julian > 0) snprintf(buf, sizeof buf, "%0*d", width, v);
            else snprintf(buf, sizeof buf, "%*s", width, "");
            out += buf;
        } else {
            out.append(run, format[i]);
        }
        i += run;
    }
    return out;
}

int32_t dateFromText(std::string_view s, std::string_view format, int epoch) {
    if (exprEmptyText(s)) return 0;
    int y = -1, m = -1, d = -1;
    bool twoDigitYear = false;
    size_t pos = 0;
    for (size_t i = 0; i < format.size();) {
        char c = static_cast<char>(std::toupper(static_cast<unsigned char>(format[i])));
        size_t run = 1;
        while (i + run < format.size() &&
               std::toupper(static_cast<unsigned char>(format[i + run])) == c)
            ++run;
        if (c == 'Y' || c == 'M' || c == 'D') {
            size_t width = c == 'Y' && run >= 4 ? 4 : 2;
            int v;
            if (!digitsAt(s, pos, width, &v)) return 0;
            (c == 'Y' ? y : c == 'M' ? m : d) = v;
            if (c == 'Y' && width == 2) twoDigitYear = true;
            pos += width;
        } else {
            pos += run;
        }
        i += run;
    }
    if (y < 0 || m < 0 || d < 0) return 0;
    if (twoDigitYear) {
        int century = epoch / 100 * 100;
        y += century;
        if (y < epoch) y += 100;
    }
    return julianFromYmd(y, m, d);
}

}  // namespace engine
