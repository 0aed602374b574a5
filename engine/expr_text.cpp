// Text and date rules of the expression evaluator (see expr_text.h).
#include "engine/expr_text.h"

#include <cctype>
#include <cstdio>

#include "engine/expr_value.h"
#include "runtime/codepage.h"
#include "runtime/dates.h"

namespace engine {

ExprSettings& exprSettings() {
    static ExprSettings settings;
    return settings;
}

// Case and order follow the runtime's process code page, so keys built here
// agree with what the program's own comparisons and UPPER() give.
std::string exprUpper(std::string_view s) {
    return runtime::UPPER(s);
}
void exprAppendUpper(std::string_view s, std::string* out) {
    runtime::appendUpper(s, out);
}
std::string exprLower(std::string_view s) {
    return runtime::LOWER(s);
}

int exprCompareText(std::string_view a, std::string_view b, bool exactOp, bool exactSetting) {
    return runtime::compareTextWith(a, b, exactOp, exactSetting);
}

std::string dateToDtos(int32_t julian) {
    if (julian <= 0) return std::string(8, ' ');
    int y, m, d;
    runtime::ymdFromJulian(julian, &y, &m, &d);
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
    return runtime::julianFromYmd(y, m, d);
}

std::string dateToText(int32_t julian, std::string_view format) {
    int y = 0, m = 0, d = 0;
    if (julian > 0) runtime::ymdFromJulian(julian, &y, &m, &d);
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
            if (julian > 0)
                snprintf(buf, sizeof buf, "%0*d", width, v);
            else
                snprintf(buf, sizeof buf, "%*s", width, "");
            out += buf;
        } else {
            out.append(run, format[i]);
        }
        i += run;
    }
    return out;
}

int32_t dateFromText(std::string_view s, std::string_view format, int epoch) {
    if (runtime::emptyText(s)) return 0;
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
    return runtime::julianFromYmd(y, m, d);
}

}  // namespace engine
